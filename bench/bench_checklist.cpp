// The results check list with tens of thousands of rows: filling it, marking
// every row (one state event per row, or one per batch) and clearing it. The
// window's Pick all and category switches cost what these do.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QString>
#include <cstdlib>

#include "controls/ChckLBCB.h"

namespace {

void Fill(hw::TChckLBCB& list, int rows) {
  for (int i = 0; i < rows; ++i)
    list.AddItem(QStringLiteral("[HKEY_LOCAL_MACHINE] Software\\Vendor\\Product %1 (Path)").arg(i));
}

void Settle(hw::TChckLBCB& list) {
  QCoreApplication::processEvents();
  list.viewport()->repaint();
  QCoreApplication::processEvents();
}

void BM_FillMarkClear(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const bool batched = state.range(1) != 0;
  hw::TChckLBCB list;
  list.resize(600, 400);
  list.show();
  long events = 0;
  list.OnStateChanged = [&events](hw::TChckLBCB*) { ++events; };
  for (auto _ : state) {
    Fill(list, rows);
    if (batched) list.BeginUpdate();
    for (int i = 0; i < list.Count(); ++i) list.SetChecked(i, true);
    if (batched) list.EndUpdate();
    Settle(list);
    list.Clear();
    Settle(list);
  }
  state.counters["state_events_per_run"] =
      benchmark::Counter(static_cast<double>(events) / static_cast<double>(state.iterations()));
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_FillMarkClear)
    ->Args({20000, 0})
    ->Args({20000, 1})
    ->ArgNames({"rows", "batched"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // A benchmark needs no screen.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
