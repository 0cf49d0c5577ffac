// `hivewarden-cli prefixes` run as a script runs it, on a home folder of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/CliOptions.h"
#include "tests/support/PrefixFolders.h"
#include "tests/support/TempDir.h"

namespace hw::cli {
namespace {

namespace fs = std::filesystem;

using test::MakeFakePrefix;
constexpr auto& Write = test::WriteWithFolders;

TEST(PrefixesCommandTest, PrintsEachPrefixFoundAsAJsonLine) {
  test::TempDir temp;
  const fs::path home = temp.path() / "home \"quoted\"";
  MakeFakePrefix(home / ".wine");
  MakeFakePrefix(home / ".local/share/bottles/bottles/Office");
  Write(home / ".local/share/bottles/bottles/Office/bottle.yml", "Name: Office \"2013\"\n");
  fs::create_directories(home / ".PlayOnLinux/wineprefix/empty");  // no registry: left out

  const fs::path cli = fs::read_symlink("/proc/self/exe").parent_path() / "hivewarden-cli";
  const std::string command = "env -u WINEPREFIX -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME='" +
                              home.string() + "' '" + cli.string() + "' prefixes";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  const int status = ::pclose(pipe);
  EXPECT_EQ(status, 0);
  const std::string quotedHome = temp.path().string() + "/home \\\"quoted\\\"";
  EXPECT_EQ(output, "{\"path\":\"" + quotedHome +
                        "/.wine\",\"kind\":\"wine\",\"name\":\"~/.wine\",\"inUse\":false}\n"
                        "{\"path\":\"" +
                        quotedHome +
                        "/.local/share/bottles/bottles/Office\",\"kind\":\"bottles\","
                        "\"name\":\"Office \\\"2013\\\"\",\"inUse\":false}\n");
}

TEST(PrefixesCommandTest, TakesNoOptions) {
  EXPECT_EQ(ParseCommandLine({"prefixes"}).kind, ParsedCommand::Kind::Prefixes);
  EXPECT_EQ(ParseCommandLine({"prefixes", "--help"}).kind, ParsedCommand::Kind::Help);
  EXPECT_THROW(ParseCommandLine({"prefixes", "--prefix"}), std::invalid_argument);
}

}  // namespace
}  // namespace hw::cli
