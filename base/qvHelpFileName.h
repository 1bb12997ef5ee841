#pragma once
// Help file names: the name derived from a start URL or path, shared by the
// window (which fills it in as the user types a URL) and batch mode (which
// uses it when no output file is named), so both always agree.

#include <string>

namespace qvHelpFileName {

// The name derived from `url` (no directory, with ".hlp"): the host word
// after "www." or "ftp." for an http URL, else the last path element, cut
// at its first "." and lower-cased; a trailing "/" or "\" is ignored.
// "project.hlp" when nothing usable is left.
std::string derived(const std::string& url);

// `name` with ".hlp" appended unless it already ends so in any case.
std::string withExtension(const std::string& name);

}  // namespace qvHelpFileName
