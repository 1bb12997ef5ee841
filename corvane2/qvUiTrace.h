#pragma once
// A trace of what the window receives from the engine and what its widgets
// show afterwards, one line each, for checking a whole run from outside
// (the end-to-end test reads it). Written only when CORVANE_UI_TRACE names a
// file; appended to and flushed line by line.

#include <cstdio>
#include <memory>
#include <string>

class qvUiTrace {
 public:
  // Opens the file CORVANE_UI_TRACE names, if any.
  qvUiTrace();

  bool enabled() const { return file_ != nullptr; }
  void line(const std::string& text);

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
};
