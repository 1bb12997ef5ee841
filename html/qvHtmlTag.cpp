#include "html/qvHtmlTag.h"

#include <cstring>
#include <string>

#include "base/qvTextUtil.h"
#include "html/qvHtmlContext.h"
#include "html/qvItemArena.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvPattern.h"
#include "html/qvTagNameSet.h"

struct qvHtmlTag::Prototype {
  // A class with literal names matches by name; the others by expression.
  std::optional<qvTagNameSet> names;
  std::unique_ptr<qvPattern> pattern;
  qvTagFactory factory = nullptr;
  std::size_t pendingLength = 0;
  std::bitset<256> firstChars;
};

qvHtmlTag::qvHtmlTag(qvHtmlContext& context) : context_(&context) {}

qvHtmlTag::~qvHtmlTag() = default;

void qvHtmlTag::init(std::string_view namePattern, std::uint8_t typeCode, qvTagFactory factory) {
  typeCode_ = typeCode;
  prototype_ = std::make_unique<Prototype>();
  prototype_->factory = factory;
  const std::string name(namePattern);
  prototype_->firstChars = qvPattern::firstCharacters(name);
  prototype_->names = qvTagNameSet::fromPattern(name);
  if (prototype_->names) return;
  // Only the length of a tag match is used, never its groups.
  prototype_->pattern = std::make_unique<qvPattern>(tagExpression(name), qvPattern::Groups::kUnused);
}

std::string qvHtmlTag::tagExpression(std::string_view namePattern) {
  const std::string name(namePattern);
  return "(</?[ \\r\\n\\t]*" + name + "[ \\r\\n\\t]*>)|(</?[ \\r\\n\\t]*" + name + "[ \\t\\r\\n]+[^>]*>)";
}

bool qvHtmlTag::bind(qvItemCursor& /*following*/) { return false; }

bool qvHtmlTag::bindOnce(qvItemCursor& following) {
  if (bindState_ != BindState::kUnbound) {
    if (following.position() < boundEnd_) following.skipTo(boundEnd_);
    return bindState_ == BindState::kKept;
  }
  // Marked before binding: a walk inside this bind that comes back here
  // must not start it again.
  bindState_ = BindState::kDropped;
  boundEnd_ = static_cast<std::uint32_t>(following.position());
  const bool kept = bind(following);
  bindState_ = kept ? BindState::kKept : BindState::kDropped;
  boundEnd_ = static_cast<std::uint32_t>(following.position());
  return kept;
}

void qvHtmlTag::writeRtf(qvRtfWriter& /*out*/, qvItemCursor& /*following*/) {}

std::string qvHtmlTag::normalizeTagText(std::string_view chars) const {
  bool hasBreak = false;
  for (const char c : chars) hasBreak |= (c == '\r' || c == '\n');
  if (!hasBreak) return std::string(chars);
  std::string out;
  out.reserve(chars.size());
  bool inQuotes = false;
  bool nameStarted = false;
  for (const char c : chars) {
    if (c == '\r' || c == '\n') {
      if (!inQuotes && nameStarted) out += ' ';
      continue;
    }
    if (c == '"') inQuotes = !inQuotes;
    if (c != '<' && c != '/') nameStarted = true;
    out += c;
  }
  return out;
}

std::optional<std::string_view> qvHtmlTag::attributeText(std::string_view normalized) const {
  const std::size_t skip = (normalized.size() > 1 && normalized[1] == '/') ? 2 : 1;
  if (normalized.size() < skip) return std::string_view();
  std::string_view rest = normalized.substr(skip);
  if (!rest.empty() && rest.back() == '>') rest.remove_suffix(1);
  if (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest = qvTrim(rest);
  return rest;
}

std::string_view qvHtmlTag::afterName(std::string_view attributeText, std::size_t nameLength) {
  if (nameLength >= attributeText.size()) return {};
  return qvTrim(attributeText.substr(nameLength));
}

void qvHtmlTag::parseAttributes(std::string_view text) { context_->parseAttributes(text); }

bool qvHtmlTag::hasAttribute(std::string_view name) const { return context_->hasAttribute(name); }

bool qvHtmlTag::attributeEquals(std::string_view name, std::string_view value) const {
  return context_->attributeEquals(name, value);
}

std::optional<std::string> qvHtmlTag::getAttribute(std::string_view name) const {
  return context_->getAttribute(name);
}

bool qvHtmlTag::mayStartWith(unsigned char c) const {
  return prototype_ != nullptr && prototype_->firstChars.test(c);
}

std::size_t qvHtmlTag::matchExpression(std::string_view page, std::size_t position) {
  if (prototype_ == nullptr) return 0;
  prototype_->pendingLength = 0;
  const long n = prototype_->names ? static_cast<long>(prototype_->names->matchAt(page, position))
                                   : prototype_->pattern->matchAt(page, position);
  if (n <= 0) return 0;
  prototype_->pendingLength = static_cast<std::size_t>(n);
  return prototype_->pendingLength;
}

std::size_t qvHtmlTag::match(const qvHtmlInterface* /*previous*/, std::string_view page, std::size_t position) {
  if (context_->exclusiveMode != 0 && context_->exclusiveMode != typeCode_) return 0;
  return matchExpression(page, position);
}

bool qvHtmlTag::opensEndTag(std::string_view page, std::size_t position) {
  std::size_t i = position + 1;
  while (i < page.size() && (page[i] == '\r' || page[i] == '\n')) ++i;
  return i < page.size() && page[i] == '/';
}

bool qvHtmlTag::normalizesToEndTag(std::string_view chars) const {
  const std::string normalized = normalizeTagText(chars);
  return normalized.size() > 1 && normalized[1] == '/';
}

std::unique_ptr<qvHtmlInterface> qvHtmlTag::create(const qvHtmlInterface* /*previous*/, std::string_view page,
                                                   std::size_t position, qvItemArena& arena) {
  std::unique_ptr<qvHtmlTag> tag = prototype_->factory(*context_, &arena);
  tag->typeCode_ = typeCode_;
  tag->constructFrom(page.substr(position, prototype_->pendingLength));
  return tag;
}

void qvHtmlTag::setText(std::string_view chars) {
  if (arena_ != nullptr) {
    text_ = arena_->keep(chars);
    return;
  }
  ownText_.assign(chars);
  text_ = ownText_;
}

void qvHtmlTag::constructFrom(std::string_view chars) {
  setText(chars);
  // Most tags sit on one line, and their normalized text is the text itself.
  const bool hasBreak = !text_.empty() && (std::memchr(text_.data(), '\n', text_.size()) != nullptr ||
                                           std::memchr(text_.data(), '\r', text_.size()) != nullptr);
  std::string normalizedCopy;
  if (hasBreak) normalizedCopy = normalizeTagText(chars);
  const std::string_view normalized = hasBreak ? std::string_view(normalizedCopy) : std::string_view(text_);
  endTag_ = normalized.size() > 1 && normalized[1] == '/';
  context_->lastTextRun = nullptr;
  context_->dropNextLeadingBreak = false;
  context_->clearAttributes();
  const std::optional<std::string_view> attributes = attributeText(normalized);
  if (attributes && !attributes->empty()) parseAttributes(*attributes);
  constructed();
}

bool qvHtmlTag::save(qvItemWriter& out) const {
  qvHtmlInterface::save(out);
  out.writeString(text_);
  out.writeBool(endTag_);
  return out.ok();
}

void qvHtmlTag::restore(qvItemReader& in) {
  qvHtmlInterface::restore(in);
  setText(in.readStringView());
  endTag_ = in.readBool();
}

std::string qvHtmlTag::describe() const { return className() + " ( )"; }
