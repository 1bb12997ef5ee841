// Phrase coding of any text must expand back to it through the reader's
// phrase table, with a dictionary picked from that text or from the input.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "hcrtf/compiler/PhraseEncoder.h"
#include "hcrtf/compiler/PhraseSelector.h"
#include "hcrtf/dump/PhraseTable.h"

namespace {

void roundTrip(const hcrtf::compiler::PhraseEncoder& encoder, std::span<const std::uint8_t> text) {
  const auto index = encoder.indexFile();
  const auto image = encoder.imageFile();
  const hcrtf::dump::PhraseTable table = hcrtf::dump::PhraseTable::fromHall(index, image);
  if (table.size() != encoder.phrases().size()) __builtin_trap();
  std::size_t bad = 0;
  const std::string back = table.expand(encoder.encode(text), text.size(), &bad);
  if (bad != 0 || back != std::string(text.begin(), text.end())) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> in(data, size);
  // Phrases given outright: the input up to its first '|', cut at '\n'.
  std::vector<std::string> given;
  std::size_t text = 0;
  std::string current;
  for (; text < size && data[text] != '|'; ++text) {
    if (data[text] == '\n') {
      given.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[text]));
    }
  }
  given.push_back(current);
  const auto body = in.subspan(text < size ? text + 1 : size);
  roundTrip(hcrtf::compiler::PhraseEncoder(given), body);

  hcrtf::compiler::PhraseSelector selector;
  selector.add(body);
  selector.add(in);
  roundTrip(hcrtf::compiler::PhraseEncoder(selector.select(300)), in);
  return 0;
}
