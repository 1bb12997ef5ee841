// Tags of every registered class are matched by a scan of their name; on any
// text the scan must give the length the class's tag expression gives.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "html/qvHtmlTag.h"
#include "html/qvPattern.h"
#include "html/qvPrototypeRegistry.h"
#include "html/qvTagNameSet.h"

namespace {

struct Matchers {
  Matchers() {
    for (const qvPrototypeEntry& entry : qvPrototypeEntries()) {
      std::optional<qvTagNameSet> names = qvTagNameSet::fromPattern(entry.namePattern);
      if (!names) continue;
      sets.push_back(std::move(*names));
      expressions.push_back(
          std::make_unique<qvPattern>(qvHtmlTag::tagExpression(entry.namePattern), qvPattern::Groups::kUnused));
    }
  }
  std::vector<qvTagNameSet> sets;
  std::vector<std::unique_ptr<qvPattern>> expressions;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Matchers matchers;
  const std::string text = "<" + std::string(reinterpret_cast<const char*>(data), size);
  for (std::size_t i = 0; i < matchers.sets.size(); ++i) {
    const long expected = matchers.expressions[i]->matchAt(text, 0);
    const std::size_t got = matchers.sets[i].matchAt(text, 0);
    if (got != (expected > 0 ? static_cast<std::size_t>(expected) : 0u)) __builtin_trap();
  }
  return 0;
}
