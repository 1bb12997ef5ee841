#include "url/qvURLCanonicaliser.h"

#include <algorithm>
#include <cstddef>

#include "url/qvURL.h"
#include "url/qvURLText.h"

namespace {

// Removes "./" after a '/' for as long as one follows, in one scan.
std::string withoutDotSegments(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size();) {
    if (!out.empty() && out.back() == '/' && path.substr(i, 2) == "./") {
      i += 2;
      continue;
    }
    out += path[i++];
  }
  return out;
}

// Removes every "/segment/.." pair; a ".." with nothing before it leaves
// "/" behind, so "/../x" becomes "//x".
std::string withoutParentSegments(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size();) {
    const bool parent = path.substr(i, 3) == "/.." && (i + 3 == path.size() || path[i + 3] == '/');
    if (!parent) {
      out += path[i++];
      continue;
    }
    const std::size_t cut = out.rfind('/');
    if (cut == std::string::npos) {
      out.assign(1, '/');
    } else {
      out.resize(cut);
    }
    i += 3;
  }
  return out;
}

// The URL's pieces in canonical order and case, dot segments removed.
std::string joined(const qvURL& url, bool httpsFetched) {
  const std::string& protocol = url.protocol();
  const bool secure = httpsFetched && protocol == "https";
  std::string s = protocol + ":";
  if (protocol == "file") {
    s += "//";
    s += url.host();
    s += qvURLCanonicaliser::normalisePath(url.file());
    return s;
  }
  const bool network = protocol == "http" || protocol == "ftp" || secure;
  if (network || url.hasAuthority()) s += "//";
  s += qvURLText::lowerCase(url.host());
  if (url.port() >= 0 && url.port() != (secure ? 443 : 80)) {
    s += ':';
    s += std::to_string(url.port());
  }
  // An empty path would make "http://host" a page whose base is "http://".
  if (network && !url.file().starts_with("/")) s += '/';
  // Without an authority ("mailto:", "news:") the rest is opaque: no dot
  // segments to remove.
  s += url.hasAuthority() ? qvURLCanonicaliser::normalisePath(url.file()) : url.file();
  return s;
}

// `s` without line breaks, its quotes escaped so that the URL can stand in
// a quoted attribute or macro argument. Blanks that end it are escaped too:
// a parse trims them, so as blanks they would not survive a second pass.
// They end it only where a "/segment/.." at the end was taken away.
std::string escaped(std::string_view s) {
  const std::size_t end = s.find_last_not_of(' ') + 1;
  std::string out;
  out.reserve(s.size());
  for (char c : s.substr(0, end)) {
    switch (c) {
      case '\r':
      case '\n': break;
      case '\'': out += "%27"; break;
      case '`': out += "%60"; break;
      case '"': out += "%22"; break;
      default: out += c;
    }
  }
  for (std::size_t i = end; i < s.size(); ++i) out += "%20";
  return out;
}

}  // namespace

std::string qvURLCanonicaliser::normalisePath(std::string_view path) {
  const std::size_t query = std::min(path.find('?'), path.size());
  std::string out = withoutParentSegments(withoutDotSegments(path.substr(0, query)));
  if (out.empty() && path.starts_with("/")) out.assign(1, '/');
  out += path.substr(query);
  return out;
}

std::string qvURLCanonicaliser::canonicalURL(std::string_view text, bool httpsFetched) {
  std::optional<qvURL> url = qvURL::parse(text);
  if (!url) return std::string(text);
  // Without its fragment the URL ends where the '#' stood, so blanks before
  // the '#' are trailing blanks now, which a second parse would drop: parse
  // the text before the '#' instead. It parses whenever the whole did.
  if (url->hasRef()) url = qvURL::parse(text.substr(0, text.find('#')));
  if (!url) return std::string(text);
  return escaped(joined(*url, httpsFetched));
}

std::optional<std::string> qvURLCanonicaliser::absoluteURL(std::string_view base, std::string_view reference,
                                                           bool httpsFetched) {
  const std::optional<std::string> resolved = qvURL::resolve(base, qvURLText::trimmed(reference));
  if (!resolved || !qvURL::parse(*resolved)) return std::nullopt;
  return canonicalURL(*resolved, httpsFetched);
}
