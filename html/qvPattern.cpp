#define PCRE2_CODE_UNIT_WIDTH 8
#include "html/qvPattern.h"

#include <pcre2.h>

#include <cstdio>

qvPattern::qvPattern(std::string_view pattern, Groups groups) : source_(pattern) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  const uint32_t options =
      PCRE2_CASELESS | PCRE2_ANCHORED | (groups == Groups::kUnused ? PCRE2_NO_AUTO_CAPTURE : 0u);
  code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(source_.data()), source_.size(), options, &error, &offset,
                        nullptr);
  if (code_ == nullptr) {
    PCRE2_UCHAR message[256];
    pcre2_get_error_message(error, message, sizeof message);
    std::fprintf(stderr, "Error parsing regular expression.\nError: %s\n",
                 reinterpret_cast<const char*>(message));
    return;
  }
  // Without the JIT the interpreter still gives the same answers, only
  // slower, so a refusal here is not an error.
  jitted_ = pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE) == 0;
  matchData_ = pcre2_match_data_create_from_pattern(code_, nullptr);
}

qvPattern::~qvPattern() {
  pcre2_match_data_free(matchData_);
  pcre2_code_free(code_);
}

long qvPattern::matchAt(std::string_view text, std::size_t position) {
  groups_ = 0;
  if (code_ == nullptr || position > text.size()) return -1;
  // The tokenizer tries several tag patterns at every '<', so the JIT's
  // direct entry, which skips the interpreter's option checks, pays.
  const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
  const int rc = jitted_ ? pcre2_jit_match(code_, subject, text.size(), position, 0, matchData_, nullptr)
                         : pcre2_match(code_, subject, text.size(), position, 0, matchData_, nullptr);
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

std::bitset<256> qvPattern::firstCharacters(std::string_view pattern) {
  std::bitset<256> set;
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), PCRE2_CASELESS,
                                   &error, &offset, nullptr);
  if (code == nullptr) return set.set();
  uint32_t type = 0;
  pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODETYPE, &type);
  const uint8_t* bitmap = nullptr;
  pcre2_pattern_info(code, PCRE2_INFO_FIRSTBITMAP, &bitmap);
  if (type == 1) {
    uint32_t unit = 0;
    pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODEUNIT, &unit);
    const auto c = static_cast<unsigned char>(unit);
    set.set(c);
    if (c >= 'a' && c <= 'z') set.set(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') set.set(c - 'A' + 'a');
  } else if (bitmap != nullptr) {
    for (int c = 0; c < 256; ++c) {
      if ((bitmap[c / 8] & (1u << (c % 8))) != 0) set.set(static_cast<std::size_t>(c));
    }
  } else {
    set.set();
  }
  pcre2_code_free(code);
  return set;
}
