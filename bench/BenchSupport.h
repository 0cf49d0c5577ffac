#pragma once
// What the benchmark programs share: generated prefixes made once, in a child
// process so that the generator's memory does not count towards the peak
// measured, and the peak resident size.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>

namespace hw::bench {

inline std::filesystem::path PreparePrefix(const std::filesystem::path& path,
                                           const std::function<void()>& generate) {
  if (std::filesystem::exists(path / "system.reg")) return path;
  std::cerr << "generating " << path << "...\n";
  pid_t child = fork();
  if (child == 0) {
    generate();
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::cerr << "generating the prefix failed\n";
    std::exit(1);
  }
  return path;
}

inline double PeakRssBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

}  // namespace hw::bench
