#pragma once
// Counters as the window shows them: decimal digits in groups of three
// separated by commas, counted from the right ("1,234,567").

#include <string>

std::string qvGroupedNumber(long long value);
