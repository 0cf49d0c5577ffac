#pragma once
// Where the program, its data files, its backups and the prefix it works on
// are, as every Wine tool finds them; shared by the window and the
// command-line tool.

#include <filesystem>
#include <string>

namespace hw::platform {

// The folder of the running executable.
std::filesystem::path ExecutableFolder();

// The folder of the data files (language packs, default lists, pictures,
// help): beside the executable when they are there (the build tree, Windows),
// else the installed place relative to it (bin/../share/hivewarden) when that
// exists, else beside the executable, where a missing file is then reported.
std::filesystem::path DataFolder();
std::filesystem::path DataFolderOf(const std::filesystem::path& executableFolder);

// Whether folder is the installed data folder of a program in executableFolder.
bool IsInstalledDataFolder(const std::filesystem::path& folder,
                           const std::filesystem::path& executableFolder = ExecutableFolder());

// The user's own data folder: $XDG_DATA_HOME, else ~/.local/share (%APPDATA%
// on Windows).
std::filesystem::path UserDataFolder();

// Where backups go, with a trailing separator: Backups/ in the program's data
// folder while that is a writable folder beside the program; for an installed
// program, or one whose folder cannot be written, hivewarden/Backups/ in the
// user's data folder.
std::filesystem::path BackupFolder(
    const std::filesystem::path& dataFolder,
    const std::filesystem::path& executableFolder = ExecutableFolder());

// The prefix to use: the option, else $WINEPREFIX, else ~/.wine.
std::string ResolvePrefix(const std::string& option = {});

// Whether the folder holds a Wine prefix's registry.
bool IsWinePrefix(const std::filesystem::path& folder);

}  // namespace hw::platform
