#pragma once
// The intermediate file of one page, which keeps the crawl down to one
// page's items in memory: written by the crawl, read back by the final pass.
//
// Layout (numbers big-endian):
//   N            4 bytes, signed: number of page characters
//   page text    N bytes, one byte per character
//   records      HTML pages only, in page order, each:
//                  0x7F, record code (0x61 text, else the tag's type code),
//                  the item's own data (its save/restore)
// The records have no count and no terminator: the end of the file, or a
// byte 0xFF where a marker is expected, ends them.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "html/qvItemList.h"

class qvHtmlContext;
class qvItemReader;
class qvItemWriter;
class qvUserInterface;

// A restored page: its text and the items that refer to it. Kept behind a
// pointer so the text never moves while the items point into it.
struct qvRestoredPage {
  std::string text;
  qvItemList items;
};

class qvItemFile {
 public:
  static constexpr unsigned char kMarker = 0x7F;
  static constexpr unsigned char kEndOfList = 0xFF;

  // Writes the records of `items` (the caller wrote N and the text first).
  // Consumed items are left out. False when an item is neither text nor tag
  // ("Internal error (html.write ())" is shown) or a write fails. Reports
  // progress and lets the user cancel (qvCancelException).
  static bool saveItems(qvItemWriter& out, const qvItemList& items, qvUserInterface& ui);

  // Reads the records that follow the page text; text runs refer to `page`.
  // nullopt after showing why: a bad marker ("Object restore failed sanity
  // check! ..."), an unknown code ("Unknown object ID (...) in restore
  // stream") or bad data ("Exception during object restore : ...").
  static std::optional<qvItemList> restoreItems(qvItemReader& in, std::string_view page, qvHtmlContext& context,
                                                qvUserInterface& ui);

  // How writing a page's file went; on any failure the file is removed.
  struct WriteResult {
    bool itemsSaved = true;  // false: saveItems refused an item
    bool written = true;     // false: the file could not be written
    bool ok() const { return itemsSaved && written; }
  };
  // Writes the whole file: N, the text and, when `items` is given, the
  // records. An I/O failure is shown ("IO Exception : " + reason) unless
  // saving the items had already failed and said so.
  static WriteResult writePage(const std::string& path, std::string_view text, const qvItemList* items,
                               qvUserInterface& ui);

  // Reads the whole file; with `withItems` the records are restored too,
  // otherwise anything after the text is ignored (plain-text pages). Null
  // after showing why.
  static std::unique_ptr<qvRestoredPage> readPage(const std::string& path, bool withItems, qvHtmlContext& context,
                                                  qvUserInterface& ui);

  // As readPage, over the file's bytes already in memory.
  static std::unique_ptr<qvRestoredPage> readPageData(std::string_view data, bool withItems,
                                                      qvHtmlContext& context, qvUserInterface& ui);
};
