#pragma once
// qvMimeTypes: the content type of a URL or file judged from its name alone.
// Local files have no server to report a type, and a server's report
// sometimes needs a second opinion; this table gives both. Extensions are
// compared exactly as written: "HTML" is not "html".

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

class qvMimeTypes {
 public:
  // Fills the table.
  qvMimeTypes();

  // Content type for the last segment of the URL's path (or of `url` taken
  // as a path when it is not a URL): by its extension; a name without one
  // is plain text; an unknown extension that mentions "readme", "read_me"
  // or "read-me" is plain text too; any other unknown extension has none.
  std::optional<std::string> typeOf(std::string_view url) const;

  // Number of extensions known.
  std::size_t size() const { return types_.size(); }
  // Number of entries the table was filled from (one extension is listed
  // twice).
  static std::size_t entryCount();

 private:
  std::unordered_map<std::string, std::string> types_;
};
