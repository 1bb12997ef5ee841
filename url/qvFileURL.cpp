#include "url/qvFileURL.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "url/qvURL.h"
#include "url/qvURLCanonicaliser.h"
#include "url/qvURLText.h"

namespace {

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

// Drops a drive prefix "c|" or "c%7c" that old pages write before "/".
void dropDrive(std::string_view& path) {
  if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0]))) return;
  if (path.substr(1, 2) == "|/") {
    path.remove_prefix(2);
  } else if (path.size() > 4 && qvURLText::startsWithNoCase(path.substr(1), "%7c/")) {
    path.remove_prefix(4);
  }
}

}  // namespace

std::string qvFileURL::absolutePath(std::string_view path) {
  if (path.starts_with("/")) return std::string(path);
  std::string dir = currentDirectory();
  if (!dir.ends_with("/")) dir += '/';
  return dir + std::string(path);
}

std::string qvFileURL::urlForFile(std::string_view file) {
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

std::string qvFileURL::fileForURL(std::string_view text) {
  // "file:name" names a file relative to the current directory; its
  // canonical form "file://name" would read the name as a host.
  const std::optional<qvURL> parsed = qvURL::parse(text);
  if (parsed && parsed->protocol() == "file" && !parsed->hasAuthority() &&
      !parsed->file().starts_with("/")) {
    const std::string file = qvURLCanonicaliser::normalisePath(parsed->file());
    std::string_view rest = file;
    dropDrive(rest);
    return localPath(percentDecoded(rest));
  }
  std::string t = qvURLCanonicaliser::canonicalURL(qvURLText::trimmed(text));
  if (qvURLText::startsWithNoCase(t, "file:")) t.erase(0, 5);
  if (qvURLText::startsWithNoCase(t, "//localhost/")) t.erase(0, 11);
  std::string_view rest = std::string_view(t);
  rest.remove_prefix(std::min(rest.find_first_not_of('/'), rest.size()));
  dropDrive(rest);
  std::string path = percentDecoded(rest);
  if (!path.starts_with("/")) path.insert(0, "/");
  return localPath(path);
}

std::string qvFileURL::directoryURL(std::string_view file) {
  const std::string path = absolutePath(file);
  std::string dir = isDirectory(path) ? path : path.substr(0, path.rfind('/') + 1);
  if (dir.empty()) dir.assign(1, '/');
  std::string url = urlForFile(dir);
  if (!url.ends_with("/")) url += '/';
  return url;
}

std::string qvFileURL::localPath(std::string_view file) {
  std::string path = absolutePath(file);
  if (!isDirectory(path)) return path;
  if (!path.ends_with("/")) path += '/';
  return exists(path + "index.html") ? path + "index.html" : path + "index.htm";
}
