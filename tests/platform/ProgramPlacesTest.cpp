// Where the data files and the backups are found, in the build tree and in an
// installed layout (bin/ beside share/hivewarden/).

#include "platform/ProgramPlaces.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "tests/support/TempDir.h"

namespace hw::test {
namespace {

namespace fs = std::filesystem;
using platform::BackupFolder;
using platform::DataFolderOf;
using platform::IsInstalledDataFolder;

// Sets XDG_DATA_HOME for one test and puts the caller's back.
class ScopedDataHome {
 public:
  explicit ScopedDataHome(const fs::path& folder) {
    if (const char* value = std::getenv("XDG_DATA_HOME")) saved_ = value;
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
  }
  ~ScopedDataHome() {
    if (saved_)
      ::setenv("XDG_DATA_HOME", saved_->c_str(), 1);
    else
      ::unsetenv("XDG_DATA_HOME");
  }

 private:
  std::optional<std::string> saved_;
};

void Touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "x";
}

class ProgramPlacesTest : public ::testing::Test {
 protected:
  fs::path bin() const { return temp_.path() / "usr" / "bin"; }
  fs::path share() const { return temp_.path() / "usr" / "share" / "hivewarden"; }
  fs::path userData() const { return temp_.path() / "home" / "data"; }

  TempDir temp_;
  ScopedDataHome dataHome_{temp_.path() / "home" / "data"};
};

TEST_F(ProgramPlacesTest, AnInstalledProgramFindsItsDataInShareAndKeepsBackupsInTheUsersFolder) {
  fs::create_directories(bin());
  Touch(share() / "exclpath.def");
  EXPECT_EQ(DataFolderOf(bin()), share());
  EXPECT_TRUE(IsInstalledDataFolder(share(), bin()));
  // The data folder can be written here (and by root anywhere), yet backups
  // of an installed program never go among its files.
  EXPECT_EQ(BackupFolder(share(), bin()), userData() / "hivewarden" / "Backups" / "");
  // A link to the installed folder is the same folder.
  fs::create_directory_symlink(share(), temp_.path() / "link");
  EXPECT_TRUE(IsInstalledDataFolder(temp_.path() / "link", bin()));
}

TEST_F(ProgramPlacesTest, DataBesideTheProgramComeFirstAndKeepTheirBackupsBesideThem) {
  Touch(bin() / "renglish.lng");
  Touch(share() / "exclpath.def");
  EXPECT_EQ(DataFolderOf(bin()), bin());
  EXPECT_FALSE(IsInstalledDataFolder(bin(), bin()));
  EXPECT_EQ(BackupFolder(bin(), bin()), bin() / "Backups" / "");
}

TEST_F(ProgramPlacesTest,
       WithoutDataAnywhereTheProgramFolderIsNamedSoTheMissingFileIsReportedThere) {
  fs::create_directories(bin());
  EXPECT_EQ(DataFolderOf(bin()), bin());
  // A folder that cannot be written (here: one that is not there) sends the
  // backups to the user's folder too.
  EXPECT_EQ(BackupFolder(bin() / "gone", bin()), userData() / "hivewarden" / "Backups" / "");
}

TEST_F(ProgramPlacesTest, WithoutXdgDataHomeBackupsGoBelowTheHomeFolder) {
  ::unsetenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  ASSERT_TRUE(home && *home);
  EXPECT_EQ(BackupFolder(share(), bin()),
            fs::path(home) / ".local" / "share" / "hivewarden" / "Backups" / "");
}

TEST(ProgramPlacesBuildTest, TheBuiltProgramsFindTheirDataBesideThemselves) {
  EXPECT_EQ(platform::DataFolder(), platform::ExecutableFolder());
  EXPECT_TRUE(fs::exists(platform::DataFolder() / "exclpath.def"));
  EXPECT_TRUE(fs::exists(platform::DataFolder() / "help" / "index.html"));
}

}  // namespace
}  // namespace hw::test
