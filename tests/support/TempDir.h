#pragma once
// A fresh folder for one test, removed with everything in it afterwards.

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace hw::test {

class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = base / ("hw-test-" + std::to_string(random() % 1000000000000ull));
      // create_directory is false for a folder that exists: someone else's.
      if (std::filesystem::create_directory(path_)) return;
    }
    throw std::runtime_error("no temporary folder could be made in " + base.string());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace hw::test
