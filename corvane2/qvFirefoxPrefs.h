#pragma once
// Firefox's preference files, prefs.js and user.js: statements such as
//   user_pref("network.proxy.http", "proxy.example");
//   user_pref("network.proxy.http_port", 3128);
// with string (either quote, with escapes), integer and boolean values and
// C, C++ and "#" comments. Any bytes parse: a statement that does not read
// is skipped up to its ";" and the rest of the file still counts.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

class qvFirefoxPrefs {
 public:
  using Value = std::variant<std::string, std::int64_t, bool>;

  // Reads `text` over what is already held: a later file (user.js) wins.
  void parse(std::string_view text);

  std::optional<Value> value(const std::string& name) const;
  // The value when it is a string.
  std::optional<std::string> text(const std::string& name) const;
  // The value when it is an integer, or a string holding only a decimal
  // integer (hand-edited files quote numbers now and then).
  std::optional<std::int64_t> integer(const std::string& name) const;

  size_t size() const { return values_.size(); }

 private:
  std::map<std::string, Value> values_;
};
