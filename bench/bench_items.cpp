// Parsing speed of the item model over a real corpus: every page is parsed,
// bound and written into an RTF buffer, as the crawl and the final pass do.
// The libxml2 HTML parser over the same pages is the yardstick.
//
// Corpus: $CORVANE_CORPUS, else the python3.11-doc HTML tree (run-items-bench
// installs it).

#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>
#include <malloc.h>
#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/qvDriverSettings.h"
#include "html/qvHtmlContext.h"
#include "html/qvHtmlParser.h"
#include "html/qvPrototypeList.h"
#include "rtf/qvRtfWriter.h"
#include "ui/qvUserInterface.h"

namespace {

const std::vector<std::string>& corpus() {
  static const std::vector<std::string> pages = [] {
    const char* root = std::getenv("CORVANE_CORPUS");
    const std::filesystem::path dir = root != nullptr ? root : "/usr/share/doc/python3.11/html";
    std::vector<std::string> texts;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, error)) {
      if (!entry.is_regular_file() || entry.path().extension() != ".html") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return texts;
  }();
  return pages;
}

std::int64_t corpusBytes() {
  std::int64_t total = 0;
  for (const std::string& page : corpus()) total += static_cast<std::int64_t>(page.size());
  return total;
}

// Parses, binds and writes pages into a topic in memory, as the crawl and
// the final pass do.
class Converter {
 public:
  Converter() : context_(ui_, settings_), prototypes_(context_), parser_(context_, prototypes_), out_(&sink_) {}

  void convertCorpus() {
    for (const std::string& page : corpus()) {
      qvItemList items;
      context_.beginPage();
      parser_.parsePage(page, items);
      out_.resetForTopic();
      qvWriteItems(parser_.bindItems(items.refs()), out_);
      out_.flush();
      benchmark::DoNotOptimize(sink_.text().size());
      sink_.clear();
    }
  }

 private:
  qvUserInterface ui_;
  qvDriverSettings settings_;
  qvHtmlContext context_;
  qvPrototypeList prototypes_;
  qvHtmlParser parser_;
  qvStringSink sink_;
  qvRtfWriter out_;
};

void BM_ParseBindWrite(benchmark::State& state) {
  if (corpus().empty()) {
    state.SkipWithError("no corpus (install python3.11-doc or set CORVANE_CORPUS)");
    return;
  }
  Converter converter;
  for (auto _ : state) converter.convertCorpus();
  state.SetBytesProcessed(state.iterations() * corpusBytes());
  state.counters["pages"] = static_cast<double>(corpus().size());
}
BENCHMARK(BM_ParseBindWrite)->Unit(benchmark::kMillisecond);

// The tokenizer alone, to tell its share from binding and writing.
void BM_ParseOnly(benchmark::State& state) {
  qvUserInterface ui;
  qvDriverSettings settings;
  qvHtmlContext context(ui, settings);
  qvPrototypeList prototypes(context);
  qvHtmlParser parser(context, prototypes);
  double itemBytes = 0;
  double worst = 0;
  for (auto _ : state) {
    itemBytes = 0;
    for (const std::string& page : corpus()) {
      qvItemList items;
      context.beginPage();
      const std::size_t before = mallinfo2().uordblks;
      parser.parsePage(page, items);
      const double used = static_cast<double>(mallinfo2().uordblks - before);
      itemBytes += used;
      if (!page.empty()) worst = std::max(worst, used / static_cast<double>(page.size()));
      benchmark::DoNotOptimize(items.size());
    }
  }
  state.SetBytesProcessed(state.iterations() * corpusBytes());
  // Memory the items of a page take, per byte of its HTML.
  state.counters["item_bytes_per_byte"] = itemBytes / static_cast<double>(corpusBytes());
  state.counters["worst_page"] = worst;
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond);

void BM_Libxml2HtmlParse(benchmark::State& state) {
  if (corpus().empty()) {
    state.SkipWithError("no corpus (install python3.11-doc or set CORVANE_CORPUS)");
    return;
  }
  for (auto _ : state) {
    for (const std::string& page : corpus()) {
      htmlDocPtr doc = htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr, "windows-1252",
                                      HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
      benchmark::DoNotOptimize(doc);
      xmlFreeDoc(doc);
    }
  }
  state.SetBytesProcessed(state.iterations() * corpusBytes());
}
BENCHMARK(BM_Libxml2HtmlParse)->Unit(benchmark::kMillisecond);

// Both over the whole corpus in turn, several times, timed in this thread's
// CPU time so that whatever else the machine does weighs on neither:
// ratio_vs_libxml2 above 1 means our parse, bind and write is faster than
// libxml2's parse alone.
double threadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void BM_RatioToLibxml2(benchmark::State& state) {
  if (corpus().empty()) {
    state.SkipWithError("no corpus (install python3.11-doc or set CORVANE_CORPUS)");
    return;
  }
  Converter converter;
  double ours = 0;
  double theirs = 0;
  for (auto _ : state) {
    const double start = threadSeconds();
    converter.convertCorpus();
    const double middle = threadSeconds();
    for (const std::string& page : corpus()) {
      htmlDocPtr doc = htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr, "windows-1252",
                                      HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
      xmlFreeDoc(doc);
    }
    ours += middle - start;
    theirs += threadSeconds() - middle;
  }
  state.counters["ratio_vs_libxml2"] = theirs / ours;
}
BENCHMARK(BM_RatioToLibxml2)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
