#include "url/qvLinkResolver.h"

#include <algorithm>
#include <optional>

#include "base/qvDriverSettings.h"
#include "url/qvURL.h"
#include "url/qvURLCanonicaliser.h"
#include "url/qvURLTable.h"
#include "url/qvURLText.h"

namespace {

// The page's base URL without its scheme and "//", cut after its last
// directory (never inside the query): where relative links start from.
std::string baseDirectory(const qvURLStatus& page) {
  const std::string& base = page.baseURL.empty() ? page.url : page.baseURL;
  std::string dir = base.substr(base.find(':') + 1);
  if (dir.starts_with("//")) dir.erase(0, 2);
  dir.resize(std::min(dir.find('?'), dir.size()));
  const std::size_t slash = dir.rfind('/');
  if (slash == std::string::npos) {
    dir += '/';
  } else {
    dir.resize(slash + 1);
  }
  return dir;
}

const char* const kUnsupportedSchemes[] = {"ftp:",  "https:",  "mailto:", "nntp:",
                                           "news:", "telnet:", "gopher:"};

}  // namespace

qvLinkResolution qvLinkResolver::resolveLink(qvURLStatus& page, std::string_view value) {
  qvLinkResolution link;
  link.value = std::string(value);
  std::string v(qvURLText::trimmed(value));
  link.absolute = qvURLCanonicaliser::absoluteURL(page.baseURL.empty() ? page.url : page.baseURL, v,
                                                  table_.settings().fetchHttps);
  if (!table_.settings().dontSkipCGI && (v.find('?') != std::string::npos ||
                                         v.find("/cgi") != std::string::npos)) {
    link.classification = qvLinkClass::Cgi;
    return link;
  }
  const std::size_t hash = v.find('#');
  if (v.empty() || hash == 0) {
    // "#name", and an empty value, which browsers also read as this page.
    if (v.size() == 1) {
      link.classification = qvLinkClass::EmptyFragment;
      return link;
    }
    if (!v.empty()) link.fragment = v.substr(1);
    link.classification = qvLinkClass::SamePage;
    link.target = &page;
    return link;
  }
  if (hash != std::string::npos) {
    if (hash + 1 == v.size()) {
      link.classification = qvLinkClass::EmptyFragment;
      return link;
    }
    link.fragment = v.substr(hash + 1);
    v.resize(hash);
  }
  return followLink(page, std::move(v), link);
}

qvLinkResolution& qvLinkResolver::followLink(qvURLStatus& page, std::string v,
                                             qvLinkResolution& link) {
  const std::optional<qvURL> pageURL = qvURL::parse(page.url);
  const std::string pageProtocol =
      pageURL ? pageURL->protocol() : qvURLText::lowerCase(page.url.substr(0, page.url.find(':')));
  if (v.starts_with("///")) v.erase(0, 1);
  if (v.starts_with("//")) v.insert(0, pageProtocol + ":");
  if (qvURLText::startsWithNoCase(v, "file:///")) v.erase(5, 1);

  const bool https = table_.settings().fetchHttps;
  std::string scheme;
  std::string rest;
  if (qvURLText::startsWithNoCase(v, "file:")) {
    // A page from the web must not make us read local files.
    if (pageProtocol != "file") {
      link.classification = qvLinkClass::FileFromRemote;
      return link;
    }
    if (qvURLText::startsWithNoCase(v, "file://")) {
      link.target = addLinkTarget(page, v);
      return link;
    }
    scheme = "file";
    rest = v.substr(5);
  } else if (qvURLText::startsWithNoCase(v, "http://") || qvURLText::startsWithNoCase(v, "ftp://") ||
             (https && qvURLText::startsWithNoCase(v, "https://"))) {
    link.target = addLinkTarget(page, v);
    return link;
  } else if (qvURLText::startsWithNoCase(v, "http:")) {
    scheme = "http";
    rest = v.substr(5);
  } else if (https && qvURLText::startsWithNoCase(v, "https:")) {
    scheme = "https";
    rest = v.substr(6);
  } else {
    for (const char* unsupported : kUnsupportedSchemes) {
      if (!qvURLText::startsWithNoCase(v, unsupported)) continue;
      link.classification = qvLinkClass::UnsupportedProtocol;
      return link;
    }
    const std::size_t colon = v.find(':');
    if (colon != std::string::npos && colon < v.find('/')) {
      link.classification = qvLinkClass::UnknownProtocol;
      return link;
    }
    scheme = pageProtocol;
    rest = std::move(v);
  }
  if (rest.size() > 1 && rest.ends_with("/")) rest.pop_back();

  std::string url = scheme + "://";
  if (rest.starts_with("/")) {
    if (pageURL) url += pageURL->authority();
  } else {
    url += baseDirectory(page);
  }
  url += rest;
  link.target = addLinkTarget(page, url);
  return link;
}

qvURLStatus* qvLinkResolver::addLinkTarget(qvURLStatus& page, std::string_view url) {
  qvURLStatus* target = table_.addURL(url, qvURLStatus::kLinkSeed, page.depth + 1);
  if (target != nullptr) target->referrer = page.url;
  return target;
}
