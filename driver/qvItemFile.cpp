#include "driver/qvItemFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "driver/qvFileSink.h"
#include "html/qvHtmlTag.h"
#include "html/qvHtmlText.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvPrototypeRegistry.h"
#include "ui/qvUserInterface.h"

namespace {

const std::string kRestoreError = "Exception during object restore : ";

// The file's bytes; the size is taken from the open file, so what is
// allocated is what is there.
std::optional<std::string> readWholeFile(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = path + " (" + std::strerror(errno) + ")";
    return std::nullopt;
  }
  std::string data;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && info.st_size > 0) data.reserve(static_cast<std::size_t>(info.st_size));
  char block[65536];
  for (;;) {
    const ssize_t n = ::read(fd, block, sizeof block);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = path + " (" + std::strerror(errno) + ")";
      ::close(fd);
      return std::nullopt;
    }
    data.append(block, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return data;
}

std::unique_ptr<qvHtmlInterface> restoreRecord(std::uint8_t code, qvItemReader& in, std::string_view page,
                                               qvHtmlContext& context, qvItemArena& arena) {
  if (code == qvHtmlText::kRecordCode) return qvHtmlText::restoreText(in, page, arena);
  const qvTagFactory factory = qvRestoreFactory(code);
  if (factory == nullptr) return nullptr;
  std::unique_ptr<qvHtmlTag> tag = factory(context, &arena);
  tag->setTypeCode(code);
  tag->restore(in);
  return tag;
}

}  // namespace

bool qvItemFile::saveItems(qvItemWriter& out, const qvItemList& items, qvUserInterface& ui) {
  const std::size_t total = items.size();
  for (std::size_t i = 0; i < total; ++i) {
    ui.setProgressPosition(static_cast<int>(i * 100 / total), false);
    ui.checkCancel();
    qvHtmlInterface& item = items[i];
    if (item.asText() == nullptr && item.asTag() == nullptr) {
      ui.showError("Internal error (html.write ())");
      return false;
    }
    if (item.isConsumed()) continue;
    out.writeU8(kMarker);
    out.writeU8(item.recordCode());
    if (!item.save(out) || !out.ok()) return false;
  }
  out.flush();
  return out.ok();
}

std::optional<qvItemList> qvItemFile::restoreItems(qvItemReader& in, std::string_view page,
                                                   qvHtmlContext& context, qvUserInterface& ui) {
  qvItemList items;
  long count = 0;
  try {
    while (!in.atEnd()) {
      const std::uint8_t b = in.readU8();
      if (b == kEndOfList) break;
      ui.checkCancel();
      if (b != kMarker) {
        ui.showError("Object restore failed sanity check! (count was " + std::to_string(count) + ", b is " +
                     std::to_string(static_cast<std::int8_t>(b)) + ")");
        return std::nullopt;
      }
      const std::uint8_t code = in.readU8();
      std::unique_ptr<qvHtmlInterface> item = restoreRecord(code, in, page, context, items.arena());
      if (item == nullptr) {
        ui.showError("Unknown object ID (" + std::to_string(code) + ") in restore stream");
        return std::nullopt;
      }
      items.append(std::move(item));
      ++count;
    }
  } catch (const qvItemReadError& error) {
    ui.showError(kRestoreError + error.what());
    return std::nullopt;
  }
  return items;
}

qvItemFile::WriteResult qvItemFile::writePage(const std::string& path, std::string_view text,
                                              const qvItemList* items, qvUserInterface& ui) {
  qvFileSink file(path);
  qvItemWriter out(file);
  out.writeI32(static_cast<std::int32_t>(text.size()));
  out.writeBytes(text);
  out.flush();
  WriteResult result;
  try {
    result.itemsSaved = items == nullptr || file.failed() || saveItems(out, *items, ui);
  } catch (...) {
    file.close();
    ::unlink(path.c_str());
    throw;
  }
  result.written = file.close();
  if (result.ok()) return result;
  if (result.itemsSaved) ui.showError("IO Exception : " + file.errorText());
  ::unlink(path.c_str());
  return result;
}

std::unique_ptr<qvRestoredPage> qvItemFile::readPage(const std::string& path, bool withItems,
                                                     qvHtmlContext& context, qvUserInterface& ui) {
  std::string error;
  const std::optional<std::string> data = readWholeFile(path, error);
  if (!data) {
    ui.showError(kRestoreError + error);
    return nullptr;
  }
  return readPageData(*data, withItems, context, ui);
}

std::unique_ptr<qvRestoredPage> qvItemFile::readPageData(std::string_view data, bool withItems,
                                                         qvHtmlContext& context, qvUserInterface& ui) {
  auto page = std::make_unique<qvRestoredPage>();
  qvItemReader in(data);
  try {
    const std::int32_t n = in.readI32();
    if (n < 0) throw qvItemReadError("negative text length " + std::to_string(n));
    page->text.assign(in.readBytes(static_cast<std::size_t>(n)));
  } catch (const qvItemReadError& e) {
    ui.showError(kRestoreError + e.what());
    return nullptr;
  }
  if (!withItems) return page;
  std::optional<qvItemList> items = restoreItems(in, page->text, context, ui);
  if (!items) return nullptr;
  page->items = std::move(*items);
  return page;
}
