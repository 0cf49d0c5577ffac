// The Registry page with 20,000 found entries in one category, through the
// window's own handlers: Pick all, Unpick all, switching to the category
// (its rows rebuilt) and the entries arriving one by one while the scan runs.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QListWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/AppContext.h"
#include "app/FormRegFix.h"
#include "controls/ChckLBCB.h"
#include "controls/PictureListBox.h"
#include "platform/ProgramPlaces.h"
#include "results/ReportIntake.h"
#include "tools/PrefixGenerator.h"

namespace {

namespace fs = std::filesystem;
using hw::app::TFormRegFix;

constexpr int kEntries = 20000;

// A window over a demo prefix in a temporary folder, with the data files
// copied beside it as the installed program has them.
class Window {
 public:
  Window() {
    std::string pattern = (fs::temp_directory_path() / "hw-bench-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    const fs::path program = folder_ / "program";
    fs::create_directories(program);
    for (const auto& file : fs::directory_iterator(hw::platform::ExecutableFolder())) {
      const std::string ext = file.path().extension().string();
      if (ext == ".lng" || ext == ".def")
        fs::copy_file(file.path(), program / file.path().filename());
    }
    hw::tools::GenerateDemoPrefix(folder_ / "prefix");
    session_ = hw::app::TPrefixSession::Open(folder_ / "prefix");
    context_ = std::make_unique<hw::app::TAppContext>(session_->Context(program, {}));
    form_ = std::make_unique<TFormRegFix>(*context_);
    if (!form_->FormCreate()) std::abort();
    form_->resize(800, 600);
    form_->show();
    form_->ShowPage(hw::app::pgRegistry);
  }
  ~Window() {
    form_->close();
    form_.reset();
    context_.reset();
    session_.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  TFormRegFix& form() { return *form_; }

  // A new scan of invalid paths and empty keys with the given number of
  // invalid paths reported while their category is shown.
  // With pump, the window processes its events after every report, as the
  // scan's key walk lets it.
  void Scan(int entries, bool pump = false) {
    form_->Engine().Categories = {hw::acInvalidPaths, hw::acEmptyKeys};
    form_->PrepareResultLists();
    hw::TAnalyzClass& engine = form_->Engine();
    engine.RootName = "HKEY_LOCAL_MACHINE";
    engine.ValueName = "Path";
    engine.Flags = hw::TEntryTypes{hw::etInvalidData};
    engine.KeyWritable = true;
    engine.PathCount = 1;
    for (int i = 0; i < entries; ++i) {
      engine.KeyPath = "Software\\Vendor\\Product " + std::to_string(i);
      engine.Data = "C:\\Program Files\\Vendor\\product" + std::to_string(i) + ".exe";
      engine.BadPath = engine.Data;
      hw::AddFromReport(form_->Categories(), engine, form_->Lang(), hw::acInvalidPaths);
      if (pump) QCoreApplication::processEvents();
    }
    Settle();
  }

  void ShowCategory(int position) {
    form_->PictureListBox1->setCurrentRow(position);
    Settle();
  }

  void Settle() {
    QCoreApplication::processEvents();
    form_->ChckListBox1->viewport()->repaint();
    QCoreApplication::processEvents();
  }

 private:
  fs::path folder_;
  std::unique_ptr<hw::app::TPrefixSession> session_;
  std::unique_ptr<hw::app::TAppContext> context_;
  std::unique_ptr<TFormRegFix> form_;
};

Window* window = nullptr;

void BM_ScanIntake(benchmark::State& state) {
  for (auto _ : state) window->Scan(static_cast<int>(state.range(0)), state.range(1) != 0);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ScanIntake)
    ->Args({kEntries, 0})
    ->Args({kEntries / 4, 1})
    ->Args({kEntries, 1})
    ->ArgNames({"entries", "pump"})
    ->Unit(benchmark::kMillisecond);

// pick: Pick all from none picked; else Unpick all from all picked.
void PickAll(benchmark::State& state, bool pick) {
  window->Scan(kEntries);
  TFormRegFix& form = window->form();
  QAction* from = pick ? form.miUnpickallentries : form.miPickallentries;
  QAction* to = pick ? form.miPickallentries : form.miUnpickallentries;
  for (auto _ : state) {
    state.PauseTiming();
    form.miPickClick(from);
    window->Settle();
    state.ResumeTiming();
    form.miPickClick(to);
    window->Settle();
  }
  if (form.Categories().PickedTotal() != (pick ? kEntries : 0)) state.SkipWithError("not picked");
}
void BM_PickAll(benchmark::State& state) { PickAll(state, true); }
void BM_UnpickAll(benchmark::State& state) { PickAll(state, false); }
BENCHMARK(BM_PickAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpickAll)->Unit(benchmark::kMillisecond);

void BM_SwitchToCategory(benchmark::State& state) {
  window->Scan(kEntries);
  for (auto _ : state) {
    state.PauseTiming();
    window->ShowCategory(1);
    state.ResumeTiming();
    window->ShowCategory(0);
  }
  if (window->form().ChckListBox1->Count() != kEntries) state.SkipWithError("rows missing");
}
BENCHMARK(BM_SwitchToCategory)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // A benchmark needs no screen.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  Window shown;
  window = &shown;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
