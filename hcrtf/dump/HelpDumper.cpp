#include "hcrtf/dump/HelpDumper.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>

#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/HelpHash.h"
#include "hcrtf/dump/FontTable.h"
#include "hcrtf/dump/IndexFiles.h"
#include "hcrtf/dump/TargetCheck.h"
#include "hcrtf/dump/TextEscape.h"

namespace hcrtf::dump {
namespace {

std::string quoted(const std::string& s) { return "\"" + escapeText(s) + "\""; }

std::string colour(std::uint32_t c) {
  return "(" + std::to_string(c & 0xFF) + "," + std::to_string((c >> 8) & 0xFF) + "," +
         std::to_string((c >> 16) & 0xFF) + ")";
}

std::string signedHex(std::int32_t v) { return hex32(static_cast<std::uint32_t>(v)); }

}  // namespace

HelpDumper::HelpDumper(const HelpFile& file, DumpOptions options)
    : file_(file), options_(std::move(options)) {}

void HelpDumper::error(std::ostream& out, const std::string& what) {
  out << "error: " << what << "\n";
  ++errors_;
}

template <typename F>
void HelpDumper::section(std::ostream& out, const char* title, F&& body) {
  out << "[" << title << "]\n";
  try {
    body();
  } catch (const FormatError& e) {
    error(out, e.what());
  }
  out << "\n";
}

int HelpDumper::dump(std::ostream& out) {
  const bool all = !options_.anySection();
  if (all || options_.files) section(out, "files", [&] { dumpFiles(out); });
  if (all || options_.system) section(out, "system", [&] { dumpSystem(out); });
  if (all || options_.fonts) section(out, "fonts", [&] { dumpFonts(out); });
  if (all || options_.topics) section(out, "topics", [&] { dumpTopics(out); });
  if (all || options_.titles) section(out, "titles", [&] { dumpTitles(out); });
  if (all || options_.context) section(out, "context", [&] { dumpContext(out); });
  if (all || options_.keywords) section(out, "keywords", [&] { dumpKeywords(out); });
  if (all || options_.map) section(out, "map", [&] { dumpMap(out); });
  if (all || options_.pictures || !options_.pictureDir.empty()) {
    section(out, "pictures", [&] { dumpPictures(out); });
  }
  if (all || options_.targets) section(out, "targets", [&] { dumpTargets(out); });
  return errors_;
}

const SystemInfo* HelpDumper::system(std::ostream& out) {
  if (systemTried_) return system_ ? &*system_ : nullptr;
  systemTried_ = true;
  auto content = file_.file("|SYSTEM");
  if (!content) {
    error(out, "no |SYSTEM file");
    return nullptr;
  }
  try {
    system_ = SystemInfo::parse(*content);
  } catch (const FormatError& e) {
    error(out, e.what());
  }
  return system_ ? &*system_ : nullptr;
}

const TopicList* HelpDumper::topics(std::ostream& out) {
  if (topicsTried_) return topics_ ? &*topics_ : nullptr;
  topicsTried_ = true;
  const SystemInfo* sys = system(out);
  auto content = file_.file("|TOPIC");
  if (!sys || !content) {
    if (!content) error(out, "no |TOPIC file");
    return nullptr;
  }
  PhraseTable phrases;
  try {
    if (auto p = file_.file("|Phrases")) {
      phrases = PhraseTable::fromPhrases(*p, sys->minor);
    } else if (auto index = file_.file("|PhrIndex")) {
      auto image = file_.file("|PhrImage");
      if (!image) throw FormatError("|PhrIndex without |PhrImage");
      phrases = PhraseTable::fromHall(*index, *image);
    }
  } catch (const FormatError& e) {
    error(out, e.what());
  }
  try {
    topics_ = TopicList::read(*content, *sys, phrases, options_.names);
  } catch (const FormatError& e) {
    error(out, e.what());
    return nullptr;
  }
  out << "phrases: " << phrases.size()
      << (phrases.scheme() == PhraseTable::Scheme::Hall ? " (|PhrIndex)" :
          phrases.scheme() == PhraseTable::Scheme::Classic ? " (|Phrases)" : "") << "\n";
  for (const std::string& p : topics_->problems) error(out, p);
  return &*topics_;
}

std::optional<std::span<const std::uint8_t>> HelpDumper::sectionFile(const char* name,
                                                                     std::ostream& out) const {
  auto content = file_.file(name);
  if (!content) out << "no " << name << " file\n";
  return content;
}

std::string HelpDumper::topicName(std::uint32_t offset) const {
  if (offset == kNoTopic) return "-";
  const Topic* t = topics_ ? topics_->topicAt(offset) : nullptr;
  if (!t || (t->offset != offset && t->textOffset != offset)) return hex32(offset);
  return "topic " + std::to_string(t - topics_->topics.data());
}

std::string HelpDumper::describeOffset(std::uint32_t offset) {
  std::string s = hex32(offset);
  if (offset == kNoTopic) return s + " (no topic)";
  if (!topics_) return s;
  const Topic* t = topics_->topicAt(offset);
  if (!t) return s + " (before the first topic)";
  s += " topic " + std::to_string(&*t - topics_->topics.data()) + " " + quoted(t->title);
  if (offset != t->offset && offset != t->textOffset) {
    const std::uint32_t from = offset > t->textOffset ? t->textOffset : t->offset;
    s += " +" + std::to_string(offset - from);
  }
  return s;
}

void HelpDumper::dumpFiles(std::ostream& out) {
  out << "magic: " << hex32(file_.magic()) << "\n";
  out << "directory: " << hex32(file_.directoryStart()) << "\n";
  out << "free list: " << file_.firstFreeBlock() << "\n";
  out << "size: " << file_.declaredSize() << " declared, " << file_.actualSize() << " actual\n";
  out << "internal files: " << file_.files().size() << "\n";
  for (const InternalFile& f : file_.files()) {
    out << "  " << quoted(f.name) << " at " << hex32(f.offset) << " used " << f.used
        << " reserved " << f.reserved << " flags " << unsigned(f.flags) << "\n";
  }
  for (const std::string& p : file_.problems()) error(out, p);
}

void HelpDumper::dumpSystem(std::ostream& out) {
  const SystemInfo* sys = system(out);
  if (!sys) return;
  out << "version: " << sys->major << "." << sys->minor << "\n";
  out << "generated: " << sys->generated << "\n";
  out << "flags: " << sys->flags << (sys->topicsCompressed() ? " (LZ77 topics, " : " (plain topics, ")
      << sys->topicBlockSize() << "-byte blocks)\n";
  out << "title: " << quoted(sys->title) << "\n";
  if (!sys->copyright.empty()) out << "copyright: " << quoted(sys->copyright) << "\n";
  if (sys->contents) out << "contents: " << describeOffset(*sys->contents) << "\n";
  for (const std::string& m : sys->macros) out << "macro: " << quoted(m) << "\n";
  for (const WindowRecord& w : sys->windows) {
    out << "window: flags " << hex32(w.flags) << " type " << quoted(w.type) << " name "
        << quoted(w.name) << " caption " << quoted(w.caption) << " x " << w.x << " y " << w.y
        << " width " << w.width << " height " << w.height << " maximize " << w.maximize
        << " colour " << colour(w.scrollColour) << " non-scrolling " << colour(w.nonScrollColour)
        << "\n";
  }
  if (!sys->citation.empty()) out << "citation: " << quoted(sys->citation) << "\n";
  if (!sys->lcid.empty()) {
    out << "lcid:";
    for (auto v : sys->lcid) out << " " << hex32(v);
    out << "\n";
  }
  if (!sys->contentsFile.empty()) out << "contents file: " << quoted(sys->contentsFile) << "\n";
  if (sys->charset) out << "charset: " << *sys->charset << "\n";
  if (sys->defaultFontSize) {
    out << "default font: " << quoted(sys->defaultFontName) << " " << unsigned(*sys->defaultFontSize)
        << " pt, charset " << unsigned(*sys->defaultFontCharset) << "\n";
  }
  if (!sys->indexSeparators.empty()) out << "index separators: " << quoted(sys->indexSeparators) << "\n";
  for (const SystemRecord& r : sys->others) {
    out << "record " << r.type << ": " << r.data.size() << " bytes\n";
  }
}

void HelpDumper::dumpFonts(std::ostream& out) {
  auto content = sectionFile("|FONT", out);
  if (!content) return;
  FontTable fonts = FontTable::parse(*content);
  for (std::size_t i = 0; i < fonts.faceNames.size(); ++i) {
    out << "face " << i << ": " << quoted(fonts.faceNames[i]) << "\n";
  }
  if (!fonts.descriptorsRead) {
    out << "descriptors: " << fonts.descriptorCount << " in a multimedia layout (not shown)\n";
    return;
  }
  for (std::size_t i = 0; i < fonts.descriptors.size(); ++i) {
    const FontDescriptor& d = fonts.descriptors[i];
    out << "font " << i << ": face " << d.faceIndex << " size " << unsigned(d.halfPoints)
        << " half-points family " << unsigned(d.family) << " attributes " << unsigned(d.attributes)
        << " colour (" << unsigned(d.foreground[0]) << "," << unsigned(d.foreground[1]) << ","
        << unsigned(d.foreground[2]) << ")\n";
  }
}

void HelpDumper::dumpTopics(std::ostream& out) {
  const TopicList* list = topics(out);
  if (!list) return;
  if (!options_.noOffsets) out << "blocks: " << list->blocks << ", ";
  out << "records: " << list->records << ", topics: " << list->topics.size() << "\n";
  for (std::size_t i = 0; i < list->topics.size(); ++i) {
    const Topic& t = list->topics[i];
    out << "topic " << i << ": " << quoted(t.title) << "\n";
    if (!options_.noOffsets) {
      out << "  position " << hex32(t.position) << " offset " << hex32(t.offset);
      if (t.textOffset != t.offset) out << " text offset " << hex32(t.textOffset);
      out << " number " << t.number << " non-scrolling " << hex32(t.nonScroll) << " scrolling "
          << hex32(t.scroll) << "\n";
    }
    if (t.browseBack != kNoTopic || t.browseForward != kNoTopic) {
      out << "  browse back " << topicName(t.browseBack) << " forward " << topicName(t.browseForward) << "\n";
    }
    for (const std::string& m : t.macros) out << "  entry macro: " << quoted(m) << "\n";
    for (const std::string& line : t.lines) out << line << "\n";
  }
}

void HelpDumper::dumpTitles(std::ostream& out) {
  auto content = sectionFile("|TTLBTREE", out);
  if (!content) return;
  topics(out);
  for (const TitleEntry& e : readTitles(*content)) {
    out << describeOffset(e.offset) << ": " << quoted(e.title) << "\n";
  }
}

void HelpDumper::dumpContext(std::ostream& out) {
  auto content = sectionFile("|CONTEXT", out);
  if (!content) return;
  topics(out);
  for (const ContextEntry& e : readContext(*content)) {
    out << signedHex(e.hash);
    auto name = options_.names.find(e.hash);
    if (name != options_.names.end()) out << " " << quoted(name->second);
    out << " -> " << describeOffset(e.offset) << "\n";
  }
}

void HelpDumper::dumpTargets(std::ostream& out) {
  std::set<std::int32_t> defined;
  if (auto content = file_.file("|CONTEXT")) {
    for (const ContextEntry& e : readContext(*content)) defined.insert(e.hash);
  }
  const TopicList* list = topics(out);
  if (!list) return;
  TargetCheck check(std::move(defined), options_.helpFileName);
  for (std::size_t t = 0; t < list->topics.size(); ++t) {
    const std::string where = "topic " + std::to_string(t);
    for (const std::string& line : list->topics[t].lines) check.scan(line, where);
    for (const std::string& macro : list->topics[t].macros) check.scan(macro, where);
  }
  if (const SystemInfo* sys = system(out)) {
    for (const std::string& macro : sys->macros) check.scan(macro, "[CONFIG]");
  }
  out << "checked: " << check.checked() << "\n";
  out << "undefined: " << check.undefined().size() << "\n";
  for (const UndefinedTarget& u : check.undefined()) out << "  " << u.target << " in " << u.where << "\n";
}

void HelpDumper::dumpKeywords(std::ostream& out) {
  topics(out);
  bool any = false;
  for (const InternalFile& f : file_.files()) {
    const std::string& n = f.name;
    const std::string suffix = "WBTREE";
    if (n.size() < 2 + suffix.size() || n[0] != '|' || n.compare(n.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    any = true;
    const std::string stem = n.substr(0, n.size() - 5);  // "|KW" of "|KWBTREE"
    auto data = file_.file(stem + "DATA");
    if (!data) {
      error(out, n + " without " + stem + "DATA");
      continue;
    }
    out << n << ":\n";
    try {
      for (const KeywordEntry& k : readKeywords(*file_.file(n), *data, n)) {
        out << "  " << quoted(k.keyword) << "\n";
        for (std::uint32_t o : k.offsets) out << "    -> " << describeOffset(o) << "\n";
      }
      if (auto map = file_.file(stem + "MAP")) {
        for (const KeywordMapEntry& m : readKeywordMap(*map)) {
          out << "  map: keyword " << m.firstKeyword << " on page " << m.page << "\n";
        }
      }
    } catch (const FormatError& e) {
      error(out, e.what());
    }
  }
  if (!any) out << "no keyword files\n";
}

void HelpDumper::dumpMap(std::ostream& out) {
  auto content = sectionFile("|CTXOMAP", out);
  if (!content) return;
  topics(out);
  for (const MapEntry& e : readContextMap(*content)) {
    out << e.mapId << " -> " << describeOffset(e.offset) << "\n";
  }
}

void HelpDumper::dumpPictures(std::ostream& out) {
  bool any = false;
  for (const InternalFile& f : file_.files()) {
    const std::string& n = f.name;
    const bool inner = n.rfind("|bm", 0) == 0 || n.rfind("bm", 0) == 0;
    if (!inner) continue;
    any = true;
    try {
      Picture p = Picture::parse(*file_.file(n), n);
      out << quoted(n) << ": " << p.images.size() << " image(s), magic " << hex32(p.magic) << "\n";
      for (std::size_t i = 0; i < p.images.size(); ++i) {
        const PictureImage& img = p.images[i];
        out << "  image " << i << ": type " << unsigned(img.type) << " packing " << unsigned(img.packing)
            << " " << img.width << "x" << img.height;
        if (img.type == kPictureMetafile) {
          out << " metafile, mapping mode " << img.mappingMode << ", " << img.metafile.size() << " bytes\n";
        } else {
          out << " " << img.bitCount << " bpp, " << img.palette.size() << " colours, dpi " << img.xDpi
              << "x" << img.yDpi << (img.coloursImportant == 1 ? ", transparent" : "") << "\n";
          writePictureFile(n, i, img, out);
        }
        for (const PictureHotspot& h : img.hotspots) {
          out << "    hotspot " << hex32(h.kind[0]) << " at " << h.x << "," << h.y << " size "
              << h.width << "x" << h.height << " " << quoted(h.name) << " -> " << quoted(h.target) << "\n";
        }
      }
    } catch (const FormatError& e) {
      error(out, e.what());
    }
  }
  if (!any) out << "no pictures\n";
}

void HelpDumper::writePictureFile(const std::string& name, std::size_t index, const PictureImage& img,
                                  std::ostream& out) {
  if (options_.pictureDir.empty()) return;
  // Internal names come from the file: keep only harmless characters so a
  // hostile name cannot lead outside the chosen folder.
  std::string base;
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (plain) base.push_back(c);
    else if (c != '|') base.push_back('_');
  }
  const std::filesystem::path path = std::filesystem::path(options_.pictureDir) /
      (base + "-" + std::to_string(index) + (options_.ppm ? ".ppm" : ".bmp"));
  std::ofstream file(path, std::ios::binary);
  const bool ok = file && (options_.ppm ? writePpm(img, file) : writeBmp(img, file));
  if (!ok) {
    error(out, "cannot write " + path.string());
    return;
  }
  out << "    written to " << path.string() << "\n";
}

}  // namespace hcrtf::dump
