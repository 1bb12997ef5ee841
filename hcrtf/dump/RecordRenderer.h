#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/dump/TopicStream.h"

namespace hcrtf::dump {

// Turns one text or table record of |TOPIC into the dump's lines: a line of
// paragraph attributes, then the text with markers in angle brackets for
// every formatting command (<font 3>, <br>, <tab>, <jump 0x... name>...</hot>,
// <bmc |bm2>, ...), one line per paragraph. Context hashes are shown with
// their names where `names` knows them.
class RecordRenderer {
 public:
  explicit RecordRenderer(const std::map<std::int32_t, std::string>& names);

  struct Result {
    std::vector<std::string> lines;
    std::uint16_t textLength = 0;    // the record's share of topic offsets
    std::set<std::uint16_t> pictures;  // |bmN files referenced by number
  };

  // Throws FormatError when the record's formatting runs past its data; the
  // lines rendered up to that point are lost with it.
  Result render(const TopicLink& link) const;

 private:
  struct State;
  void paragraphInfo(ByteReader& r, State& s, const std::string& prefix) const;
  // Renders text and commands up to the 0xFF that ends them.
  void textAndCommands(ByteReader& r, State& s) const;
  void command(std::uint8_t code, ByteReader& r, State& s) const;
  void picture(std::uint8_t code, ByteReader& r, State& s) const;
  void externalJump(std::uint8_t code, ByteReader& r, State& s) const;
  std::string target(std::int32_t hash) const;

  const std::map<std::int32_t, std::string>& names_;
};

}  // namespace hcrtf::dump
