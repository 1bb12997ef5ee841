#pragma once
// What every item of a parsed page is: a formatting record that can be
// consumed by the tag that owns it, saved to and restored from the page's
// intermediate file, and described for the debug log. Prototypes are items
// too: each kind of item has one prototype per run that recognises its
// tokens in the page text and creates the items for them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "rtf/qvTextAttributes.h"

class qvHtmlTag;
class qvHtmlText;
class qvItemArena;
class qvItemReader;
class qvItemWriter;

class qvHtmlInterface : public qvTextAttributes {
 public:
  ~qvHtmlInterface() override = default;

  // Items live on the heap (prototypes, items built by hand) or in their
  // page's qvItemArena; a small header before each object tells delete
  // whether there is anything to free.
  static void* operator new(std::size_t size);
  static void* operator new(std::size_t size, qvItemArena& arena);
  static void operator delete(void* object);
  // Reached only when a constructor throws inside the arena.
  static void operator delete(void* object, qvItemArena& arena);

  // A consumed item belongs to a tag that handles it (an end tag, the items
  // of a list, ...); neither binding nor writing nor saving sees it again.
  virtual bool isConsumed() const = 0;
  virtual void markConsumed() = 0;

  // Prototype side: the number of characters of a token of this kind that
  // starts exactly at `position` of `page`, or 0.
  virtual std::size_t match(const qvHtmlInterface* previous, std::string_view page, std::size_t position) = 0;
  // Prototype side: the item for the characters match() just accepted,
  // built in `arena` (the arena of the list it will join).
  virtual std::unique_ptr<qvHtmlInterface> create(const qvHtmlInterface* previous, std::string_view page,
                                                  std::size_t position, qvItemArena& arena) = 0;
  // Number of page characters this item was made from.
  virtual std::size_t length() const = 0;

  // The record code written before this item's data in the intermediate
  // file: 0x61 for text runs, the tag's type code for tags.
  virtual std::uint8_t recordCode() const = 0;
  // Writes the item's own data (not the marker or the record code); false
  // when the item cannot be saved.
  virtual bool save(qvItemWriter& out) const;
  // Reads back what save() wrote; throws qvItemReadError on short or
  // inconsistent data.
  virtual void restore(qvItemReader& in);

  // Debugging text, e.g. "TagBR ( )" or "htmlText( abc )".
  virtual std::string describe() const = 0;

  // The two kinds the parser, the binder and the writer tell apart.
  virtual qvHtmlText* asText() { return nullptr; }
  virtual qvHtmlTag* asTag() { return nullptr; }
  virtual const qvHtmlTag* asTag() const { return nullptr; }
};
