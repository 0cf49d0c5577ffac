#pragma once
// Whole files as text, for tests that compare what the program wrote byte for
// byte.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace hw::test {

// The empty text when the file does not exist.
inline std::string ReadTextFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteTextFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace hw::test
