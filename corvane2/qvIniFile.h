#pragma once
// The key-file format both Firefox's profiles.ini and KDE's kioslaverc use:
// "[Section]" lines, "key=value" lines, comments after ";" or "#". Any bytes
// parse; lines that are neither are ignored. KDE's flags ("[$e]", "[$i]")
// after a key or section name are dropped, so "httpProxy[$e]" reads as
// "httpProxy".

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class qvIniFile {
 public:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // in file order
    // The last value of `key` (names compare exactly, as both programs do).
    std::optional<std::string> value(std::string_view key) const;
  };

  static qvIniFile parse(std::string_view text);

  const std::vector<Section>& sections() const { return sections_; }
  // The first section called `name`, or null.
  const Section* section(std::string_view name) const;

 private:
  std::vector<Section> sections_;
};
