// The invalid-paths scan of a prefix whose registry names 100,000 files in
// 5,000 folders, every other one missing, written in another letter case than
// the disk holds. Reports values judged per second, the directory listings
// made (goal: no more than the folders touched) and peak memory.
//
//   build/bin/bench_paths
// The prefix is generated once into build/bench-paths (HW_BENCH_PATHS_PREFIX
// to use another folder).

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

constexpr std::size_t kValues = 100000;
constexpr std::size_t kFolders = 5000;

const fs::path& Prefix() {
  static const fs::path prefix = [] {
    const char* env = std::getenv("HW_BENCH_PATHS_PREFIX");
    fs::path path = env ? fs::path(env) : fs::path(HW_BENCH_PATHS_DEFAULT_PREFIX);
    return hw::bench::PreparePrefix(
        path, [path] { hw::tools::GeneratePathPrefix(path, kValues, kFolders); });
  }();
  return prefix;
}

void BM_ScanPaths(benchmark::State& state) {
  auto store = hw::platform::WinePrefixStore::open(Prefix());
  hw::platform::StoreRegistryApi api(*store);
  hw::platform::PrefixFileSystem files(Prefix(), api);
  hw::platform::EventPump pump;
  hw::TAnalyzClass engine(api, files, pump);
  engine.Categories = {hw::acInvalidPaths};
  long found = 0;
  engine.OnInvalidPath = [&](hw::TAnalyzClass&) { ++found; };
  std::size_t listings = 0;
  for (auto _ : state) {
    engine.Stop = false;
    const std::size_t before = files.ListingCount();
    engine.Analyze();
    listings = files.ListingCount() - before;
  }
  state.SetItemsProcessed(static_cast<int64_t>(kValues) * state.iterations());
  state.counters["missing_found"] =
      static_cast<double>(found) / static_cast<double>(state.iterations());
  state.counters["listings_per_scan"] = static_cast<double>(listings);
  state.counters["folders"] = static_cast<double>(kFolders);
  state.counters["peak_rss_MB"] = hw::bench::PeakRssBytes() / 1e6;
}
BENCHMARK(BM_ScanPaths)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
