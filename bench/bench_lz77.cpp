// Throughput of the help compiler's LZ77 packing: whole streams (pictures)
// and the block-by-block packing of |TOPIC with pinned link fields.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "hcrtf/common/Lz77Compressor.h"
#include "hcrtf/compiler/TopicBlockPacker.h"

namespace {

std::vector<std::uint8_t> topicLikeText(std::size_t size) {
  static const char* const kWords[] = {"the ", "help ", "compiler ", "writes ", "topics ", "with ", "jumps ",
                                       "\\par ", "{\\b bold} ", "keywords ", "and ", "pictures "};
  std::mt19937 rng(1);
  std::vector<std::uint8_t> out;
  while (out.size() < size) {
    const std::string w = kWords[rng() % 12];
    out.insert(out.end(), w.begin(), w.end());
    if (rng() % 50 == 0) out.push_back(static_cast<std::uint8_t>(rng()));
  }
  out.resize(size);
  return out;
}

void BM_Lz77WholeStream(benchmark::State& state) {
  const auto data = topicLikeText(static_cast<std::size_t>(state.range(0)));
  std::size_t packed = 0;
  for (auto _ : state) {
    const auto out = hcrtf::lz77Compress(data);
    packed = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(data.size());
}
BENCHMARK(BM_Lz77WholeStream)->Arg(64 << 10)->Arg(1 << 20);

void BM_TopicBlocks(benchmark::State& state) {
  const auto data = topicLikeText(static_cast<std::size_t>(state.range(0)));
  std::vector<hcrtf::ByteRange> pinned;
  for (std::size_t at = 8; at + 8 <= data.size(); at += 300) pinned.emplace_back(at, at + 8);
  std::size_t packed = 0;
  for (auto _ : state) {
    const hcrtf::TopicBlockPacker packer(data, pinned, true);
    packed = packer.file().size();
    benchmark::DoNotOptimize(packed);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(data.size());
}
BENCHMARK(BM_TopicBlocks)->Arg(4 << 20);

}  // namespace
