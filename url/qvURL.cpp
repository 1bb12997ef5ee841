#include "url/qvURL.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool isControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

bool isAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool isSchemeChar(char c) {
  return isAsciiAlpha(c) || isAsciiDigit(c) || c == '+' || c == '-' || c == '.';
}

// Length of the scheme of `text` (the part before ':'), or 0 without one.
std::size_t schemeLength(std::string_view text) {
  if (text.empty() || !isAsciiAlpha(text.front())) return 0;
  std::size_t i = 1;
  while (i < text.size() && isSchemeChar(text[i])) ++i;
  return i < text.size() && text[i] == ':' ? i : 0;
}

std::string lowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool isHostChar(char c) {
  return isAsciiAlpha(c) || isAsciiDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

// A host name, or an IPv6 literal in brackets.
bool isValidHost(std::string_view host) {
  if (host.size() > qvURL::kMaxHostLength) return false;
  if (!host.empty() && host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    for (char c : host.substr(1, host.size() - 2)) {
      if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
    }
    return true;
  }
  for (char c : host) {
    if (!isHostChar(c)) return false;
  }
  return true;
}

// -1 for an empty port text, -2 for one that is not a port number.
int parsePort(std::string_view text) {
  if (text.empty()) return -1;
  if (text.size() > 5 || !std::all_of(text.begin(), text.end(), isAsciiDigit)) return -2;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value > 65535) return -2;
  return value;
}

// `text` without blanks and control characters at either end and without
// inner line breaks; empty when another control character is left.
std::optional<std::string> cleanText(std::string_view text) {
  while (!text.empty() && isBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlankOrControl(text.back())) text.remove_suffix(1);
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\r' || c == '\n') continue;
    if (isControl(c)) return std::nullopt;
    out += c;
  }
  return out;
}

}  // namespace

std::optional<qvURL> qvURL::parse(std::string_view text) {
  if (text.size() > kMaxLength) return std::nullopt;
  const std::optional<std::string> cleaned = cleanText(text);
  if (!cleaned) return std::nullopt;
  std::string_view rest = *cleaned;
  const std::size_t schemeEnd = schemeLength(rest);
  if (schemeEnd == 0) return std::nullopt;

  qvURL url;
  url.protocol_ = lowerCase(rest.substr(0, schemeEnd));
  rest.remove_prefix(schemeEnd + 1);
  if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
    url.ref_ = std::string(rest.substr(hash + 1));
    url.hasRef_ = true;
    rest = rest.substr(0, hash);
  }
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const std::size_t end = std::min(rest.find_first_of("/?"), rest.size());
    if (!url.parseAuthority(rest.substr(0, end))) return std::nullopt;
    rest.remove_prefix(end);
  }
  url.file_ = std::string(rest);
  const bool needsHost = url.protocol_ == "http" || url.protocol_ == "ftp";
  if (needsHost && url.host_.empty()) return std::nullopt;
  return url;
}

bool qvURL::parseAuthority(std::string_view authority) {
  hasAuthority_ = true;
  // A local file's "host" is whatever stands there ("c|" on old pages).
  if (protocol_ == "file") {
    host_ = std::string(authority);
    return host_.size() <= kMaxHostLength;
  }
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
    authority.remove_prefix(at + 1);
  }
  std::size_t hostEnd = authority.size();
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return false;
    hostEnd = close + 1;
  } else {
    hostEnd = std::min(authority.find(':'), authority.size());
  }
  const std::string_view host = authority.substr(0, hostEnd);
  std::string_view portText = authority.substr(hostEnd);
  if (!portText.empty()) {
    if (portText.front() != ':') return false;
    portText.remove_prefix(1);
  }
  if (!isValidHost(host)) return false;
  const int port = parsePort(portText);
  if (port == -2) return false;
  host_ = std::string(host);
  port_ = port;
  return true;
}

int qvURL::effectivePort() const {
  if (port_ >= 0) return port_;
  if (protocol_ == "http") return 80;
  if (protocol_ == "https") return 443;
  if (protocol_ == "ftp") return 21;
  return -1;
}

std::string qvURL::path() const { return file_.substr(0, file_.find('?')); }

std::string qvURL::authority() const {
  std::string out = host_;
  if (port_ >= 0) {
    out += ':';
    out += std::to_string(port_);
  }
  return out;
}

std::string qvURL::externalForm() const {
  std::string out = protocol_ + ":";
  if (hasAuthority_) {
    out += "//";
    out += authority();
  }
  out += file_;
  if (hasRef_) out += "#" + ref_;
  return out;
}

std::optional<std::string> qvURL::resolve(std::string_view base, std::string_view reference) {
  if (schemeLength(reference) != 0) return std::string(reference);
  const std::optional<qvURL> parsed = parse(base);
  if (!parsed) return std::nullopt;
  const std::string scheme = parsed->protocol_ + ":";
  if (reference.starts_with("//")) return scheme + std::string(reference);
  std::string origin = scheme;
  if (parsed->hasAuthority_) {
    origin += "//";
    origin += parsed->authority();
  }
  if (reference.starts_with("/")) return origin + std::string(reference);
  if (reference.empty()) return origin + parsed->file_;
  if (reference.front() == '#') return origin + parsed->file_ + std::string(reference);
  std::string path = parsed->path();
  if (reference.front() == '?') return origin + path + std::string(reference);
  const std::size_t slash = path.rfind('/');
  path = slash == std::string::npos ? (parsed->hasAuthority_ ? "/" : "") : path.substr(0, slash + 1);
  return origin + path + std::string(reference);
}
