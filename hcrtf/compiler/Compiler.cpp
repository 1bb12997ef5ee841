#include "hcrtf/compiler/Compiler.h"

#include <algorithm>
#include <ctime>
#include <deque>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <unordered_map>

#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/HelpHash.h"
#include "hcrtf/compiler/HeldTopics.h"
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
// The records held back to choose the phrase dictionary from: the text it is
// counted on, with the formatting and headers that come with it.
constexpr std::size_t kHeldBytes = 8u << 20;

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

struct Compiler::OpenTopic {
  std::size_t topic = 0;
  std::size_t header = 0;       // record number of its topic header
  std::size_t end = 0;          // one past its last record
  bool inBrowse = false;
  std::vector<bool> nonScrolling;  // per record after the header
  std::vector<AnchorAt> anchors;   // record numbers are the writer's
  std::size_t nextAnchor = 0;
  std::uint32_t nonScroll = kNoTopic;  // the first record of each region
  std::uint32_t scroll = kNoTopic;
};

struct ContextDef {
  std::uint32_t offset = 0;  // TOPICOFFSET
  std::uint32_t file = 0;    // where it was first defined
  int line = 0;
  std::string name;
};

// A jump whose target was not defined yet when it was read.
struct JumpRef {
  std::string target;
  SourcePos where;
};

struct BrowseMember {
  std::size_t topic = 0;
  std::size_t header = 0;
  std::string browse;
};

struct Compiler::Built {
  std::optional<PhraseEncoder> phrases;
  MacroNormaliser macros;
  std::size_t topics = 0;
  std::size_t records = 0;
  std::vector<std::uint32_t> topicOffsets;  // per topic, the TOPICOFFSET of its header
  std::deque<OpenTopic> open;
  // Context strings and aliases by hash. Names equal but for case hash
  // alike, so one table finds both repeated names and clashing ones.
  std::unordered_map<std::int32_t, ContextDef> contexts;
  std::vector<std::string> contextFiles;  // the files named by ContextDef::file
  std::vector<JumpRef> jumps;
  std::size_t jumpsAfterSweep = 0;

  std::vector<BrowseMember> browse;
  // Title and keyword entries hold topic numbers until the topics are placed.
  std::vector<TitleEntry> titles;
  std::map<char, std::vector<KeywordEntry>> keywords;  // by footnote letter, K among them
  bool anyEntryMacro = false;
  // Topics read before the phrase dictionary is chosen.
  bool choosingPhrases = false;
  HeldTopics held{kHeldBytes};
  std::vector<AnchorAt> topicAnchors;  // scratch space for one topic

  explicit Built(const std::string& helpFileName) : macros(helpFileName) {}

  const ContextDef* context(const std::string& name) const {
    const auto found = contexts.find(helpHash(name));
    return found == contexts.end() ? nullptr : &found->second;
  }
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
  fonts_ = FontTable{};
  textCharset_ = 0;
  std::vector<fs::path> pictureFolders = project.bitmapRoots;
  pictureFolders.insert(pictureFolders.end(), project.rtfRoots.begin(), project.rtfRoots.end());
  pictureFolders.push_back(project.projectDir);
  pictures_.emplace(std::move(pictureFolders));
  // The store sends pictures to a spill file of this call; it goes with it.
  struct PictureStoreReset {
    std::optional<PictureStore>& store;
    ~PictureStoreReset() { store.reset(); }
  } pictureStoreReset{pictures_};
  Built built(project.helpFile.filename().string());
  std::size_t contexts = 0;
  try {
    built.choosingPhrases = project.phrasesRequested;
    SpillFile spill(project.helpFile.parent_path());
    SpillFile pictureSpill(project.helpFile.parent_path());
    pictures_->spillTo(pictureSpill);
    TopicStreamWriter writer(spill, project.compressRequested);
    if (!streamTopics(project, built, writer)) return result;
    if (built.topics == 0) {
      diag_.error(projectPos(project), "the project has no topics; no help file written");
      return result;
    }
    addAliases(project, built);
    linkBrowseSequences(built, writer);
    checkJumpTargets(built);
    if (diag_.errorCount() > 0) return result;

    contexts = built.contexts.size();  // aliases among them
    result.bytes = writeHelpFile(project, built, HelpFileParts{spill, writer.size(), pictureSpill});
  } catch (const std::exception& e) {
    diag_.error(projectPos(project), e.what());
    return result;
  }
  result.written = true;
  result.topics = built.topics;
  diag_.note("hcrtf: " + std::to_string(built.topics) + " topics, " + std::to_string(contexts) +
             " context strings, " + std::to_string(fonts_.size()) + " fonts; wrote " + project.helpFile.string() +
             " (" + std::to_string(result.bytes) + " bytes)");
  return result;
}

// Assembles the help file from the internal files made in memory and the
// spill files, under a temporary name that becomes the help file when whole.
std::uint64_t Compiler::writeHelpFile(const HelpProject& project, Built& built, const HelpFileParts& parts) {
  HelpFileWriter file;
  file.add("|SYSTEM", buildSystemFile(project, built));
  file.add("|TOPIC", parts.topics, 0, parts.topicSize);
  if (fonts_.size() == 0) fonts_.intern(FontSpec{});
  file.add("|FONT", fonts_.serialize());
  addIndexFiles(project, built, file);
  if (built.phrases) {
    file.add("|PhrIndex", built.phrases->indexFile());
    file.add("|PhrImage", built.phrases->imageFile());
  }
  for (std::size_t i = 0; i < pictures_->files().size(); ++i) {
    const auto& [name, content] = pictures_->files()[i];
    if (const auto place = pictures_->spilled(i)) {
      file.add(name, parts.pictures, place->first, place->second);
    } else {
      file.add(name, content);
    }
  }
  addBaggage(project, file);
  std::error_code ec;
  if (project.helpFile.has_parent_path()) fs::create_directories(project.helpFile.parent_path(), ec);
  return file.writeTo(project.helpFile);
}

void Compiler::readTopicFiles(const HelpProject& project, const TopicSink& sink) {
  std::vector<Topic> topics;
  RtfReader reader(diag_, topics);
  for (std::size_t i = 0; i < project.topicFiles.size(); ++i) {
    const fs::path& path = project.topicFiles[i];
    const SourcePos named = i < project.topicFileLines.size() ? project.topicFileLines[i] : projectPos(project);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
      diag_.warning(named, "topic file '" + path.string() + "' not found; skipped");
      continue;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (size > kMaxTopicFile) {
      diag_.warning(named, "topic file '" + path.string() + "' is larger than 1 GB; skipped");
      continue;
    }
    std::string text(ec ? 0 : static_cast<std::size_t>(size), '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!in || in.peek() != std::char_traits<char>::eof()) {
      diag_.warning(named, "cannot read topic file '" + path.string() + "'; skipped");
      continue;
    }
    reader.read(text, path.filename().string(), [&](std::vector<Topic>& read) {
      sink(read);
      read.clear();
    });
    text = std::string();
    // The first file that declares a non-Western code page, or whose text
    // uses fonts of one other character set, sets the file's character set.
    if (textCharset_ == 0) textCharset_ = charsetForCodePage(reader.codePage());
    if (textCharset_ == 0 && reader.textCharsets().size() == 1) textCharset_ = *reader.textCharsets().begin();
  }
}

void Compiler::normaliseMacros(Topic& topic, const MacroNormaliser& macros, Diagnostics& diag) {
  for (std::size_t i = 0; i < topic.entryMacros.size(); ++i) {
    const SourcePos& where = i < topic.entryMacroLines.size() ? topic.entryMacroLines[i] : topic.where;
    topic.entryMacros[i] = macros.apply(topic.entryMacros[i], where, diag);
  }
  for (Paragraph& paragraph : topic.paragraphs) {
    for (Inline& item : paragraph.content) {
      auto* start = std::get_if<HotspotStart>(&item);
      if (!start || start->hotspot.kind != Hotspot::Kind::Macro) continue;
      start->hotspot.target = macros.apply(start->hotspot.target, start->hotspot.where, diag);
    }
  }
}

void Compiler::buildTopicRecords(const Topic& topic, std::size_t t, ParagraphRecordBuilder& paragraphs,
                                 std::vector<TopicRecord>& records, std::vector<AnchorAt>& anchors) {
  paragraphs.startTopic();
  TopicRecord header;
  header.type = kRecordTopicHeader;
  header.data1.assign(kTopicHeaderDataSize, 0);
  std::string names = topic.title.substr(0, 2000);
  for (const auto& macro : topic.entryMacros) names += '\0' + macro.substr(0, 2000);
  header.data2.assign(names.begin(), names.end());
  header.topic = t;
  records.push_back(std::move(header));
  bool scrolling = false;
  for (std::size_t i = 0; i < topic.paragraphs.size(); ++i) {
    const Paragraph& paragraph = topic.paragraphs[i];
    const std::size_t first = records.size();
    if (paragraph.table) {
      // A table row: its paragraphs up to the one that ends the row.
      std::vector<const Paragraph*> row{&paragraph};
      while (!row.back()->table->endsRow && i + 1 < topic.paragraphs.size() && topic.paragraphs[i + 1].table) {
        row.push_back(&topic.paragraphs[++i]);
      }
      paragraphs.buildTableRow(row, t, records, anchors, topic.where);
    } else {
      paragraphs.build(paragraph, t, records, anchors);
    }
    const bool nonScrolling = paragraph.format.nonScrolling && !scrolling;
    if (!paragraph.format.nonScrolling) scrolling = true;
    for (std::size_t r = first; r < records.size(); ++r) records[r].nonScrolling = nonScrolling;
  }
}

// Picks the dictionary from the held text and writes the held topics with it.
// Counting all the text the old way made the choice from every n-th record;
// this one is made from the first records, which for the converter's sites
// (the same navigation and headings on every page) are as good a sample.
void Compiler::choosePhrases(Built& built, TopicStreamWriter& writer) {
  built.choosingPhrases = false;
  const std::vector<std::span<const std::uint8_t>> texts = built.held.texts();
  PhraseEncoder encoder = [&] {
    PhraseSelector selector;
    for (const auto text : texts) selector.add(text);
    return PhraseEncoder(selector.select(kMaxPhrases));
  }();
  // The held text coded once, to learn what the dictionary saves and to be
  // written as it is when it pays.
  std::vector<std::vector<std::uint8_t>> coded(encoder.phrases().empty() ? 0 : texts.size());
  std::size_t saved = 0;
  for (std::size_t i = 0; i < coded.size(); ++i) {
    coded[i] = encoder.encode(texts[i]);
    if (coded[i].size() < texts[i].size()) {
      saved += texts[i].size() - coded[i].size();
    } else {
      coded[i] = std::vector<std::uint8_t>();
    }
  }
  // Two more internal files, each with a header and a directory entry.
  constexpr std::size_t kFileOverhead = 2 * (kInternalFileHeaderSize + 16);
  if (saved > encoder.indexFile().size() + encoder.imageFile().size() + kFileOverhead) {
    built.phrases.emplace(std::move(encoder));
  } else {
    coded.clear();
  }
  std::size_t next = 0;
  built.held.drain([&](std::vector<TopicRecord>& records) {
    for (TopicRecord& record : records) {
      if (next < coded.size()) record.phrased2 = std::move(coded[next]);
      ++next;
    }
    writeTopic(records, false, built, writer);
  });
}

bool Compiler::streamTopics(const HelpProject& project, Built& built, TopicStreamWriter& writer) {
  ParagraphRecordBuilder paragraphs(diag_, fonts_, project.windows);
  paragraphs.setPictureResolver([&](const PictureRef& picture) { return resolvePicture(picture); });
  try {
    readTopicFiles(project, [&](std::vector<Topic>& topics) {
      for (Topic& topic : topics) addTopic(topic, built, writer, paragraphs);
    });
    if (built.topics == 0) return true;
    if (built.choosingPhrases) choosePhrases(built, writer);
    addClosingRecord(built, writer);
  } catch (const std::length_error& e) {
    diag_.error(projectPos(project), e.what());
    return false;
  }
  return true;
}

void Compiler::addTopic(Topic& topic, Built& built, TopicStreamWriter& writer, ParagraphRecordBuilder& paragraphs) {
  const std::size_t t = built.topics++;
  normaliseMacros(topic, built.macros, diag_);
  std::vector<TopicRecord> records;
  std::vector<AnchorAt>& anchors = built.topicAnchors;
  anchors.clear();
  buildTopicRecords(topic, t, paragraphs, records, anchors);
  noteJumps(topic, built);
  noteIndexEntries(topic, t, built.records, built);

  OpenTopic open;
  open.topic = t;
  open.header = built.records;
  open.end = built.records + records.size();
  open.inBrowse = topic.inBrowse;
  for (std::size_t r = 1; r < records.size(); ++r) open.nonScrolling.push_back(records[r].nonScrolling);
  for (AnchorAt& anchor : anchors) {
    anchor.record += open.header;
    open.anchors.push_back(std::move(anchor));
  }
  built.open.push_back(std::move(open));
  built.records += records.size();
  // Held until there is enough text to choose the phrase dictionary from.
  if (built.choosingPhrases && !built.held.empty() && built.held.size() + HeldTopics::sizeOf(records) > kHeldBytes) {
    choosePhrases(built, writer);
  }
  if (!built.choosingPhrases) {
    writeTopic(records, true, built, writer);
    return;
  }
  built.held.add(records);
  if (built.held.textBytes() >= PhraseSelector::kSampleBytes) choosePhrases(built, writer);
}

// Phrase-codes the topic's text (unless that is done), completes its header
// and hands its records to the writer.
std::size_t Compiler::encodePhrases(const PhraseEncoder& phrases, std::vector<TopicRecord>& records) {
  std::size_t saved = 0;
  for (TopicRecord& record : records) {
    if (record.data2.empty()) continue;
    std::vector<std::uint8_t> coded = phrases.encode(record.data2);
    if (coded.size() >= record.data2.size()) continue;
    saved += record.data2.size() - coded.size();
    record.phrased2 = std::move(coded);
  }
  return saved;
}

void Compiler::writeTopic(std::vector<TopicRecord>& records, bool encode, Built& built, TopicStreamWriter& writer) {
  if (encode && built.phrases) encodePhrases(*built.phrases, records);
  std::uint32_t size = 0;
  for (std::size_t r = 1; r < records.size(); ++r) size += static_cast<std::uint32_t>(records[r].size());
  ByteWriter data;
  for (const std::uint32_t field : {size, kNoTopic, kNoTopic, static_cast<std::uint32_t>(records.front().topic),
                                    kNoTopic, kNoTopic, kNoTopic}) {
    data.u32(field);
  }
  records.front().data1 = data.take();
  for (const TopicRecord& record : records) writer.add(record);
  takePlacements(built, writer);
}

// The record after the last topic: a topic header that closes the chain.
void Compiler::addClosingRecord(Built& built, TopicStreamWriter& writer) {
  TopicRecord closing;
  closing.type = kRecordTopicHeader;
  ByteWriter data;
  for (const std::uint32_t field : {0u, kNoTopic, kNoTopic, static_cast<std::uint32_t>(built.topics), kNoTopic, kNoTopic, kNoTopic}) {
    data.u32(field);
  }
  closing.data1 = data.take();
  closing.topic = built.topics;
  OpenTopic open;
  open.topic = built.topics;
  open.header = built.records;
  open.end = built.records + 1;
  built.open.push_back(std::move(open));
  writer.add(closing);
  ++built.records;
  writer.finish();
  takePlacements(built, writer);
  writer.forgetHeader(built.open.back().header);
  built.open.clear();
}

void Compiler::takePlacements(Built& built, TopicStreamWriter& writer) {
  for (const PlacedRecord& placed : writer.takePlaced()) {
    auto topic = built.open.begin();
    while (topic != built.open.end() && placed.number >= topic->end) ++topic;
    if (topic == built.open.end()) throw std::logic_error("a topic record was placed that no topic holds");
    if (placed.number == topic->header) {
      if (topic->topic < built.topicOffsets.size()) built.topicOffsets[topic->topic] = placed.offset;
      // A topic is settled once the next one starts.
      if (topic != built.open.begin()) {
        finishTopic(built.open.front(), placed.position, writer);
        built.open.pop_front();
      }
      continue;
    }
    OpenTopic& open = *topic;
    const bool nonScrolling = open.nonScrolling.at(placed.number - open.header - 1);
    std::uint32_t& first = nonScrolling ? open.nonScroll : open.scroll;
    if (first == kNoTopic) first = placed.position;
    for (; open.nextAnchor < open.anchors.size() && open.anchors[open.nextAnchor].record == placed.number; ++open.nextAnchor) {
      defineContext(open.anchors[open.nextAnchor], placed.offset, built);
    }
  }
}

void Compiler::finishTopic(const OpenTopic& topic, std::uint32_t nextHeader, TopicStreamWriter& writer) {
  ByteWriter fields;
  fields.u32(topic.nonScroll);
  fields.u32(topic.scroll);
  fields.u32(nextHeader);
  writer.patchHeader(topic.header, 16, fields.data());
  // The browse links are only known when every topic is placed.
  if (topic.inBrowse) {
    writer.forgetHeader(topic.header, 4, 12);
  } else {
    writer.forgetHeader(topic.header);
  }
}

void Compiler::noteIndexEntries(const Topic& topic, std::size_t t, std::size_t header, Built& built) {
  const auto number = static_cast<std::uint32_t>(t);
  built.topicOffsets.push_back(0);
  built.titles.push_back(TitleEntry{number, topic.title});
  for (const auto& keyword : topic.keywords) built.keywords['K'].push_back(KeywordEntry{keyword, number});
  for (const auto& [mark, list] : topic.otherKeywords) {
    for (const auto& keyword : list) built.keywords[mark].push_back(KeywordEntry{keyword, number});
  }
  if (topic.inBrowse) built.browse.push_back(BrowseMember{t, header, topic.browse});
  if (!topic.entryMacros.empty()) built.anyEntryMacro = true;
}

void Compiler::defineContext(const AnchorAt& anchor, std::uint32_t offset, Built& built) {
  const std::int32_t hash = helpHash(anchor.context);
  if (const auto first = built.contexts.find(hash); first != built.contexts.end()) {
    const ContextDef& def = first->second;
    if (toLower(def.name) == toLower(anchor.context)) {
      diag_.warning(anchor.where, "context string '" + anchor.context + "' is defined again (first in " +
                                      built.contextFiles[def.file] + ":" + std::to_string(def.line) + "); ignored here");
    } else {
      diag_.error(anchor.where, "context strings '" + def.name + "' and '" + anchor.context +
                                    "' have the same hash value; rename one of them");
    }
    return;
  }
  if (!isPortableContextString(anchor.context)) {
    diag_.warning(anchor.where, "context string '" + anchor.context +
                                    "' has characters other than letters, digits, '.' and '_'; some viewers cannot open it");
  }
  if (built.contextFiles.empty() || built.contextFiles.back() != anchor.where.file) {
    built.contextFiles.push_back(anchor.where.file);
  }
  const auto file = static_cast<std::uint32_t>(built.contextFiles.size() - 1);
  built.contexts.emplace(hash, ContextDef{offset + anchor.charOffset, file, anchor.where.line, anchor.context});
}

// Jumps to contexts already defined need no check at the end.
void Compiler::noteJumps(const Topic& topic, Built& built) {
  for (const Paragraph& paragraph : topic.paragraphs) {
    for (const Inline& item : paragraph.content) {
      const auto* start = std::get_if<HotspotStart>(&item);
      if (!start || start->hotspot.kind == Hotspot::Kind::Macro || !start->hotspot.file.empty()) continue;
      if (built.context(start->hotspot.target)) continue;
      built.jumps.push_back(JumpRef{start->hotspot.target, start->hotspot.where});
    }
  }
  // Most jumps lead a little way forward; forget those whose target has
  // turned up since, so that only the far and the broken ones are kept.
  if (built.jumps.size() < 2 * built.jumpsAfterSweep + 1024) return;
  std::erase_if(built.jumps, [&](const JumpRef& jump) { return built.context(jump.target) != nullptr; });
  built.jumpsAfterSweep = built.jumps.size();
}

void Compiler::addAliases(const HelpProject& project, Built& built) {
  std::map<std::int32_t, const AliasEntry*> pending;
  for (const AliasEntry& alias : project.aliases) {
    const std::int32_t hash = helpHash(alias.alias);
    if (built.contexts.count(hash) || pending.count(hash)) {
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
      const ContextDef* target = built.context(it->second->context);
      if (!target) {
        ++it;
        continue;
      }
      built.contexts.emplace(it->first, ContextDef{target->offset, 0, it->second->where.line, it->second->alias});
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
  for (const JumpRef& jump : built.jumps) {
    if (built.context(jump.target)) continue;
    diag_.warning(jump.where, "jump to undefined context string '" + jump.target + "'");
  }
}

void Compiler::linkBrowseSequences(const Built& built, TopicStreamWriter& writer) {
  std::map<std::string, std::vector<const BrowseMember*>> sequences;
  for (const BrowseMember& member : built.browse) {
    const auto colon = member.browse.find(':');
    sequences[colon == std::string::npos ? std::string() : toLower(trim(member.browse.substr(0, colon)))].push_back(&member);
  }
  const auto minor = [](const BrowseMember* member) {
    const std::string& browse = member->browse;
    const auto colon = browse.find(':');
    const std::string value = toLower(trim(colon == std::string::npos ? browse : browse.substr(colon + 1)));
    return value == "auto" ? std::string() : value;
  };
  for (auto& [major, members] : sequences) {
    std::vector<std::pair<std::string, const BrowseMember*>> sorted;
    sorted.reserve(members.size());
    for (const BrowseMember* member : members) sorted.emplace_back(minor(member), member);
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < sorted.size(); ++i) {
      ByteWriter links;
      links.u32(i > 0 ? built.topicOffsets[sorted[i - 1].second->topic] : kNoTopic);
      links.u32(i + 1 < sorted.size() ? built.topicOffsets[sorted[i + 1].second->topic] : kNoTopic);
      writer.patchHeader(sorted[i].second->header, 4, links.data());
    }
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
  std::uint32_t contents = built.topicOffsets.at(0);
  if (!project.contents.empty()) {
    if (const ContextDef* found = built.context(project.contents)) contents = found->offset;
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
  if (!project.configMacros.empty() || built.anyEntryMacro) systemRecord(out, kSystemMacro, zString(""));
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

void Compiler::addIndexFiles(const HelpProject& project, Built& built, HelpFileWriter& file) {
  std::vector<ContextEntry> contexts;
  contexts.reserve(built.contexts.size());
  for (const auto& [hash, def] : built.contexts) contexts.push_back(ContextEntry{hash, def.offset});
  file.add("|CONTEXT", buildContextFile(std::move(contexts)));
  for (TitleEntry& title : built.titles) title.offset = built.topicOffsets.at(title.offset);
  file.add("|TTLBTREE", buildTitleFile(std::move(built.titles)));
  // Each letter's table is three files named after it: |KWBTREE, |AWDATA...
  for (auto& [mark, entries] : built.keywords) {
    for (KeywordEntry& entry : entries) entry.offset = built.topicOffsets.at(entry.offset);
    KeywordFiles kw = buildKeywordFiles(std::move(entries));
    const std::string prefix = std::string("|") + mark + "W";
    file.add(prefix + "BTREE", std::move(kw.btree));
    file.add(prefix + "DATA", std::move(kw.data));
    file.add(prefix + "MAP", std::move(kw.map));
  }
  std::vector<std::pair<std::int32_t, std::uint32_t>> map;
  for (const MapEntry& entry : project.map) {
    const ContextDef* found = built.context(entry.context);
    if (!found) {
      diag_.warning(entry.where, "[MAP] names context string '" + entry.context + "' that no topic defines");
      continue;
    }
    map.emplace_back(entry.id, found->offset);
  }
  file.add("|CTXOMAP", buildMapFile(map));
}

}  // namespace hcrtf::compiler
