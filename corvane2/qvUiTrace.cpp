#include "corvane2/qvUiTrace.h"

#include <cstdlib>

qvUiTrace::qvUiTrace() {
  const char* path = std::getenv("CORVANE_UI_TRACE");
  if (path != nullptr && *path != '\0') file_.reset(std::fopen(path, "ae"));
}

void qvUiTrace::line(const std::string& text) {
  if (!file_) return;
  std::fprintf(file_.get(), "%s\n", text.c_str());
  std::fflush(file_.get());
}
