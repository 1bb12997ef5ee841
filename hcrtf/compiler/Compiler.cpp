#include "hcrtf/compiler/Compiler.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/HelpHash.h"
#include "hcrtf/compiler/IndexFiles.h"
#include "hcrtf/compiler/ParagraphRecordBuilder.h"
#include "hcrtf/compiler/PhraseSelector.h"
#include "hcrtf/compiler/ProjectReader.h"
#include "hcrtf/compiler/RtfReader.h"
#include "hcrtf/compiler/TextUtil.h"

namespace fs = std::filesystem;

namespace hcrtf::compiler {

namespace {
constexpr std::uintmax_t kMaxTopicFile = 1u << 30;

SourcePos projectPos(const HelpProject& project) { return SourcePos{project.projectFile.filename().string(), 0}; }

void systemRecord(ByteWriter& out, std::uint16_t type, const std::vector<std::uint8_t>& data) {
  out.u16(type);
  out.u16(static_cast<unsigned>(data.size()));
  out.bytes(data);
}

std::vector<std::uint8_t> zString(const std::string& text) {
  ByteWriter out;
  out.cString(text.substr(0, 0xFFF0));
  return out.take();
}
}  // namespace

struct Compiler::Built {
  std::vector<TopicRecord> records;
  std::vector<AnchorAt> anchors;
  std::vector<std::size_t> headerRecord;  // per topic, then the closing record
  TopicLayout layout;
  std::vector<ContextEntry> contexts;
  std::map<std::int32_t, std::uint32_t> contextOffsets;
  std::optional<PhraseEncoder> phrases;  // when some record's text is phrase-compressed

  std::uint32_t topicOffset(std::size_t topic) const { return layout.offset(headerRecord.at(topic)); }
};

CompileResult Compiler::compile(const fs::path& projectFile) {
  ProjectReader reader(diag_);
  const HelpProject project = reader.readFile(projectFile);
  if (diag_.errorCount() > 0) return CompileResult{};
  return compile(project);
}

CompileResult Compiler::compile(const HelpProject& project) {
  CompileResult result;
  result.helpFile = project.helpFile;
  topics_.clear();
  fonts_ = FontTable{};
  std::vector<fs::path> pictureFolders = project.bitmapRoots;
  pictureFolders.insert(pictureFolders.end(), project.rtfRoots.begin(), project.rtfRoots.end());
  pictureFolders.push_back(project.projectDir);
  pictures_.emplace(std::move(pictureFolders));
  readTopics(project);
  if (topics_.empty()) {
    diag_.error(projectPos(project), "the project has no topics; no help file written");
    return result;
  }
  normaliseTopicMacros(MacroNormaliser(project.helpFile.filename().string()));
  Built built;
  try {
    buildRecords(project, built);
    if (project.phrasesRequested) compressPhrases(built);
    if (project.compressRequested) {
      built.layout.layoutPacked(built.records);
    } else {
      built.layout.layout(built.records);
    }
  } catch (const std::length_error& e) {
    diag_.error(projectPos(project), e.what());
    return result;
  }
  checkContexts(built);
  addAliases(project, built);
  linkTopicHeaders(built);
  checkJumpTargets(built);
  if (diag_.errorCount() > 0) return result;

  HelpFileWriter file;
  try {
    file.add("|SYSTEM", buildSystemFile(project, built));
    file.add("|TOPIC", project.compressRequested
                           ? built.layout.serializePacked(built.records)
                           : TopicLayout::serializeUncompressed(built.layout.blocks(built.records)));
    if (fonts_.size() == 0) fonts_.intern(FontSpec{});
    file.add("|FONT", fonts_.serialize());
    addIndexFiles(project, built, file);
    if (built.phrases) {
      file.add("|PhrIndex", built.phrases->indexFile());
      file.add("|PhrImage", built.phrases->imageFile());
    }
    for (const auto& [name, content] : pictures_->files()) file.add(name, content);
    addBaggage(project, file);
    const std::vector<std::uint8_t> bytes = file.assemble();
    std::error_code ec;
    if (project.helpFile.has_parent_path()) fs::create_directories(project.helpFile.parent_path(), ec);
    HelpFileWriter::writeAtomically(project.helpFile, bytes);
    result.bytes = bytes.size();
  } catch (const std::exception& e) {
    diag_.error(projectPos(project), e.what());
    return result;
  }
  result.written = true;
  result.topics = topics_.size();
  diag_.note("hcrtf: " + std::to_string(topics_.size()) + " topics, " + std::to_string(built.contexts.size()) +
             " context strings, " + std::to_string(fonts_.size()) + " fonts; wrote " + project.helpFile.string() +
             " (" + std::to_string(result.bytes) + " bytes)");
  return result;
}

void Compiler::readTopics(const HelpProject& project) {
  RtfReader reader(diag_, topics_);
  for (std::size_t i = 0; i < project.topicFiles.size(); ++i) {
    const fs::path& path = project.topicFiles[i];
    const SourcePos named = i < project.topicFileLines.size() ? project.topicFileLines[i] : projectPos(project);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
      diag_.warning(named, "topic file '" + path.string() + "' not found; skipped");
      continue;
    }
    if (fs::file_size(path, ec) > kMaxTopicFile) {
      diag_.warning(named, "topic file '" + path.string() + "' is larger than 1 GB; skipped");
      continue;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) {
      diag_.warning(named, "cannot read topic file '" + path.string() + "'; skipped");
      continue;
    }
    reader.read(text.str(), path.filename().string());
    // The first file that declares a non-Western code page, or whose text
    // uses fonts of one other character set, sets the file's character set.
    if (textCharset_ == 0) textCharset_ = charsetForCodePage(reader.codePage());
    if (textCharset_ == 0 && reader.textCharsets().size() == 1) textCharset_ = *reader.textCharsets().begin();
  }
}

void Compiler::normaliseTopicMacros(const MacroNormaliser& macros) {
  for (Topic& topic : topics_) {
    for (std::size_t i = 0; i < topic.entryMacros.size(); ++i) {
      const SourcePos& where = i < topic.entryMacroLines.size() ? topic.entryMacroLines[i] : topic.where;
      topic.entryMacros[i] = macros.apply(topic.entryMacros[i], where, diag_);
    }
    for (Paragraph& paragraph : topic.paragraphs) {
      for (Inline& item : paragraph.content) {
        auto* start = std::get_if<HotspotStart>(&item);
        if (!start || start->hotspot.kind != Hotspot::Kind::Macro) continue;
        start->hotspot.target = macros.apply(start->hotspot.target, start->hotspot.where, diag_);
      }
    }
  }
}

void Compiler::buildRecords(const HelpProject& project, Built& built) {
  ParagraphRecordBuilder paragraphs(diag_, fonts_, project.windows);
  paragraphs.setPictureResolver([&](const PictureRef& picture) { return resolvePicture(picture); });
  for (std::size_t t = 0; t < topics_.size(); ++t) {
    const Topic& topic = topics_[t];
    paragraphs.startTopic();
    TopicRecord header;
    header.type = kRecordTopicHeader;
    header.data1.assign(kTopicHeaderDataSize, 0);
    std::string names = topic.title.substr(0, 2000);
    for (const auto& macro : topic.entryMacros) names += '\0' + macro.substr(0, 2000);
    header.data2.assign(names.begin(), names.end());
    header.topic = t;
    built.headerRecord.push_back(built.records.size());
    built.records.push_back(std::move(header));
    bool scrolling = false;
    for (std::size_t i = 0; i < topic.paragraphs.size(); ++i) {
      const Paragraph& paragraph = topic.paragraphs[i];
      const std::size_t first = built.records.size();
      if (paragraph.table) {
        // A table row: its paragraphs up to the one that ends the row.
        std::vector<const Paragraph*> row{&paragraph};
        while (!row.back()->table->endsRow && i + 1 < topic.paragraphs.size() && topic.paragraphs[i + 1].table) {
          row.push_back(&topic.paragraphs[++i]);
        }
        paragraphs.buildTableRow(row, t, built.records, built.anchors, topic.where);
      } else {
        paragraphs.build(paragraph, t, built.records, built.anchors);
      }
      const bool nonScrolling = paragraph.format.nonScrolling && !scrolling;
      if (!paragraph.format.nonScrolling) scrolling = true;
      for (std::size_t r = first; r < built.records.size(); ++r) built.records[r].nonScrolling = nonScrolling;
    }
  }
  TopicRecord closing;
  closing.type = kRecordTopicHeader;
  closing.data1.assign(kTopicHeaderDataSize, 0);
  closing.topic = topics_.size();
  built.headerRecord.push_back(built.records.size());
  built.records.push_back(std::move(closing));
}

void Compiler::compressPhrases(Built& built) {
  PhraseSelector selector;
  for (const TopicRecord& record : built.records) selector.add(record.data2);
  PhraseEncoder encoder(selector.select(kMaxPhrases));
  if (encoder.phrases().empty()) return;
  std::size_t saved = 0;
  for (TopicRecord& record : built.records) {
    if (record.data2.empty()) continue;
    std::vector<std::uint8_t> coded = encoder.encode(record.data2);
    if (coded.size() >= record.data2.size()) continue;
    saved += record.data2.size() - coded.size();
    record.phrased2 = std::move(coded);
  }
  // Two more internal files, each with a header and a directory entry.
  constexpr std::size_t kFileOverhead = 2 * (kInternalFileHeaderSize + 16);
  if (saved <= encoder.indexFile().size() + encoder.imageFile().size() + kFileOverhead) {
    for (TopicRecord& record : built.records) record.phrased2.clear();
    return;
  }
  built.phrases.emplace(std::move(encoder));
}

void Compiler::checkContexts(Built& built) {
  std::map<std::string, SourcePos> defined;
  std::map<std::int32_t, std::string> byHash;
  for (const AnchorAt& anchor : built.anchors) {
    const std::string key = toLower(anchor.context);
    if (const auto first = defined.find(key); first != defined.end()) {
      diag_.warning(anchor.where, "context string '" + anchor.context + "' is defined again (first in " +
                                      first->second.file + ":" + std::to_string(first->second.line) + "); ignored here");
      continue;
    }
    const std::int32_t hash = helpHash(anchor.context);
    if (const auto clash = byHash.find(hash); clash != byHash.end()) {
      diag_.error(anchor.where, "context strings '" + clash->second + "' and '" + anchor.context +
                                    "' have the same hash value; rename one of them");
      continue;
    }
    if (!isPortableContextString(anchor.context)) {
      diag_.warning(anchor.where, "context string '" + anchor.context +
                                      "' has characters other than letters, digits, '.' and '_'; some viewers cannot open it");
    }
    defined.emplace(key, anchor.where);
    byHash.emplace(hash, anchor.context);
    const std::uint32_t offset = built.layout.offset(anchor.record) + anchor.charOffset;
    built.contexts.push_back(ContextEntry{hash, offset});
    built.contextOffsets.emplace(hash, offset);
  }
}

void Compiler::addAliases(const HelpProject& project, Built& built) {
  std::map<std::int32_t, const AliasEntry*> pending;
  for (const AliasEntry& alias : project.aliases) {
    const std::int32_t hash = helpHash(alias.alias);
    if (built.contextOffsets.count(hash) || pending.count(hash)) {
      diag_.warning(alias.where, "alias '" + alias.alias + "' is already a context string; ignored");
      continue;
    }
    pending.emplace(hash, &alias);
  }
  // An alias may stand for another alias; each pass settles those whose
  // target is known, so a chain takes as many passes as it is long.
  for (bool progress = true; progress && !pending.empty();) {
    progress = false;
    for (auto it = pending.begin(); it != pending.end();) {
      const auto target = built.contextOffsets.find(helpHash(it->second->context));
      if (target == built.contextOffsets.end()) {
        ++it;
        continue;
      }
      const std::uint32_t offset = target->second;
      built.contexts.push_back(ContextEntry{it->first, offset});
      built.contextOffsets.emplace(it->first, offset);
      it = pending.erase(it);
      progress = true;
    }
  }
  for (const auto& [hash, alias] : pending) {
    diag_.warning(alias->where, "alias '" + alias->alias + "' names context string '" + alias->context +
                                    "' that no topic defines; ignored");
  }
}

// Baggage files go into the help file under their own names, for macros and
// DLLs that open them from there.
void Compiler::addBaggage(const HelpProject& project, HelpFileWriter& file) {
  for (std::size_t i = 0; i < project.baggage.size(); ++i) {
    const fs::path& path = project.baggage[i];
    const SourcePos where = i < project.baggageLines.size() ? project.baggageLines[i] : projectPos(project);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) > kMaxTopicFile) {
      diag_.warning(where, "baggage file '" + path.string() + "' not found or too large; left out");
      continue;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string name = path.filename().string();
    if (file.has(name)) {
      diag_.warning(where, "baggage file '" + name + "' is named twice or clashes with an internal file; left out");
      continue;
    }
    file.add(name, std::move(content));
  }
}

void Compiler::checkJumpTargets(const Built& built) {
  for (const Topic& topic : topics_) {
    for (const Paragraph& paragraph : topic.paragraphs) {
      for (const Inline& item : paragraph.content) {
        const auto* start = std::get_if<HotspotStart>(&item);
        if (!start || start->hotspot.kind == Hotspot::Kind::Macro || !start->hotspot.file.empty()) continue;
        if (built.contextOffsets.count(helpHash(start->hotspot.target))) continue;
        diag_.warning(start->hotspot.where, "jump to undefined context string '" + start->hotspot.target + "'");
      }
    }
  }
}

void Compiler::linkTopicHeaders(Built& built) {
  const std::size_t count = topics_.size();
  std::vector<std::uint32_t> previous(count, kNoTopic), next(count, kNoTopic);
  std::map<std::string, std::vector<std::size_t>> sequences;
  for (std::size_t t = 0; t < count; ++t) {
    if (!topics_[t].inBrowse) continue;
    const std::string& browse = topics_[t].browse;
    const auto colon = browse.find(':');
    sequences[colon == std::string::npos ? std::string() : toLower(trim(browse.substr(0, colon)))].push_back(t);
  }
  for (auto& [major, members] : sequences) {
    const auto minor = [&](std::size_t t) {
      const std::string& browse = topics_[t].browse;
      const auto colon = browse.find(':');
      const std::string value = toLower(trim(colon == std::string::npos ? browse : browse.substr(colon + 1)));
      return value == "auto" ? std::string() : value;
    };
    std::stable_sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) { return minor(a) < minor(b); });
    for (std::size_t i = 0; i + 1 < members.size(); ++i) {
      next[members[i]] = built.topicOffset(members[i + 1]);
      previous[members[i + 1]] = built.topicOffset(members[i]);
    }
  }
  for (std::size_t t = 0; t <= count; ++t) {
    const std::size_t header = built.headerRecord[t];
    const std::size_t end = t < count ? built.headerRecord[t + 1] : header + 1;
    std::uint32_t size = 0, nonScroll = kNoTopic, scroll = kNoTopic;
    for (std::size_t r = header + 1; r < end; ++r) {
      size += static_cast<std::uint32_t>(built.records[r].size());
      std::uint32_t& first = built.records[r].nonScrolling ? nonScroll : scroll;
      if (first == kNoTopic) first = built.layout.position(r);
    }
    ByteWriter data;
    data.u32(size);
    data.u32(t < count ? previous[t] : kNoTopic);
    data.u32(t < count ? next[t] : kNoTopic);
    data.u32(static_cast<std::uint32_t>(t));
    data.u32(nonScroll);
    data.u32(scroll);
    data.u32(t < count ? built.layout.position(end) : kNoTopic);
    built.records[header].data1 = data.take();
  }
}

std::vector<std::uint8_t> Compiler::buildSystemFile(const HelpProject& project, const Built& built) {
  ByteWriter out;
  out.u16(kSystemMagic);
  out.u16(kSystemMinorWin4);
  out.u16(kSystemMajor);
  out.u32(static_cast<std::uint32_t>(std::time(nullptr)));
  out.u16(project.compressRequested ? kSystemFlagsLz77 : kSystemFlagsStored);
  std::string title = project.title;
  if (title.empty()) {
    for (const auto& w : project.windows) {
      if (equalsIgnoreCase(w.name, "main")) title = w.caption;
    }
  }
  if (!title.empty()) systemRecord(out, kSystemTitle, zString(title));
  if (!project.copyright.empty()) systemRecord(out, kSystemCopyright, zString(project.copyright));
  if (!project.citation.empty()) systemRecord(out, kSystemCitation, zString(project.citation));
  // The viewer looks for the contents file by this name beside the help file.
  if (!project.contentsFile.empty()) systemRecord(out, kSystemContentsFile, zString(project.contentsFile));
  std::uint32_t contents = built.topicOffset(0);
  if (!project.contents.empty()) {
    const auto found = built.contextOffsets.find(helpHash(project.contents));
    if (found != built.contextOffsets.end()) contents = found->second;
    else diag_.warning(projectPos(project), "CONTENTS topic '" + project.contents + "' is not defined; the first topic is used");
  }
  ByteWriter contentsBytes;
  contentsBytes.u32(contents);
  systemRecord(out, kSystemContents, contentsBytes.data());
  const MacroNormaliser macros(project.helpFile.filename().string());
  // The viewer runs these macros again at every jump, and when the jump comes
  // from a macro (a button, a macro hotspot) its lexer drops the first macro
  // of that nested run: an empty lead macro takes the loss, so a button that
  // jumps does not lose the buttons the project defines.
  const bool anyEntryMacro = std::any_of(topics_.begin(), topics_.end(),
                                         [](const Topic& topic) { return !topic.entryMacros.empty(); });
  if (!project.configMacros.empty() || anyEntryMacro) systemRecord(out, kSystemMacro, zString(""));
  for (std::size_t i = 0; i < project.configMacros.size(); ++i) {
    const SourcePos where = i < project.configMacroLines.size() ? project.configMacroLines[i] : projectPos(project);
    systemRecord(out, kSystemMacro, zString(macros.apply(project.configMacros[i], where, diag_)));
  }
  for (const auto& window : project.windows) systemRecord(out, kSystemWindow, windowRecord(window));
  ByteWriter lcid;
  lcid.zeros(8);
  lcid.u16(project.lcid);
  systemRecord(out, kSystemLcid, lcid.data());
  ByteWriter charset;
  // The viewer gives every font of the file this character set.
  charset.u16(project.charset ? *project.charset : static_cast<std::uint16_t>(textCharset_));
  systemRecord(out, kSystemCharset, charset.data());
  return out.take();
}

std::optional<int> Compiler::resolvePicture(const PictureRef& picture) {
  // Transparent pictures (bmct, bmlt, bmrt) are stored opaque: Wine's viewer
  // leaves a transparent picture out altogether, which is worse than showing
  // its white pixels.
  const PictureStore::Result stored = pictures_->add(picture.fileName, false);
  if (!stored.number) diag_.warning(picture.where, "picture '" + picture.fileName + "' left out: " + stored.error);
  return stored.number;
}

void Compiler::addIndexFiles(const HelpProject& project, const Built& built, HelpFileWriter& file) {
  file.add("|CONTEXT", buildContextFile(built.contexts));
  std::vector<TitleEntry> titles;
  std::vector<KeywordEntry> keywords;
  std::map<char, std::vector<KeywordEntry>> otherKeywords;  // by footnote letter, K among them
  for (std::size_t t = 0; t < topics_.size(); ++t) {
    titles.push_back(TitleEntry{built.topicOffset(t), topics_[t].title});
    for (const auto& keyword : topics_[t].keywords) keywords.push_back(KeywordEntry{keyword, built.topicOffset(t)});
    for (const auto& [mark, list] : topics_[t].otherKeywords) {
      for (const auto& keyword : list) otherKeywords[mark].push_back(KeywordEntry{keyword, built.topicOffset(t)});
    }
  }
  file.add("|TTLBTREE", buildTitleFile(std::move(titles)));
  if (!keywords.empty()) otherKeywords['K'] = std::move(keywords);
  // Each letter's table is three files named after it: |KWBTREE, |AWDATA...
  for (auto& [mark, entries] : otherKeywords) {
    KeywordFiles kw = buildKeywordFiles(std::move(entries));
    const std::string prefix = std::string("|") + mark + "W";
    file.add(prefix + "BTREE", std::move(kw.btree));
    file.add(prefix + "DATA", std::move(kw.data));
    file.add(prefix + "MAP", std::move(kw.map));
  }
  std::vector<std::pair<std::int32_t, std::uint32_t>> map;
  for (const MapEntry& entry : project.map) {
    const auto found = built.contextOffsets.find(helpHash(entry.context));
    if (found == built.contextOffsets.end()) {
      diag_.warning(entry.where, "[MAP] names context string '" + entry.context + "' that no topic defines");
      continue;
    }
    map.emplace_back(entry.id, found->second);
  }
  file.add("|CTXOMAP", buildMapFile(map));
}

}  // namespace hcrtf::compiler
