#pragma once
// Reading the attribute values that several tag classes share: alignment
// words, decimal numbers and "#rrggbb" colours. Pure functions; the tags
// decide what to log when a value is unusable.

#include <cstdint>
#include <optional>
#include <string_view>

namespace qvTagValues {

// Alignment codes kept in tags and formatting records.
constexpr std::uint8_t kAlignNone = 0;
constexpr std::uint8_t kAlignLeft = 1;
constexpr std::uint8_t kAlignCentre = 2;
constexpr std::uint8_t kAlignRight = 3;

// "left" 1, "center"/"centre" 2, "right" 3 (any case); anything else 0.
std::uint8_t parseAlignment(std::string_view value);

// A decimal integer with an optional leading '-' and nothing else; values
// beyond the int range are clamped to it (callers clamp further to their
// own field widths). nullopt when the text is not an integer.
std::optional<int> parseInteger(std::string_view text);

// Exactly '#' and six hexadecimal digits (either case), as a Windows colour
// with red in the low byte; -1 for anything else, colour names included.
int parseColour(std::string_view value);

}  // namespace qvTagValues
