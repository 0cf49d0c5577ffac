// Writes the demo prefix that scripts/run.sh scans when the user has no
// Wine prefix of their own.

#include <filesystem>
#include <iostream>

#include "tools/PrefixGenerator.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-demo-prefix DIR\n";
    return 2;
  }
  std::filesystem::path prefix = argv[1];
  try {
    // Rebuilt from scratch so that it always matches this build.
    std::filesystem::remove_all(prefix);
    hw::tools::GenerateDemoPrefix(prefix);
  } catch (const std::exception& error) {
    std::cerr << "make-demo-prefix: " << error.what() << "\n";
    return 2;
  }
  return 0;
}
