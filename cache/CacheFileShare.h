#pragma once
// A second name for a body file. The cache and the crawl each hold their own
// name of a body, so that a process deleting a cache entry (a replacing
// store, a trim, a rebuild, a clear) never takes the body from under a run
// that is about to read it. Whoever writes a file with a second name must
// write a new file (unlink, then create), never truncate the shared one.

#include <string>

// Makes `to`, which must not exist, a hard link to `from`; where the file
// system has no hard links (or they cross devices), a copy of it. On failure
// nothing is left at `to`.
bool shareFile(const std::string& from, const std::string& to);
