#pragma once
// Seeds a run from a local path: a single file becomes one start point; a
// directory is walked (its HTML files first, then its subdirectories) and
// every HTML file in it becomes a start point of depth 0. The first status
// added becomes the run's start URL when there is none yet.

#include <set>
#include <string>

#include "driver/qvHtmlFileFilter.h"

class qvURLTable;
class qvUserInterface;

class qvLocalScanner {
 public:
  // `table` and `ui` must outlive the scanner.
  qvLocalScanner(qvURLTable& table, qvUserInterface& ui);

  // Adds `path` (a file, or a directory tree) with seed numbers counted on
  // from `count`; returns the count for the next start point. Entries are
  // taken in name order (a directory's index.html, else index.htm, first),
  // files before subdirectories; a directory reached a
  // second time (through a symbolic link) is not walked again. Calls
  // checkCancel after every entry, so a cancel ends the scan with
  // qvCancelException.
  int scanLocal(const std::string& path, int count);

 private:
  int scanDirectory(const std::string& directory, int count);
  int addLocalFile(const std::string& file, int count);

  qvURLTable& table_;
  qvUserInterface& ui_;
  qvHtmlFileFilter filter_;
  std::set<std::string> walked_;
};
