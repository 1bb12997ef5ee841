#pragma once
// Base of every tag item. A tag keeps a copy of its own characters, its type
// code (which is also its record code in the intermediate file), whether it
// is an end tag, and the consumed mark. The prototype of each tag class holds
// the class's compiled expression and recognises its tags in the page; the
// items it creates run the common construction (copy, normalize, end-tag
// flag, attribute parse) and then the class's own constructor work.
//
// A tag class derives from this, reads its attributes in constructed(),
// overrides bind/writeRtf, and saves and restores its extra fields by
// overriding save/restore and calling these first.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "html/qvHtmlInterface.h"
#include "html/qvItemList.h"

class qvHtmlContext;
class qvHtmlTag;
class qvPattern;
class qvRtfWriter;

// Makes an empty object of one tag class bound to the context: used for the
// prototype (on the heap: `arena` null), for every tag the prototype
// creates and for restored tags (in the arena of their page's list).
using qvTagFactory = std::unique_ptr<qvHtmlTag> (*)(qvHtmlContext& context, qvItemArena* arena);

class qvHtmlTag : public qvHtmlInterface {
 public:
  explicit qvHtmlTag(qvHtmlContext& context);
  ~qvHtmlTag() override;
  // The text may live in the tag itself.
  qvHtmlTag(const qvHtmlTag&) = delete;
  qvHtmlTag& operator=(const qvHtmlTag&) = delete;

  // Where the tag keeps its characters: in `arena` when it is set (the
  // tag's own), else in the tag. Set once, before the tag gets its text.
  void keepTextIn(qvItemArena* arena) { arena_ = arena; }

  // Prototype set-up: prepares the match of the tag expression around
  // `namePattern` (a name scan where qvTagNameSet can stand for it, else the
  // compiled expression), stores the type code and the factory that creates
  // this class's items.
  void init(std::string_view namePattern, std::uint8_t typeCode, qvTagFactory factory);

  // The tag expression of a class whose tag names `namePattern` matches:
  // "<", an optional "/", the name, then ">" after optional white space or
  // anything but ">" after some white space.
  static std::string tagExpression(std::string_view namePattern);

  // ---- Items of the page ----
  std::uint8_t typeCode() const { return typeCode_; }
  void setTypeCode(std::uint8_t code) { typeCode_ = code; }
  bool isEndTag() const { return endTag_; }
  // True for the classes that understand their tag; false for the generic one.
  virtual bool isKnown() const { return true; }
  // The characters the tag was made from, '<' to '>'.
  std::string_view text() const { return text_; }

  bool isConsumed() const override { return consumed_; }
  void markConsumed() override { consumed_ = true; }

  // Whether the tag stays in the bound list. `following` is positioned after
  // the tag; a tag that takes items for itself advances it, and marks
  // later tags it handles with markConsumed. Default: dropped. Called
  // through bindOnce.
  virtual bool bind(qvItemCursor& following);
  // Binds the tag the first time it is met. A walk that meets it again (the
  // walks of script sections and forms bind the tags they pass, which may
  // have been bound already) gets the first answer and is moved past the
  // items the tag took then: a container binding twice would take its
  // items twice, and its nested containers theirs once more per level, so
  // a page could be written again and again without end.
  bool bindOnce(qvItemCursor& following);
  // Writes the tag's RTF; `following` is positioned after the tag in the
  // bound list. Default: nothing.
  virtual void writeRtf(qvRtfWriter& out, qvItemCursor& following);

  // ---- Construction ----
  // `chars` without CR and LF; one outside quotes, once the name started, is
  // one blank.
  std::string normalizeTagText(std::string_view chars) const;
  // The text after '<' or "</" and before '>', leading blanks trimmed;
  // classes also skip their name; a view into `normalized`. nullopt: no
  // attributes to parse.
  virtual std::optional<std::string_view> attributeText(std::string_view normalized) const;
  // Fills the context's attribute list.
  virtual void parseAttributes(std::string_view text);
  // Look-ups in the attribute list; valid only during construction.
  bool hasAttribute(std::string_view name) const;
  bool attributeEquals(std::string_view name, std::string_view value) const;
  std::optional<std::string> getAttribute(std::string_view name) const;

  // ---- Prototype operations ----
  std::size_t match(const qvHtmlInterface* previous, std::string_view page, std::size_t position) override;
  std::unique_ptr<qvHtmlInterface> create(const qvHtmlInterface* previous, std::string_view page,
                                          std::size_t position, qvItemArena& arena) override;
  std::size_t length() const override { return text_.size(); }
  // Whether a tag name beginning with `c` can match this prototype; lets
  // the tokenizer skip prototypes without running their expression.
  bool mayStartWith(unsigned char c) const;

  std::uint8_t recordCode() const override { return typeCode_; }
  // Saves the formatting record, the tag's characters and the end-tag flag.
  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;

  // "TagXyz ( )" by default; the class name is className().
  std::string describe() const override;
  virtual std::string className() const { return "HtmlTag"; }

  qvHtmlTag* asTag() override { return this; }
  const qvHtmlTag* asTag() const override { return this; }

 protected:
  // The class's own constructor work, run after the common construction
  // while the attribute list is valid.
  virtual void constructed() {}
  // The attribute text after skipping `nameLength` characters of the name.
  static std::string_view afterName(std::string_view attributeText, std::size_t nameLength);
  // The prototype's match of its expression alone, without the exclusive
  // mode rule; stores the pending length.
  std::size_t matchExpression(std::string_view page, std::size_t position);
  // True when the tag text normalizes to an end tag.
  bool normalizesToEndTag(std::string_view chars) const;
  // True when the '<' at `position` can only start an end tag: normalizing
  // drops line breaks before the name, so the next other character is '/'.
  static bool opensEndTag(std::string_view page, std::size_t position);

  qvHtmlContext& context() const { return *context_; }
  // Runs the common construction of `tag` over `chars`, as if its own
  // prototype had matched them.
  static void construct(qvHtmlTag& tag, std::string_view chars) { tag.constructFrom(chars); }

 private:
  void constructFrom(std::string_view chars);
  void setText(std::string_view chars);

  // What only a prototype needs; a page can hold millions of tags, so the
  // items do without it.
  struct Prototype;

  qvHtmlContext* context_;
  std::unique_ptr<Prototype> prototype_;
  qvItemArena* arena_ = nullptr;
  std::string_view text_;   // in arena_, or in ownText_
  std::string ownText_;
  std::uint8_t typeCode_ = 0;
  bool endTag_ = false;
  bool consumed_ = false;
  enum class BindState : std::uint8_t { kUnbound, kDropped, kKept };
  BindState bindState_ = BindState::kUnbound;
  // Where the walk stood after the first bind, in the page's item list.
  std::uint32_t boundEnd_ = 0;
};
