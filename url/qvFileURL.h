#pragma once
// qvFileURL: local files as "file:" URLs and back. A local file's URL is
// "file://" + its absolute path; file names are case-sensitive here, so the
// URL is its own table key. Old pages write drive prefixes ("c|/") and
// "localhost" hosts; both are read and dropped.

#include <string>
#include <string_view>

class qvFileURL {
 public:
  qvFileURL() = delete;

  // "file:" URL of a local path: "file://" + absolute path, with '%', '#',
  // '?' and control characters escaped so that fileForURL gives the same
  // file back.
  static std::string urlForFile(std::string_view file);

  // Local path of a "file:" URL: leading slashes (and a "localhost" host)
  // reduce to one "/", a drive prefix "c|/" or "c%7c/" is dropped, %XX
  // escapes are decoded (not %00), and "file:name" is taken from the current
  // directory. A directory gives its "index.html" when that exists, else its
  // "index.htm". Any text gives some absolute path.
  static std::string fileForURL(std::string_view text);

  // "file:" URL, ending in "/", of the directory relative links of the
  // local file `file` start from: the file itself when it is a directory,
  // else the directory it is in.
  static std::string directoryURL(std::string_view file);

  // `path` made absolute against the current directory.
  static std::string absolutePath(std::string_view path);

 private:
  // `file` made absolute; a directory gives its index file.
  static std::string localPath(std::string_view file);
};
