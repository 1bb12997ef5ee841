#include "url/qvRobotsRules.h"

#include <fstream>
#include <optional>

#include "base/qvTextUtil.h"
#include "url/qvAgentPattern.h"

namespace {

constexpr std::string_view kUserAgent = "user-agent:";
constexpr std::string_view kDisallow = "disallow:";

// Splits text into lines at LF, CR LF and lone CR.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}

  std::optional<std::string_view> next() {
    if (rest_.empty()) return std::nullopt;
    const std::size_t end = rest_.find_first_of("\r\n");
    const std::string_view line = rest_.substr(0, end);
    if (end == std::string_view::npos) {
      rest_ = {};
      return line;
    }
    const bool crlf = rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n';
    rest_.remove_prefix(end + (crlf ? 2 : 1));
    return line;
  }

 private:
  std::string_view rest_;
};

// The text worth reading: at most kMaxBytes, and then only up to the last
// line break inside them.
std::string_view readablePart(std::string_view text) {
  if (text.size() <= qvRobotsRules::kMaxBytes) return text;
  const char beyondLimit = text[qvRobotsRules::kMaxBytes];
  text = text.substr(0, qvRobotsRules::kMaxBytes);
  if (beyondLimit == '\r' || beyondLimit == '\n') return text;
  const std::size_t lastBreak = text.find_last_of("\r\n");
  return lastBreak == std::string_view::npos ? std::string_view() : text.substr(0, lastBreak + 1);
}

// The line without its comment and surrounding blanks.
std::string_view withoutComment(std::string_view line) {
  line = qvTrim(line);
  const std::size_t hash = line.find('#');
  return hash == std::string_view::npos ? line : qvTrim(line.substr(0, hash));
}

}  // namespace

std::vector<std::string> qvRobotsRules::parse(std::string_view text, std::string_view robotName) {
  std::vector<std::string> prefixes;
  bool collecting = false;
  LineReader lines(readablePart(text));
  while (const std::optional<std::string_view> raw = lines.next()) {
    const std::string_view trimmed = qvTrim(*raw);
    if (trimmed.empty()) {
      collecting = false;
      continue;
    }
    if (trimmed.front() == '#') continue;
    const std::string_view line = withoutComment(trimmed);
    if (!collecting && qvStartsWithNoCase(line, kUserAgent)) {
      collecting = qvAgentPattern::matches(qvTrim(line.substr(kUserAgent.size())), robotName);
    } else if (collecting && qvStartsWithNoCase(line, kDisallow)) {
      const std::string_view prefix = qvTrim(line.substr(kDisallow.size()));
      if (!prefix.empty()) prefixes.emplace_back(prefix);
    }
  }
  return prefixes;
}

std::vector<std::string> qvRobotsRules::parseFile(const std::string& path, std::string_view robotName) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::string text(kMaxBytes + 1, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(file.gcount()));
  return parse(text, robotName);
}
