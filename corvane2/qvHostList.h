#pragma once
// The "No proxy for" list as the engine reads it: one comma-separated text.

#include <string>
#include <vector>

// Items holding a blank, a comma or a double quote are quoted, with inner
// quotes doubled; a list of one empty item gives two double quotes.
std::string qvJoinHostList(const std::vector<std::string>& hosts);
