#define PCRE2_CODE_UNIT_WIDTH 8
#include "html/qvPattern.h"

#include <pcre2.h>

#include <cstdio>

qvPattern::qvPattern(std::string_view pattern) : source_(pattern) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(source_.data()), source_.size(),
                        PCRE2_CASELESS | PCRE2_ANCHORED, &error, &offset, nullptr);
  if (code_ == nullptr) {
    PCRE2_UCHAR message[256];
    pcre2_get_error_message(error, message, sizeof message);
    std::fprintf(stderr, "Error parsing regular expression.\nError: %s\n",
                 reinterpret_cast<const char*>(message));
    return;
  }
  // Without the JIT the interpreter still gives the same answers, only
  // slower, so a refusal here is not an error.
  pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE);
  matchData_ = pcre2_match_data_create_from_pattern(code_, nullptr);
}

qvPattern::~qvPattern() {
  pcre2_match_data_free(matchData_);
  pcre2_code_free(code_);
}

long qvPattern::matchAt(std::string_view text, std::size_t position) {
  groups_ = 0;
  if (code_ == nullptr || position > text.size()) return -1;
  const int rc = pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), position,
                             0, matchData_, nullptr);
  if (rc <= 0) return -1;
  subject_ = text;
  groups_ = rc;
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData_);
  return static_cast<long>(ovector[1] - ovector[0]);
}

bool qvPattern::hasGroup(int n) const {
  if (n < 0 || n >= groups_) return false;
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData_);
  return ovector[2 * n] != PCRE2_UNSET;
}

std::string_view qvPattern::group(int n) const {
  if (!hasGroup(n)) return {};
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData_);
  return subject_.substr(ovector[2 * n], ovector[2 * n + 1] - ovector[2 * n]);
}
