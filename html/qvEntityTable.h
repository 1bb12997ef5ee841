#pragma once
// The character entities the converter knows, and one single-character
// array per code so that entity items can refer to their character instead
// of owning a copy. Names are matched exactly (case matters). The table is
// built once and never changes.

#include <cstdint>
#include <optional>
#include <string_view>

class qvEntityTable {
 public:
  // The table; built on first use.
  static const qvEntityTable& instance();

  // Windows-1252 code of an entity name (without '&' and ';'), or nullopt.
  std::optional<int> lookup(std::string_view name) const;
  // A one-character array holding `code` (0..255).
  const char* character(std::uint8_t code) const { return &characters_[code]; }

 private:
  qvEntityTable();
  char characters_[256];
};
