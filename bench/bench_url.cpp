// URL table at crawl scale: a large site's statuses are added, then taken
// lowest id first as the crawl does. Reports the time per status and the heap
// each status costs (statuses, key index and pending index together).

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <string>

#include "base/qvDriverSettings.h"
#include "url/qvLinkResolver.h"
#include "url/qvMimeTypes.h"
#include "url/qvURLCanonicaliser.h"
#include "url/qvURLTable.h"

namespace {

std::size_t heapInUse() { return mallinfo2().uordblks; }

// URLs shaped like a real site's: a few directories, long-ish names.
std::string siteURL(int i) {
  return "http://www.example.com/section" + std::to_string(i % 97) + "/topic/page" +
         std::to_string(i) + ".html";
}

void BM_AddAndDrain(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const qvDriverSettings settings;
  qvURLTable table(settings);
  double bytesPerStatus = 0;
  for (auto _ : state) {
    const std::size_t before = heapInUse();
    for (int i = 0; i < count; ++i) table.addURL(siteURL(i), qvURLStatus::kLinkSeed, 1);
    bytesPerStatus = static_cast<double>(heapInUse() - before) / count;
    int drained = 0;
    while (qvURLStatus* status = table.nextPending()) {
      table.markActive(*status);
      table.markActive(*status, false);
      table.markDone(*status);
      ++drained;
    }
    if (drained != count || table.hasPending()) state.SkipWithError("table did not drain");
    state.PauseTiming();
    table.resetRun();
    state.ResumeTiming();
  }
  state.counters["bytes_per_status"] = bytesPerStatus;
  state.counters["statuses_per_s"] =
      benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AddAndDrain)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CanonicalURL(benchmark::State& state) {
  const std::string text = "HTTP://WWW.Example.COM:80/a/./b/../c/it's/page.html?x=1";
  for (auto _ : state) benchmark::DoNotOptimize(qvURLCanonicaliser::canonicalURL(text));
}
BENCHMARK(BM_CanonicalURL);

void BM_ResolveLink(benchmark::State& state) {
  const qvDriverSettings settings;
  qvURLTable table(settings);
  qvURLStatus* page = table.addURL("http://www.example.com/docs/guide/index.html", 0, 0);
  table.makeURL(*page);
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(qvLinkResolver(table).resolveLink(*page, "../chapter" + std::to_string(i++ % 5000) + ".html#top"));
  }
}
BENCHMARK(BM_ResolveLink);

void BM_TypeOf(benchmark::State& state) {
  const qvMimeTypes types;
  for (auto _ : state) benchmark::DoNotOptimize(types.typeOf("http://www.example.com/pictures/photo.jpeg"));
}
BENCHMARK(BM_TypeOf);

}  // namespace
