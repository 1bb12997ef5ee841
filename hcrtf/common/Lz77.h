#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace hcrtf {

// Decoders for the two packings help files use (see HelpFormat.h).
//
// LZ77 streams have no end marker: input ends where the caller says, and a
// flag byte may describe items that never come.
//
// Decoding stops at maxOutput bytes, so a hostile stream can neither grow
// memory without bound nor write past a fixed-size block. A back-reference to
// before the start of the output reads as NUL bytes (the window the format
// assumes is zero-filled), which keeps the decoder total.
std::vector<std::uint8_t> lz77Decompress(std::span<const std::uint8_t> input,
                                         std::size_t maxOutput);

// The run-length packing of pictures. Also stops at maxOutput bytes; a
// truncated copy takes what is there.
std::vector<std::uint8_t> runLengthDecode(std::span<const std::uint8_t> input,
                                          std::size_t maxOutput);

}  // namespace hcrtf
