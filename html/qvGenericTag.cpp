#include "html/qvGenericTag.h"

#include "html/qvPrototypeRegistry.h"

namespace {
std::size_t nameLength(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && text[n] != ' ' && text[n] != '\t') ++n;
  return n;
}
}  // namespace

std::optional<std::string> qvPlaceholderTag::attributeText(std::string_view normalized) const {
  const std::optional<std::string> rest = qvHtmlTag::attributeText(normalized);
  if (!rest) return rest;
  return afterName(*rest, nameLength(*rest));
}

void qvPlaceholderTag::constructed() {
  const std::optional<std::string> rest = qvHtmlTag::attributeText(normalizeTagText(text()));
  if (!rest) return;
  const std::string_view name = std::string_view(*rest).substr(0, nameLength(*rest));
  setTypeCode(qvInstanceTypeCode(typeCode(), name));
}
