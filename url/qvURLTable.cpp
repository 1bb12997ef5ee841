#include "url/qvURLTable.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <functional>
#include <string>

#include "ui/qvDriverSettings.h"

namespace {

std::string lowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

bool isDirectory(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

std::string currentDirectory() {
  std::array<char, 4096> buffer{};
  if (::getcwd(buffer.data(), buffer.size()) == nullptr) return "/";
  return buffer.data();
}

std::string absolutePath(std::string_view path) {
  if (path.starts_with("/")) return std::string(path);
  std::string dir = currentDirectory();
  if (!dir.ends_with("/")) dir += '/';
  return dir + std::string(path);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Decodes %XX escapes. A '%' without two hex digits, and %00 (which would
// cut the path short at the system call), stay as they are.
std::string percentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = hexValue(text[i + 1]);
      const int low = hexValue(text[i + 2]);
      if (high >= 0 && low >= 0 && (high | low) != 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

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

// Drops a drive prefix "c|" or "c%7c" that old pages write before "/".
void dropDrive(std::string_view& path) {
  if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0]))) return;
  if (path.substr(1, 2) == "|/") {
    path.remove_prefix(2);
  } else if (path.size() > 4 && startsWithNoCase(path.substr(1), "%7c/")) {
    path.remove_prefix(4);
  }
}

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

// ---------------------------------------------------------------------------

qvURLTable::qvURLTable(const qvDriverSettings& settings) : settings_(settings) {}

qvURLTable::~qvURLTable() = default;

std::size_t qvURLTable::KeyHash::operator()(std::string_view key) const {
  return std::hash<std::string_view>{}(key);
}
std::size_t qvURLTable::KeyHash::operator()(const qvURLStatus* status) const {
  return (*this)(std::string_view(status->key));
}
bool qvURLTable::KeyEqual::operator()(const qvURLStatus* a, const qvURLStatus* b) const {
  return a->key == b->key;
}
bool qvURLTable::KeyEqual::operator()(std::string_view a, const qvURLStatus* b) const {
  return a == b->key;
}
bool qvURLTable::KeyEqual::operator()(const qvURLStatus* a, std::string_view b) const {
  return a->key == b;
}

// ---- Canonical forms and local files ----

std::string qvURLTable::normalisePath(std::string_view path) {
  const std::size_t query = std::min(path.find('?'), path.size());
  std::string out = withoutParentSegments(withoutDotSegments(path.substr(0, query)));
  if (out.empty() && path.starts_with("/")) out.assign(1, '/');
  out += path.substr(query);
  return out;
}

std::string qvURLTable::canonicalURL(std::string_view text) {
  const std::optional<qvURL> url = qvURL::parse(text);
  if (!url) return std::string(text);
  const std::string& protocol = url->protocol();
  std::string s = protocol + ":";
  if (protocol == "file") {
    s += "//";
    s += url->host();
    s += normalisePath(url->file());
  } else {
    const bool network = protocol == "http" || protocol == "ftp";
    if (network || url->hasAuthority()) s += "//";
    s += lowerCase(url->host());
    if (url->port() >= 0 && url->port() != 80) {
      s += ':';
      s += std::to_string(url->port());
    }
    // An empty path would make "http://host" a page whose base is "http://".
    if (network && !url->file().starts_with("/")) s += '/';
    // Without an authority ("mailto:", "news:") the rest is opaque: no dot
    // segments to remove.
    s += url->hasAuthority() ? normalisePath(url->file()) : url->file();
  }
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '\r':
      case '\n': break;
      case '\'': out += "%27"; break;
      case '`': out += "%60"; break;
      case '"': out += "%22"; break;
      default: out += c;
    }
  }
  return out;
}

std::string qvURLTable::urlForFile(std::string_view file) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "file://";
  for (char c : absolutePath(file)) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == '%' || c == '#' || c == '?') {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

std::string qvURLTable::fileForURL(std::string_view text) {
  // "file:name" names a file relative to the current directory; its
  // canonical form "file://name" would read the name as a host.
  const std::optional<qvURL> parsed = qvURL::parse(text);
  if (parsed && parsed->protocol() == "file" && !parsed->hasAuthority() &&
      !parsed->file().starts_with("/")) {
    const std::string file = normalisePath(parsed->file());
    std::string_view rest = file;
    dropDrive(rest);
    return localPath(percentDecoded(rest));
  }
  std::string t = canonicalURL(trimmed(text));
  if (startsWithNoCase(t, "file:")) t.erase(0, 5);
  if (startsWithNoCase(t, "//localhost/")) t.erase(0, 11);
  std::string_view rest = std::string_view(t);
  rest.remove_prefix(std::min(rest.find_first_not_of('/'), rest.size()));
  dropDrive(rest);
  std::string path = percentDecoded(rest);
  if (!path.starts_with("/")) path.insert(0, "/");
  return localPath(path);
}

std::string qvURLTable::localPath(std::string_view file) {
  std::string path = absolutePath(file);
  if (!isDirectory(path)) return path;
  if (!path.ends_with("/")) path += '/';
  return exists(path + "index.html") ? path + "index.html" : path + "index.htm";
}

std::optional<std::string> qvURLTable::absoluteURL(std::string_view base,
                                                   std::string_view reference) {
  const std::optional<std::string> resolved = qvURL::resolve(base, trimmed(reference));
  if (!resolved || !qvURL::parse(*resolved)) return std::nullopt;
  return canonicalURL(*resolved);
}

bool qvURLTable::inRange(const qvURLStatus& start, std::string_view url, bool siteWide) {
  const std::optional<qvURL> parsed = qvURL::parse(url);
  if (!parsed || lowerCase(parsed->host()) != start.host) return false;
  if (siteWide) return true;
  const std::string& file = parsed->file();
  if (file.starts_with(start.startDirectory)) return true;
  return !file.ends_with("/") && file + "/" == start.startDirectory;
}

// ---- Statuses ----

qvURLStatus* qvURLTable::findKey(std::string_view key) const {
  const auto found = byKey_.find(key);
  return found == byKey_.end() ? nullptr : *found;
}

qvURLStatus& qvURLTable::create(std::string url, int seedNumber, int depth) {
  qvURLStatus& status = statuses_.emplace_back(qvURLStatus::Token{});
  status.seedNumber = seedNumber;
  status.depth = depth;
  status.mainColour = mainColour;
  status.textColour = textColour;
  status.linkColour = linkColour;
  status.vlinkColour = vlinkColour;
  status.id = idCounter_++;
  status.documentName = "documentID" + std::to_string(documentCounter_++);
  status.skippedByUser = linksFrozen_;
  status.key = url;
  status.title = url;
  status.url = std::move(url);
  byKey_.insert(&status);
  pending_.insert(status.id);
  return status;
}

qvURLStatus* qvURLTable::addURL(std::string_view text, int seedNumber, int depth) {
  if (startsWithNoCase(trimmed(text), "file:")) {
    return addFile(fileForURL(text), seedNumber, depth);
  }
  std::string url = canonicalURL(text);
  if (qvURLStatus* existing = findKey(url)) return existing;
  return &create(std::move(url), seedNumber, depth);
}

qvURLStatus* qvURLTable::addFile(std::string_view file, int seedNumber, int depth) {
  if (file.empty()) return nullptr;
  std::string url = canonicalURL(urlForFile(file));
  if (qvURLStatus* existing = findKey(url)) return existing;
  qvURLStatus& status = create(std::move(url), seedNumber, depth);
  status.localFile = std::string(file);
  return &status;
}

qvURLStatus* qvURLTable::find(std::string_view url) const {
  if (startsWithNoCase(trimmed(url), "file:")) {
    return findKey(canonicalURL(urlForFile(fileForURL(url))));
  }
  return findKey(canonicalURL(url));
}

qvURLStatus* qvURLTable::statusById(int id) {
  if (id < 0 || static_cast<std::size_t>(id) >= statuses_.size()) return nullptr;
  return &statuses_[static_cast<std::size_t>(id)];
}

std::optional<qvURL> qvURLTable::makeURL(qvURLStatus& status) const {
  const std::string_view text = trimmed(status.url);
  if (startsWithNoCase(text, "file:")) return makeFileURL(status);
  if (startsWithNoCase(text, "ftp:")) {
    status.isFTP = true;
    return std::nullopt;
  }
  if (!startsWithNoCase(text, "http:")) return std::nullopt;
  std::optional<qvURL> parsed = qvURL::parse(canonicalURL(text));
  if (!parsed) {
    status.badURL = true;
    return std::nullopt;
  }
  status.url = parsed->externalForm();
  // The directory is cut from the path, never from inside the query.
  const std::string path = parsed->path();
  status.startDirectory = path.substr(0, path.rfind('/') + 1);
  status.baseURL = parsed->protocol() + "://" + parsed->authority() + status.startDirectory;
  status.host = lowerCase(parsed->host());
  return parsed;
}

std::optional<qvURL> qvURLTable::makeFileURL(qvURLStatus& status) {
  if (!status.localFile) status.localFile = fileForURL(status.url);
  const std::string file = absolutePath(*status.localFile);
  status.url = canonicalURL(urlForFile(file));
  status.title = status.url;
  std::string dir = isDirectory(file) ? file : file.substr(0, file.rfind('/') + 1);
  if (dir.empty()) dir.assign(1, '/');
  status.baseURL = urlForFile(dir);
  if (!status.baseURL.ends_with("/")) status.baseURL += '/';
  status.host.clear();
  std::optional<qvURL> parsed = qvURL::parse(status.url);
  if (!parsed) status.badURL = true;
  return parsed;
}

bool qvURLTable::setBase(qvURLStatus& status, std::string_view href) const {
  const std::optional<std::string> resolved = absoluteURL(status.url, href);
  if (!resolved) return false;
  if (!startsWithNoCase(*resolved, "file:")) {
    status.baseURL = *resolved;
    return true;
  }
  const std::string path = fileForURL(*resolved);
  std::string dir = isDirectory(path) ? path : path.substr(0, path.rfind('/') + 1);
  if (dir.empty()) dir.assign(1, '/');
  status.baseURL = urlForFile(dir);
  if (!status.baseURL.ends_with("/")) status.baseURL += '/';
  return true;
}

std::string qvURLTable::anchorName(qvURLStatus& status, std::string_view name) const {
  std::string key = lowerCase(name);
  const auto found = status.anchorNames.find(key);
  if (found != status.anchorNames.end()) return found->second;
  std::string generated = "nameID" + std::to_string(status.nameCounter++);
  status.anchorNames.emplace(std::move(key), generated);
  return generated;
}

std::optional<std::string> qvURLTable::findAnchorName(const qvURLStatus& status,
                                                      std::string_view name) const {
  const auto found = status.anchorNames.find(lowerCase(name));
  if (found == status.anchorNames.end()) return std::nullopt;
  return found->second;
}

// ---- Passes ----

qvURLStatus* qvURLTable::nextPending() {
  return statusById(pending_.lowest());
}

void qvURLTable::setPending(qvURLStatus& status) {
  if (statusById(status.id) != &status) return;  // not one of ours
  if (isPending(status)) {
    pending_.insert(status.id);
  } else {
    pending_.erase(status.id);
  }
}

void qvURLTable::markActive(qvURLStatus& status, bool on) {
  status.active_ = on;
  setPending(status);
}

void qvURLTable::markDone(qvURLStatus& status, bool on) {
  status.done_ = on;
  setPending(status);
}

void qvURLTable::markEnough() {
  for (qvURLStatus& status : statuses_) {
    if (!status.done_) status.stoppedByEnough = true;
  }
}

void qvURLTable::resetPass() {
  for (qvURLStatus& status : statuses_) {
    status.active_ = false;
    status.done_ = false;
    pending_.insert(status.id);
  }
}

void qvURLTable::resetRun() {
  byKey_.clear();
  statuses_.clear();
  pending_.clear();
  helpIds_.clear();
  documentCounter_ = 0;
  idCounter_ = 0;
  startURL_ = nullptr;
  currentPage_ = nullptr;
  linksFrozen_ = false;
  mainColour = kDefaultMainColour;
  nonScrollColour = kDefaultNonScrollColour;
  textColour = kDefaultTextColour;
  linkColour = kDefaultLinkColour;
  vlinkColour = kDefaultVlinkColour;
}

// ---- Links ----

qvLinkResolution qvURLTable::resolveLink(qvURLStatus& page, std::string_view value) {
  qvLinkResolution link;
  link.value = std::string(value);
  std::string v(trimmed(value));
  link.absolute = absoluteURL(page.baseURL.empty() ? page.url : page.baseURL, v);
  if (!settings_.dontSkipCGI && (v.find('?') != std::string::npos ||
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

qvLinkResolution& qvURLTable::followLink(qvURLStatus& page, std::string v,
                                         qvLinkResolution& link) {
  const std::optional<qvURL> pageURL = qvURL::parse(page.url);
  const std::string pageProtocol =
      pageURL ? pageURL->protocol() : lowerCase(page.url.substr(0, page.url.find(':')));
  if (v.starts_with("///")) v.erase(0, 1);
  if (v.starts_with("//")) v.insert(0, pageProtocol + ":");
  if (startsWithNoCase(v, "file:///")) v.erase(5, 1);

  std::string scheme;
  std::string rest;
  if (startsWithNoCase(v, "file:")) {
    // A page from the web must not make us read local files.
    if (pageProtocol != "file") {
      link.classification = qvLinkClass::FileFromRemote;
      return link;
    }
    if (startsWithNoCase(v, "file://")) {
      link.target = addLinkTarget(page, v);
      return link;
    }
    scheme = "file";
    rest = v.substr(5);
  } else if (startsWithNoCase(v, "http://") || startsWithNoCase(v, "ftp://")) {
    link.target = addLinkTarget(page, v);
    return link;
  } else if (startsWithNoCase(v, "http:")) {
    scheme = "http";
    rest = v.substr(5);
  } else {
    for (const char* unsupported : kUnsupportedSchemes) {
      if (!startsWithNoCase(v, unsupported)) continue;
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

qvURLStatus* qvURLTable::addLinkTarget(qvURLStatus& page, std::string_view url) {
  qvURLStatus* target = addURL(url, qvURLStatus::kLinkSeed, page.depth + 1);
  if (target != nullptr) target->referrer = page.url;
  return target;
}
