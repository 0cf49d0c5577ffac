#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/FixCommand.h"
#include "platform/wine/WinePrefixStore.h"
#include "tests/support/FakeWineserver.h"
#include "tests/support/FileFaults.h"
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

// Whether text is a backup the registry editor imports: the REGEDIT4 header,
// CR LF line ends, key lines and below them value lines in the forms the
// writer uses. Returns the number of key lines, -1 when it is not well formed.
int RegeditKeyLines(const std::string& text) {
  constexpr std::string_view kHeader = "REGEDIT4\r\n";
  if (text.rfind(kHeader, 0) != 0) return -1;
  int keys = 0;
  for (std::size_t pos = kHeader.size(); pos < text.size();) {
    const std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) return -1;
    std::string_view line(text.data() + pos, end - pos);
    pos = end + 2;
    if (line.find('\n') != std::string_view::npos) return -1;
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (line.rfind("[HKEY_", 0) != 0 || line.back() != ']') return -1;
      ++keys;
      continue;
    }
    std::size_t equals = 0;
    if (keys == 0) return -1;
    if (line.front() == '@') {
      equals = 1;
    } else if (line.front() == '"') {
      for (equals = 1; equals < line.size() && line[equals] != '"'; ++equals)
        if (line[equals] == '\\') ++equals;
      ++equals;
    } else {
      return -1;
    }
    if (equals >= line.size() || line[equals] != '=') return -1;
    std::string_view data = line.substr(equals + 1);
    if (data == "-" || (data.size() >= 2 && data.front() == '"' && data.back() == '"')) continue;
    std::size_t colon = data.find(':');
    std::string_view kind = data.substr(0, colon);
    if (colon == std::string_view::npos ||
        !(kind == "dword" || kind == "hex" || kind.rfind("hex(", 0) == 0))
      return -1;
    if (data.substr(colon + 1).find_first_not_of("0123456789abcdef,") != std::string_view::npos)
      return -1;
  }
  return keys;
}

void CopyPrefix(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  for (const char* hive : kHives)
    if (fs::exists(from / hive)) fs::copy_file(from / hive, to / hive);
  // The copy judges its paths on the original's drive: a fix changes no files.
  fs::create_directories(to / "dosdevices");
  fs::create_directory_symlink(fs::absolute(from / "drive_c"), to / "dosdevices" / "c:");
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
  // One planned action per key or value: none is reached twice under two roots.
  ASSERT_EQ(Fix({"--dry-run"}), kNothingFound) << err.str();
  std::vector<std::string> actions;
  std::istringstream plan(out.str());
  for (std::string line; std::getline(plan, line);) {
    const std::size_t key = line.find("\"key\":");
    actions.push_back(line.substr(key, line.find(",\"data\":") - key));
    EXPECT_EQ(line.find("[HKEY_USERS] S-1-5-21-0-0-0-1000"), std::string::npos) << line;
    EXPECT_EQ(line.find("[HKEY_CLASSES_ROOT]"), std::string::npos) << line;
  }
  ASSERT_FALSE(actions.empty());
  std::vector<std::string> distinct = actions;
  std::sort(distinct.begin(), distinct.end());
  EXPECT_EQ(std::unique(distinct.begin(), distinct.end()), distinct.end()) << out.str();
  ASSERT_EQ(Fix({"--backup", backup.string()}), kNothingFound) << err.str();
  EXPECT_EQ(out.str().rfind(std::to_string(actions.size()) + " entries repaired\n", 0), 0u)
      << out.str();
  EXPECT_EQ(test::ReadTextFile(backup).rfind("REGEDIT4\r\n\r\n[", 0), 0u);
  ASSERT_EQ(Fix({"--dry-run"}), kNothingFound);
  EXPECT_EQ(out.str(), "");
}

// A backup file named again keeps what it held; once the second run replaced
// the first run's only backup.
TEST_F(FixCommandTest, AnExistingBackupIsAddedToAndAnythingElseRefused) {
  const fs::path backup = dir.path() / "backup.reg";
  const std::string export5("\xFF\xFEW\0i\0n\0\r\0\n\0", 12);
  for (const std::string& other :
       {export5, std::string("\xEF\xBB\xBFREGEDIT4\r\n"), std::string("notes\r\n")}) {
    test::WriteTextFile(backup, other);
    const std::vector<std::string> before = Hives(prefix);
    EXPECT_EQ(Fix({"--backup", backup.string()}), kError);
    EXPECT_NE(err.str().find(backup.string() + " is not a REGEDIT4 file"), std::string::npos)
        << err.str();
    EXPECT_EQ(test::ReadTextFile(backup), other);
    EXPECT_EQ(Hives(prefix), before);
  }
  const std::string old = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Old]\r\n\r\n";
  test::WriteTextFile(backup, old);
  ASSERT_EQ(Fix({"--backup", backup.string()}), kNothingFound) << err.str();
  const std::string text = test::ReadTextFile(backup);
  EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n[HKEY_", 0), 0u);
  EXPECT_GT(RegeditKeyLines(text), 1);
  EXPECT_EQ(text.substr(text.size() - (old.size() - 10)), old.substr(10)) << "the old block last";
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
// whole run leaves it, and a backup that holds everything saved, in a form the
// registry editor imports.
TEST(FixKillTest, AnInterruptedRunLosesNothing) {
  test::TempDir dir;
  const fs::path original = dir.path() / "original";
  tools::GenerateLargePrefix(original, 4000, 8000);
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
            "--categories", "paths,empty", "--search", "C:\\", "--backup", backupArg.c_str(),
            static_cast<char*>(nullptr));
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
  ASSERT_GT(RegeditKeyLines(fullBackup), 0) << "the backup is no REGEDIT4 file";

  std::mt19937 random(std::random_device{}());
  // Most kills fall in the last part of the run, where the files are written.
  std::uniform_real_distribution<double> moment(0.0, 1.1);
  for (int run = 0; run < 16; ++run) {
    const fs::path prefix = dir.path() / ("run" + std::to_string(run));
    CopyPrefix(original, prefix);
    const pid_t child = start(prefix);
    std::this_thread::sleep_for(took * std::sqrt(moment(random)));
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
    if (fs::exists(prefix / "backup.reg")) {
      const std::string backup = test::ReadTextFile(prefix / "backup.reg");
      EXPECT_GT(RegeditKeyLines(backup), 0) << "run " << run;
      EXPECT_EQ(backup, fullBackup) << "run " << run;
    } else {
      EXPECT_FALSE(changed) << "run " << run;
    }
  }
}

// A fix whose backup or registry cannot be written says which file and why,
// and leaves the prefix as it was.
TEST_F(FixCommandTest, ADiskFaultLeavesThePrefixAsItWas) {
  const fs::path backup = prefix / "backup.reg";
  auto hive = [](std::string_view file) { return file != "backup.reg"; };
  for (const char* file : {"backup.reg", "user.reg", "system.reg"}) {
    for (const test::DiskFault& fault : test::WriteFaults()) {
      const std::vector<std::string> hives = Hives(prefix);
      {
        // A hive is opened once to be read before its temporary copy is made.
        test::ScopedFault scoped(
            {.step = fault.step,
             .error = fault.error,
             .fileName = file,
             .skip = hive(file) && fault.step == platform::FileStep::Open ? 1 : 0});
        EXPECT_EQ(Fix({"--backup", backup.string(), "--search", "C:\\"}), kError)
            << fault.name << " on " << file;
        ASSERT_GT(scoped.struck(), 0) << fault.name << " on " << file;
      }
      SCOPED_TRACE(std::string(fault.name) + " on " + file + ": " + err.str());
      EXPECT_NE(err.str().find(file), std::string::npos);
      EXPECT_NE(err.str().find(std::strerror(fault.error)), std::string::npos);
      // A backup that fails stops the run before its first change, and says so:
      // an existing file that cannot be read is refused before the scan.
      const bool unchangedSaid = err.str().find("the prefix was not changed") != std::string::npos;
      EXPECT_TRUE(hive(file) ? unchangedSaid
                             : unchangedSaid || err.str().find("nothing was changed") !=
                                                    std::string::npos);
      EXPECT_EQ(Hives(prefix), hives);
      for (const auto& entry : fs::directory_iterator(prefix))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "a temporary file was left";
      fs::remove(backup);
    }
  }
}

// Keys nested as deep as Windows allows and deeper, link loops and names with control
// characters go through the whole fix: scan, backup, deletion and save.
TEST_F(FixCommandTest, AHostileRegistryIsScannedAndRepairedWithoutHarm) {
  {
    auto store = platform::WinePrefixStore::open(prefix);
    // HKU\<SID>\Software\Deep\D...: as deep as Windows allows, and deeper.
    platform::KeyNode* user = store->resolve(store->predefinedKey(HKEY_CURRENT_USER), "Software");
    for (auto [name, levels] : {std::pair{"Deep", 512}, std::pair{"Deeper", 600}}) {
      platform::KeyNode* key = store->createChild(*user, name);
      for (int level = 3; level < levels; ++level) key = store->createChild(*key, "D");
    }
    platform::KeyNode& software =
        *store->resolve(&store->hiveRoot(platform::Hive::Machine), "Software");
    auto link = [&](platform::KeyNode& parent, const char* name, std::u16string_view target) {
      platform::KeyNode* made = store->createChild(parent, name);
      made->isLink = true;
      std::string bytes;
      for (char16_t unit : target) bytes += {static_cast<char>(unit), '\0'};
      store->setValue(*made, "SymbolicLinkValue", REG_LINK, bytes);
    };
    // Links lead into each other's trees: a walk through them never ends.
    platform::KeyNode* loop = store->createChild(software, "Loop");
    platform::KeyNode* other = store->createChild(software, "Other");
    for (const char* name : {"Back", "Again"}) {
      link(*loop, name, u"\\Registry\\Machine\\Software\\Other");
      link(*other, name, u"\\Registry\\Machine\\Software\\Loop");
    }
    link(software, "Ping", u"\\Registry\\Machine\\Software\\Pong");
    link(software, "Pong", u"\\Registry\\Machine\\Software\\Ping");
    store->createChild(software, std::string("Ctl\x01\x1f\x7f\xc3"));
    store->save();
  }
  const fs::path backup = dir.path() / "backup.reg";
  ASSERT_EQ(Fix({"--categories", "empty,paths", "--backup", backup.string(), "--search", "C:\\"}),
            kNothingFound)
      << err.str();
  const std::string text = test::ReadTextFile(backup);
  EXPECT_GT(RegeditKeyLines(text), 500);
  EXPECT_NE(text.find("\\Deep\\D\\D]"), std::string::npos);
  auto store = platform::WinePrefixStore::open(prefix);
  // Beyond the depth the walks reach nothing is known: that tree stays whole.
  platform::KeyNode* software = store->resolve(store->predefinedKey(HKEY_CURRENT_USER), "Software");
  EXPECT_EQ(software->findChild("Deep"), nullptr);
  std::string deeper = "Deeper";
  for (int level = 4; level < 600; ++level) deeper += "\\D";
  EXPECT_NE(store->resolve(software, deeper), nullptr);
  platform::KeyNode* machine = store->hiveRoot(platform::Hive::Machine).findChild("Software");
  for (platform::KeyNode* kept :
       {machine->findChild("Loop")->findChild("Back"), machine->findChild("Ping")})
    EXPECT_TRUE(kept && kept->isLink) << "links are kept, never walked";
}

}  // namespace
}  // namespace hw::cli
