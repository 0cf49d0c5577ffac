#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/FixCommand.h"
#include "platform/WinePrefixStore.h"
#include "tests/support/FakeWineserver.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextFiles.h"
#include "tools/PrefixGenerator.h"

namespace hw::cli {
namespace {

namespace fs = std::filesystem;

const char* const kHives[] = {"system.reg", "user.reg", "userdef.reg"};

// The registry files without the write times a run gives the keys it changes.
std::vector<std::string> Hives(const fs::path& prefix) {
  std::vector<std::string> texts;
  for (const char* hive : kHives) {
    std::istringstream in(test::ReadTextFile(prefix / hive));
    std::string text;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("#time=", 0) == 0) continue;
      if (!line.empty() && line[0] == '[') line.erase(line.rfind(']') + 1);
      text += line + '\n';
    }
    texts.push_back(text);
  }
  return texts;
}

void CopyPrefix(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  for (const char* hive : kHives)
    if (fs::exists(from / hive)) fs::copy_file(from / hive, to / hive);
}

TEST(FixOptionsTest, FixTakesTheScansOptionsAndNeedsABackupChoice) {
  ParsedCommand command =
      ParseCommandLine({"fix", "--prefix", "/p", "--categories", "fonts", "--search", "D:\\",
                        "--search", "E:\\", "--backup", "b.reg", "--dry-run"});
  ASSERT_EQ(command.kind, ParsedCommand::Kind::Fix);
  EXPECT_EQ(command.fix.scan.prefix, "/p");
  EXPECT_EQ(command.fix.scan.categories, TAnalyzCategories{acInvalidFonts});
  EXPECT_EQ(command.fix.searchFolders, (std::vector<std::string>{"D:\\", "E:\\"}));
  EXPECT_EQ(command.fix.backup, "b.reg");
  EXPECT_TRUE(command.fix.dryRun);
  EXPECT_TRUE(ParseCommandLine({"fix", "--no-backup"}).fix.noBackup);

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"fix"},
                                             {"fix", "--backup", "b.reg", "--no-backup"},
                                             {"fix", "--no-backup", "--format", "jsonl"},
                                             {"fix", "--no-backup", "--categories", "bogus"},
                                             {"fix", "--backup"}}) {
    EXPECT_THROW(ParseCommandLine(args), std::invalid_argument) << args.back();
  }
}

class FixCommandTest : public ::testing::Test {
 protected:
  FixCommandTest() { tools::GenerateDemoPrefix(prefix); }

  ExitStatus Fix(std::vector<std::string> extra) {
    std::vector<std::string> args = {"fix", "--prefix", prefix.string(), "--no-exclusions"};
    args.insert(args.end(), extra.begin(), extra.end());
    out.str({});
    err.str({});
    return RunFix(ParseCommandLine(args).fix, out, err, false);
  }

  test::TempDir dir;
  fs::path prefix = dir.path() / "pfx";
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(FixCommandTest, DryRunListsTheActionsAndChangesNothing) {
  const std::vector<std::string> before = Hives(prefix);
  ASSERT_EQ(Fix({"--dry-run"}), kNothingFound) << err.str();
  EXPECT_EQ(Hives(prefix), before);
  const std::string plan = out.str();
  EXPECT_NE(plan.find("\"action\":\"delete-value\""), std::string::npos) << plan;
  EXPECT_NE(plan.find("\"action\":\"delete-key\""), std::string::npos) << plan;
  EXPECT_NE(plan.find("\"badPath\":"), std::string::npos);
}

TEST_F(FixCommandTest, RepairsSavesAndLeavesNothingToFind) {
  const fs::path backup = dir.path() / "backup.reg";
  ASSERT_EQ(Fix({"--backup", backup.string()}), kNothingFound) << err.str();
  EXPECT_NE(out.str().find("entries repaired"), std::string::npos);
  EXPECT_EQ(test::ReadTextFile(backup).rfind("REGEDIT4\r\n\r\n[", 0), 0u);
  ASSERT_EQ(Fix({"--dry-run"}), kNothingFound);
  EXPECT_EQ(out.str(), "");
}

TEST_F(FixCommandTest, AMovedFileIsRewrittenToWhereTheSearchFoundIt) {
  ASSERT_EQ(Fix({"--dry-run", "--search", "C:\\"}), kNothingFound) << err.str();
  const std::string plan = out.str();
  const std::size_t moved = plan.find("Star Pilot\\\\starpilot.exe\"");
  ASSERT_NE(moved, std::string::npos) << plan;
  const std::size_t start = plan.rfind('\n', moved) + 1;
  const std::string line = plan.substr(start, plan.find('\n', moved) - start);
  EXPECT_NE(line.find("\"action\":\"rewrite-value\",\"newText\":"
                      "\"C:\\\\Games\\\\Star Pilot\\\\starpilot.exe\"}"),
            std::string::npos)
      << line;
}

TEST_F(FixCommandTest, APrefixInUseIsRefusedUntouched) {
  const std::vector<std::string> before = Hives(prefix);
  {
    test::FakeWineserver server(prefix);
    ASSERT_TRUE(server.locked());
    EXPECT_EQ(Fix({"--backup", (dir.path() / "b.reg").string()}), kError);
    EXPECT_NE(err.str().find("Wine is running"), std::string::npos) << err.str();
  }
  EXPECT_EQ(Hives(prefix), before);
  EXPECT_FALSE(fs::exists(dir.path() / "b.reg"));
}

// A fix killed at any moment leaves each registry file as it was or as the
// whole run leaves it, and a backup that holds everything saved.
TEST(FixKillTest, AnInterruptedRunLosesNothing) {
  test::TempDir dir;
  const fs::path original = dir.path() / "original";
  tools::GenerateLargePrefix(original, 12000, 24000);
  const std::vector<std::string> before = Hives(original);
  const fs::path cli = fs::read_symlink("/proc/self/exe").parent_path() / "hivewarden-cli";

  auto start = [&](const fs::path& prefix) {
    pid_t child = fork();
    if (child == 0) {
      int null = ::open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
      const std::string prefixArg = prefix.string();
      const std::string backupArg = (prefix / "backup.reg").string();
      execl(cli.c_str(), "hivewarden-cli", "fix", "--prefix", prefixArg.c_str(), "--no-exclusions",
            "--categories", "paths", "--backup", backupArg.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    return child;
  };

  // The whole run once, for the state after it and its duration.
  const fs::path reference = dir.path() / "reference";
  CopyPrefix(original, reference);
  const auto began = std::chrono::steady_clock::now();
  int status = 0;
  waitpid(start(reference), &status, 0);
  const auto took = std::chrono::steady_clock::now() - began;
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const std::vector<std::string> after = Hives(reference);
  const std::string fullBackup = test::ReadTextFile(reference / "backup.reg");
  ASSERT_NE(after, before);

  std::mt19937 random(std::random_device{}());
  std::uniform_real_distribution<double> moment(0.2, 1.05);
  for (int run = 0; run < 6; ++run) {
    const fs::path prefix = dir.path() / ("run" + std::to_string(run));
    CopyPrefix(original, prefix);
    const pid_t child = start(prefix);
    std::this_thread::sleep_for(took * moment(random));
    kill(child, SIGKILL);
    waitpid(child, &status, 0);

    const std::vector<std::string> now = Hives(prefix);
    bool changed = false;
    for (std::size_t i = 0; i < now.size(); ++i) {
      EXPECT_TRUE(now[i] == before[i] || now[i] == after[i]) << kHives[i] << " run " << run;
      changed = changed || now[i] != before[i];
    }
    EXPECT_NO_THROW(platform::WinePrefixStore::open(prefix));
    // The backup is written whole before the registry: absent, or all of it.
    if (fs::exists(prefix / "backup.reg"))
      EXPECT_EQ(test::ReadTextFile(prefix / "backup.reg"), fullBackup) << "run " << run;
    else
      EXPECT_FALSE(changed) << "run " << run;
  }
}

}  // namespace
}  // namespace hw::cli
