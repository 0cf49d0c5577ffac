// Loading and scanning a large Wine prefix: 200,000 keys and 600,000 values.
// Reports the load rate (bytes/s over the three files), the walk with the
// empty-key test over all four hives, and peak memory against the file size.
//
//   build/bin/bench_prefix [--benchmark_filter=...]
// The prefix is generated once into build/bench-prefix (set HW_BENCH_PREFIX to
// use another folder, and HW_BENCH_KEYS for another size, with three values a
// key: a small one suits instruction counts under callgrind).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "bench/BenchSupport.h"

#include "platform/EventPump.h"
#include "platform/wine/PrefixFileSystem.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "scan/AnalyzClass.h"
#include "tools/PrefixGenerator.h"

namespace {

namespace fs = std::filesystem;

std::size_t KeyCount() {
  const char* env = std::getenv("HW_BENCH_KEYS");
  return env ? std::strtoul(env, nullptr, 10) : 200000;
}

fs::path PrefixPath() {
  if (const char* env = std::getenv("HW_BENCH_PREFIX")) return env;
  return fs::path(HW_BENCH_DEFAULT_PREFIX);
}

std::uintmax_t FilesSize(const fs::path& prefix) {
  std::uintmax_t total = 0;
  for (const char* name : {"system.reg", "user.reg", "userdef.reg"})
    if (fs::exists(prefix / name)) total += fs::file_size(prefix / name);
  return total;
}

const fs::path& Prefix() {
  static const fs::path prefix = hw::bench::PreparePrefix(PrefixPath(), [] {
    const std::size_t keys = KeyCount();
    hw::tools::GenerateLargePrefix(PrefixPath(), keys, 3 * keys);
  });
  return prefix;
}

void BM_LoadPrefix(benchmark::State& state) {
  const fs::path& prefix = Prefix();
  const auto bytes = FilesSize(prefix);
  for (auto _ : state) {
    auto store = hw::platform::WinePrefixStore::open(prefix);
    benchmark::DoNotOptimize(store.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["peak_rss_MB"] = hw::bench::PeakRssBytes() / 1e6;
  state.counters["peak_per_file_size"] = hw::bench::PeakRssBytes() / static_cast<double>(bytes);
}
BENCHMARK(BM_LoadPrefix)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WalkEmptyKeys(benchmark::State& state) {
  const fs::path& prefix = Prefix();
  auto store = hw::platform::WinePrefixStore::open(prefix);
  hw::platform::StoreRegistryApi api(*store);
  hw::platform::PrefixFileSystem files(prefix, api);
  hw::platform::EventPump pump;
  hw::TAnalyzClass engine(api, files, pump);
  engine.Categories = {hw::acEmptyKeys};
  long keys = 0, empty = 0;
  engine.OnKey = [&](hw::TAnalyzClass&) { ++keys; };
  engine.OnEmptyKey = [&](hw::TAnalyzClass&) { ++empty; };
  for (auto _ : state) {
    engine.Stop = false;
    engine.Analyze();
  }
  const auto bytes = FilesSize(prefix);
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["keys_visited"] =
      static_cast<double>(keys) / static_cast<double>(state.iterations());
  state.counters["empty_found"] =
      static_cast<double>(empty) / static_cast<double>(state.iterations());
  state.counters["peak_rss_MB"] = hw::bench::PeakRssBytes() / 1e6;
}
BENCHMARK(BM_WalkEmptyKeys)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
