#include "hcrtf/compiler/Diagnostics.h"

#include <algorithm>

namespace hcrtf::compiler {

namespace {
// Past this many messages only the counts grow; the user has seen enough.
constexpr std::size_t kMaxPrinted = 500;
}  // namespace

void Diagnostics::error(const SourcePos& where, std::string_view what) {
  ++errors_;
  emit(where, "error", what);
}

void Diagnostics::warning(const SourcePos& where, std::string_view what) {
  ++warnings_;
  emit(where, "warning", what);
}

void Diagnostics::note(std::string_view what) {
  if (out_) *out_ << what << '\n';
}

void Diagnostics::emit(const SourcePos& where, std::string_view kind, std::string_view what) {
  std::string key = where.file + '\n' + std::string(what);
  if (std::find(seen_.begin(), seen_.end(), key) != seen_.end()) return;
  if (seen_.size() < 4 * kMaxPrinted) seen_.push_back(std::move(key));
  std::string line = where.file.empty() ? std::string("hcrtf") : where.file;
  if (where.line > 0) line += ':' + std::to_string(where.line);
  line += ": ";
  line += kind;
  line += ": ";
  line += what;
  if (messages_.size() >= kMaxPrinted) return;
  messages_.push_back(line);
  if (out_) {
    *out_ << line << '\n';
    if (messages_.size() == kMaxPrinted) *out_ << "hcrtf: note: further messages are counted but not shown\n";
  }
}

}  // namespace hcrtf::compiler
