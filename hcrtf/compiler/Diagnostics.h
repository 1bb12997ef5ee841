#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace hcrtf::compiler {

// Where a message points: a file and a 1-based line (0 when the message is
// about the file as a whole).
struct SourcePos {
  std::string file;
  int line = 0;
};

// Collects the compiler's messages in the form build tools and editors
// understand ("file:line: error: what") and counts them. Errors mean the help
// file will not be written; warnings do not stop the build. A message that
// repeats the same text for the same file is printed only once, so that a
// project with thousands of topics cannot bury the first message.
class Diagnostics {
 public:
  // Messages go to `out` as they arrive (nullptr: only kept).
  explicit Diagnostics(std::ostream* out) : out_(out) {}

  void error(const SourcePos& where, std::string_view what);
  void warning(const SourcePos& where, std::string_view what);
  // Progress and summary lines, printed without a position.
  void note(std::string_view what);

  std::size_t errorCount() const { return errors_; }
  std::size_t warningCount() const { return warnings_; }
  const std::vector<std::string>& messages() const { return messages_; }

 private:
  void emit(const SourcePos& where, std::string_view kind, std::string_view what);

  std::ostream* out_;
  std::size_t errors_ = 0;
  std::size_t warnings_ = 0;
  std::vector<std::string> messages_;
  std::vector<std::string> seen_;
};

}  // namespace hcrtf::compiler
