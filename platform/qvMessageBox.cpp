#include "platform/qvMessageBox.h"

#include <atomic>
#include <cstdio>

namespace {

// The one box provider of the process, set once the library is bound.
std::atomic<qvMessageBox::BoxFunction> provider{nullptr};

}  // namespace

namespace qvMessageBox {

void bind(BoxFunction box) { provider.store(box); }

int safeDefault(int kind) {
  switch (kind & 0xF) {
    case kOkCancel: return kAnswerCancel;
    case kAbortRetryIgnore: return kAnswerAbort;
    case kYesNoCancel: return kAnswerCancel;
    case kYesNo: return kAnswerNo;
    case kRetryCancel: return kAnswerCancel;
    default: return kAnswerOk;
  }
}

int show(const std::string& text, const std::string& caption, int kind) {
  if (BoxFunction box = provider.load()) return box(text.c_str(), caption.c_str(), kind);
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  return safeDefault(kind);
}

}  // namespace qvMessageBox
