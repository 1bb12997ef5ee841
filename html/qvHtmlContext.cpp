#include "html/qvHtmlContext.h"

#include "base/qvTextUtil.h"

qvHtmlContext::qvHtmlContext(qvUserInterface& ui, qvDriverSettings& settings)
    : ui_(ui),
      settings_(settings),
      urlTable_(settings),
      scratch_(kScratchSize),
      entityPattern_("&(([a-z]+)|(#[0-9]+));?"),
      valuedAttributePattern_("([^ \\t=]+)[ \\t]*=[ \\t]*((\"[^\"]*\")|('[^']*')|([^ \\t]*))"),
      bareAttributePattern_("([^ \\t]+)") {}

qvHtmlContext::~qvHtmlContext() = default;

void qvHtmlContext::beginPage() {
  exclusiveMode = 0;
  lastTextRun = nullptr;
  dropNextLeadingBreak = false;
  bindingInsideTable = false;
  nestedTables = false;
  attributeCount_ = 0;
}

void qvHtmlContext::addAttribute(std::string_view name, std::string_view value) {
  if (attributeCount_ == attributes_.size()) attributes_.emplace_back();
  auto& [key, text] = attributes_[attributeCount_++];
  key.assign(name);
  qvLowerCaseInPlace(key);
  text.assign(value);
}

void qvHtmlContext::parseAttributes(std::string_view text) {
  std::size_t position = 0;
  while (position < text.size()) {
    long n = valuedAttributePattern_.matchAt(text, position);
    if (n > 0) {
      std::string_view value = valuedAttributePattern_.group(2);
      if (valuedAttributePattern_.hasGroup(4)) {
        value = value.substr(1, value.size() - 2);
      } else {
        if (!value.empty() && value.front() == '"') value.remove_prefix(1);
        if (!value.empty() && value.back() == '"') value.remove_suffix(1);
      }
      addAttribute(valuedAttributePattern_.group(1), qvTrim(value));
      position += static_cast<std::size_t>(n);
      continue;
    }
    n = bareAttributePattern_.matchAt(text, position);
    if (n > 0) {
      addAttribute(bareAttributePattern_.group(1), {});
      position += static_cast<std::size_t>(n);
      continue;
    }
    if (text[position] != ' ' && text[position] != '\t') return;
    ++position;
  }
}

bool qvHtmlContext::hasAttribute(std::string_view name) const {
  for (const auto& [key, value] : attributes()) {
    if (key == name) return true;
  }
  return false;
}

bool qvHtmlContext::attributeEquals(std::string_view name, std::string_view value) const {
  for (const auto& [key, text] : attributes()) {
    if (key == name && text == value) return true;
  }
  return false;
}

std::optional<std::string> qvHtmlContext::getAttribute(std::string_view name) const {
  for (const auto& [key, value] : attributes()) {
    if (key == name) return value;
  }
  return std::nullopt;
}
