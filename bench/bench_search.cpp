// The moved-file search's walk against find(1): 1,000 file-name masks over a
// tree of 100,000 files in 10,000 folders, in a Wine prefix's C: drive. Both
// run on a warm disk cache; the best of three searches and one find (it takes
// a minute) are reported, with the ratio (goal: no slower than find).
//
//   build/bin/bench_search [--search-only]
// The tree is generated once into build/bench-search (HW_BENCH_SEARCH_TREE to
// use another folder).

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "platform/MemoryStore.h"
#include "platform/wine/PrefixFileSystem.h"
#include "platform/StoreRegistryApi.h"
#include "search/FindInDir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kTopFolders = 100;
constexpr int kSubFolders = 99;  // below each top folder: 100 + 100 * 99 = 10,000 folders
constexpr int kFilesPerFolder = 10;
constexpr int kMasks = 1000;
constexpr int kRuns = 3;
const char* const kExtensions[] = {"Dll", "exe", "TXT", "hlp", "ini", "dat", "ttf", "cpl"};

std::string FileName(int number) {
  return "File" + std::to_string(number) + "." + kExtensions[number % std::size(kExtensions)];
}

fs::path PrepareTree() {
  const char* env = std::getenv("HW_BENCH_SEARCH_TREE");
  const fs::path prefix = env ? fs::path(env) : fs::path(HW_BENCH_SEARCH_DEFAULT_TREE);
  const fs::path done = prefix / "complete";
  if (fs::exists(done)) return prefix;
  std::cerr << "generating " << prefix << "...\n";
  fs::remove_all(prefix);
  const fs::path tree = prefix / "drive_c" / "tree";
  int number = 0;
  auto fill = [&](const fs::path& folder) {
    fs::create_directories(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) std::ofstream(folder / FileName(number++));
  };
  for (int top = 0; top < kTopFolders; ++top) {
    const fs::path topFolder = tree / ("Top" + std::to_string(top));
    fill(topFolder);
    for (int sub = 0; sub < kSubFolders; ++sub) fill(topFolder / ("Sub" + std::to_string(sub)));
  }
  fs::create_directories(prefix / "dosdevices");
  fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
  std::ofstream(done) << number << " files\n";
  return prefix;
}

// Half the masks name files of the tree (in another letter case), half names
// that are nowhere; a few hold wildcards.
std::vector<std::string> Masks() {
  const int files = kTopFolders * (kSubFolders + 1) * kFilesPerFolder;
  std::mt19937 random(42);
  std::uniform_int_distribution<int> pick(0, files - 1);
  std::vector<std::string> masks;
  for (int i = 0; i < kMasks; ++i) {
    std::string name = i % 2 ? FileName(pick(random)) : "Gone" + std::to_string(i) + ".dll";
    // Not before the dot, where the DOS rules let ? match nothing and find does not.
    if (i % 100 == 1) name[5] = '?';  // File1?345.dat
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    masks.push_back(name);
  }
  return masks;
}

struct Result {
  double seconds;
  long finds;
};

Result RunSearch(const fs::path& prefix, const std::vector<std::string>& masks) {
  hw::platform::MemoryStore store;
  hw::platform::StoreRegistryApi api(store);
  hw::platform::PrefixFileSystem files(prefix, api);  // fresh: nothing cached
  hw::platform::EventPump pump;
  hw::TFindInDir finder(files, pump);
  long finds = 0;
  finder.OnFoundFile = [&](hw::TFindInDir&) { ++finds; };
  finder.OnFoundDir = finder.OnFoundFile;
  finder.SearchFor = hw::fidSearchForDirs | hw::fidSearchForFiles;
  finder.InitialDir = "C:\\tree";
  finder.Masks = masks;
  const auto start = Clock::now();
  finder.Execute();
  return {std::chrono::duration<double>(Clock::now() - start).count(), finds};
}

// find ROOT \( -iname m1 -o -iname m2 ... \), its lines counted.
Result RunFind(const fs::path& root, const std::vector<std::string>& masks) {
  std::vector<std::string> args = {"find", root.string(), "("};
  for (std::size_t i = 0; i < masks.size(); ++i) {
    if (i > 0) args.push_back("-o");
    args.push_back("-iname");
    args.push_back(masks[i]);
  }
  args.push_back(")");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int out[2];
  if (pipe(out) != 0) std::exit(1);
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execvp("find", argv.data());
    _exit(127);
  }
  close(out[1]);
  long lines = 0;
  char buffer[65536];
  for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
    lines += std::count(buffer, buffer + got, '\n');
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::cerr << "find failed\n";
    std::exit(1);
  }
  return {std::chrono::duration<double>(Clock::now() - start).count(), lines};
}

template <typename Run>
Result Best(Run run) {
  Result best{1e9, 0};
  for (int i = 0; i < kRuns; ++i) {
    Result result = run();
    if (result.seconds < best.seconds) best = result;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path prefix = PrepareTree();
  const std::vector<std::string> masks = Masks();
  const fs::path tree = prefix / "drive_c" / "tree";
  RunSearch(prefix, masks);  // warms the disk cache for both
  const Result search = Best([&] { return RunSearch(prefix, masks); });
  if (argc > 1 && std::string(argv[1]) == "--search-only") {
    std::printf("TFindInDir: %8.1f ms, %ld finds\n", search.seconds * 1e3, search.finds);
    return 0;
  }
  // find spends its time matching, not waiting for the disk: one run tells.
  const Result find = RunFind(tree, masks);
  std::printf("tree: %d folders, %d files; %d masks\n", kTopFolders * (kSubFolders + 1),
              kTopFolders * (kSubFolders + 1) * kFilesPerFolder, kMasks);
  std::printf("TFindInDir: %8.1f ms, %ld finds\n", search.seconds * 1e3, search.finds);
  std::printf("find:       %8.1f ms, %ld finds\n", find.seconds * 1e3, find.finds);
  std::printf("ratio (TFindInDir / find): %.3f\n", search.seconds / find.seconds);
  if (search.finds != find.finds) {
    std::fprintf(stderr, "the finds differ\n");
    return 1;
  }
  return 0;
}
