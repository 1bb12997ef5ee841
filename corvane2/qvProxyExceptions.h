#pragma once
// Turns the "no proxy" lists of Firefox, KDE, GNOME and the environment into
// host suffixes the engine matches: "*.a.com" becomes ".a.com", "a.com" stays.
// What a suffix cannot express is left out rather than widened: address
// ranges ("10.0.0.0/8", "192.168.*"), other wildcards and "<local>".

#include <string>
#include <string_view>
#include <vector>

class qvProxyExceptions {
 public:
  // Splits at commas and blanks, then normalises every item.
  static std::vector<std::string> fromList(std::string_view list);
  // Normalises items already split; empty and unusable items are dropped.
  static std::vector<std::string> fromItems(const std::vector<std::string>& items);
  // The suffix for one item, or empty when it has none.
  static std::string suffix(std::string_view item);
};
