// The repair run over n picked entries with the backup on: each entry deletes
// one value of a key with 4 values (so every fourth repair also removes its
// key and records the bare key), in the order the scan would list them. The
// keys sit in vendor \ product trees of at most 100 products, as in the
// generated large prefixes. The
// run must stay linear in n although every backup block goes in front of the
// file: compare the times of 10,000 and 20,000 entries (goal: ratio < 2.3).
//
//   build/bin/bench_repair

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/EventPump.h"
#include "platform/MemoryStore.h"
#include "platform/StoreRegistryApi.h"
#include "platform/Text.h"
#include "registry/RegExport.h"
#include "repair/RepairRun.h"
#include "results/CategoryTable.h"

namespace {

namespace fs = std::filesystem;

class Quiet final : public hw::TBackupMessages {
 public:
  void ShowMessage(const std::string&) override {}
};

struct Setup {
  explicit Setup(std::size_t entries) {
    hw::TEntries& list = *table[hw::acInvalidPaths].Entries;
    for (std::size_t i = 0; i < entries; ++i) {
      const std::string keyName =
          "Vendor" + std::to_string(i / 400) + "\\Product" + std::to_string(i / 4 % 100);
      hw::platform::KeyNode* key = &store.ensureKey(HKEY_CURRENT_USER, "Software\\" + keyName);
      const std::string name = "Value" + std::to_string(i % 4);
      store.loadValue(*key, name, REG_SZ,
                      hw::platform::utf8ToUtf16("C:\\Program Files\\" + keyName + "\\gone" +
                                                std::to_string(i) + ".dll") +
                          std::string(2, '\0'));
      hw::TEntry& entry = list.AddEntry();
      entry.Category = hw::acInvalidPaths;
      entry.KeyText = "[HKEY_CURRENT_USER] Software\\" + keyName;
      entry.ValueName = name;
      entry.Flags = {hw::etInvalidData};
      entry.Choices = {"leave", "repair"};
      entry.SetChoice(1);
      list.SetPicked(&entry, true);
    }
  }

  hw::platform::MemoryStore store;
  hw::platform::StoreRegistryApi api{store};
  std::array<hw::TAnalyzSet, hw::kCategoryCount> exclusions;
  hw::CategoryTable table{exclusions};
};

void BM_RepairWithBackup(benchmark::State& state) {
  const auto entries = static_cast<std::size_t>(state.range(0));
  const fs::path backup = fs::temp_directory_path() / "hw-bench-repair.reg";
  Quiet messages;
  hw::platform::EventPump pump;
  for (auto _ : state) {
    state.PauseTiming();
    auto setup = std::make_unique<Setup>(entries);
    hw::TRepairRun run(setup->api, setup->table, pump, messages);
    state.ResumeTiming();
    const std::int32_t repaired = run.RepairAll({true, backup, true});
    state.PauseTiming();
    if (static_cast<std::size_t>(repaired) != entries) state.SkipWithError("not all repaired");
    state.counters["backup_bytes"] = static_cast<double>(fs::file_size(backup));
    setup.reset();
    state.ResumeTiming();
  }
  fs::remove(backup);
  state.SetItemsProcessed(static_cast<int64_t>(entries) * state.iterations());
}
BENCHMARK(BM_RepairWithBackup)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
