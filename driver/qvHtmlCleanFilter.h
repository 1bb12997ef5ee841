#pragma once
// Decides which files of the work directory are the engine's temporaries:
// intermediate pages, topics, project, bitmaps and pictures. Every name it
// is asked about is counted over the life of the process, and every
// hundredth one adds a "." to the status line, so a long clean-up shows that
// it is moving.

#include <atomic>
#include <string>

class qvUserInterface;

class qvHtmlCleanFilter {
 public:
  explicit qvHtmlCleanFilter(qvUserInterface& ui) : ui_(ui) {}

  // True when `name` in `directory` is not a directory and its lower-case
  // form ends with one of the temporary extensions.
  bool accept(const std::string& directory, const std::string& name);

  // Names asked about so far in this process.
  static long count() { return count_.load(); }

 private:
  qvUserInterface& ui_;
  static std::atomic<long> count_;
};
