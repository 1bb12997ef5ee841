#pragma once
// What `gsettings get` prints: one value in GVariant text form ("'manual'",
// "uint32 8080", "['localhost', '127.0.0.0/8']", "@as []"). Any bytes parse;
// a value of another shape than asked for reads as nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class qvGsettingsOutput {
 public:
  static std::optional<std::string> toString(std::string_view value);
  static std::optional<std::int64_t> toInteger(std::string_view value);
  static std::optional<std::vector<std::string>> toStringList(std::string_view value);
};
