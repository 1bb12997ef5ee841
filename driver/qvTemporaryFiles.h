#pragma once
// Removal of the engine's work files. At the start of a run the left-overs
// of earlier runs go from the work directory (strict names, so files a user
// put there under other names survive); at exit everything the temporary
// filter accepts goes. Read-only files and directories are never removed.

#include <string>

class qvUserInterface;

// Deletes the files of `directory` that qvHtmlCleanFilter accepts, after
// beginStatusLine "Cleaning up temporary files "; checkCancel after each.
void cleanTemporaries(const std::string& directory, qvUserInterface& ui);

// Deletes from `directory` (the run's "rtf") the writable regular files
// named "*.xyz" with xyz one of bmp tmp rtf gif jpg png hpj fts dat xbm,
// exactly in lower case. Every hundredth entry shows progress, sleeps 10 ms,
// and stops when the user cancels (status bit 0x08) or the program exits.
// False when the folder held nothing with an extension of one to three
// characters (or could not be read), so there was nothing to look at.
bool cleanRunFiles(const std::string& directory, qvUserInterface& ui);
