#include "tools/PrefixGenerator.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "registry/NTRegistry.h"

namespace hw::tools {

namespace fs = std::filesystem;

namespace {

void MakeDrives(const fs::path& prefix) {
  fs::create_directories(prefix / "drive_c" / "windows" / "Fonts");
  fs::create_directories(prefix / "dosdevices");
  std::error_code ignored;
  fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:", ignored);
  fs::create_directory_symlink("/", prefix / "dosdevices" / "z:", ignored);
}

void Touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "demo\n";
}

// Opens (creating) a key below root and leaves it current in reg.
TNTRegistry& At(TNTRegistry& reg, HKEY root, const std::string& path) {
  reg.SetRootKey(root);
  if (!reg.OpenKey("\\" + path, true)) throw ERegistryException("Failed to create key " + path);
  return reg;
}

void PutDword(TNTRegistry& reg, const std::string& name, std::uint32_t value) {
  reg.PutData(name, &value, sizeof value, dkInteger);
}

void PutExpand(TNTRegistry& reg, const std::string& name, const std::string& text) {
  reg.PutData(name, text.c_str(), static_cast<DWORD>(text.size() + 1), dkExpandString);
}

// Makes the prefix's drives and an empty registry, lets fill write into it,
// and saves it.
template <typename Fill>
void MakePrefix(const fs::path& prefix, Fill fill) {
  MakeDrives(prefix);
  auto store = platform::WinePrefixStore::createEmpty(prefix);
  platform::StoreRegistryApi api(*store);
  TNTRegistry reg(api);
  fill(reg);
  reg.CloseKey();
  store->save();
}

}  // namespace

void GenerateDemoPrefix(const fs::path& prefix) {
  const fs::path c = prefix / "drive_c";
  Touch(c / "Program Files" / "Tidy Editor" / "tidyedit.exe");
  Touch(c / "Program Files" / "Tidy Editor" / "tidyedit.chm");
  Touch(c / "windows" / "Fonts" / "tidysans.ttf");
  // A program that was moved: its registry still names the old folder.
  Touch(c / "Games" / "Star Pilot" / "starpilot.exe");
  fs::create_directories(c / "users" / "Public" / "Start Menu" / "Programs" / "Tidy Editor");

  MakePrefix(prefix, [](TNTRegistry& reg) {
    const std::string cv = "Software\\Microsoft\\Windows\\CurrentVersion\\";
    At(reg, HKEY_LOCAL_MACHINE, "Software\\Classes");  // what HKEY_CLASSES_ROOT stands for

    At(reg, HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives").WriteString("c:", "hd");
    At(reg, HKEY_USERS, ".Default\\Control Panel\\International").WriteString("Locale", "00000409");
    // The special folders where Wine puts them: Fonts and Programs in the
    // user's Shell Folders, Common Programs in the machine's.
    At(reg, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion")
        .WriteString("SystemRoot", "C:\\windows");
    At(reg, HKEY_CURRENT_USER, cv + "Explorer\\Shell Folders")
        .WriteString("Programs", "C:\\users\\Public\\Start Menu\\Programs");
    reg.WriteString("Fonts", "C:\\windows\\Fonts");
    At(reg, HKEY_LOCAL_MACHINE, cv + "Explorer\\Shell Folders")
        .WriteString("Common Programs", "C:\\users\\Public\\Start Menu\\Programs");

    // Invalid paths: a program uninstalled, another moved.
    At(reg, HKEY_CURRENT_USER, "Software\\Oldsoft\\Photo Viewer")
        .WriteString("InstallDir", "C:\\Program Files\\Photo Viewer");
    reg.WriteString("LastFile", "C:\\users\\Public\\Pictures\\holiday.pvx");
    At(reg, HKEY_CURRENT_USER, "Software\\Skyward\\Star Pilot")
        .WriteString("Path", "C:\\Program Files\\Star Pilot\\starpilot.exe");
    At(reg, HKEY_CURRENT_USER, "Software\\Tidy\\Editor")
        .WriteString("Path", "C:\\Program Files\\Tidy Editor\\tidyedit.exe");
    // A value whose name is the missing path.
    At(reg, HKEY_LOCAL_MACHINE, cv + "SharedDLLs");
    PutDword(reg, "C:\\Program Files\\Common Files\\Oldsoft\\pvcodec.dll", 1);
    PutDword(reg, "C:\\Program Files\\Tidy Editor\\tidyedit.exe", 0);

    // Empty keys left behind by an uninstaller.
    At(reg, HKEY_CURRENT_USER, "Software\\Oldsoft\\Leftovers\\Recent");
    At(reg, HKEY_LOCAL_MACHINE, "Software\\Oldsoft\\Photo Viewer\\Plugins");

    // Fonts: one installed, one whose file is gone.
    At(reg, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts")
        .WriteString("Tidy Sans (TrueType)", "tidysans.ttf");
    reg.WriteString("Photo Serif (TrueType)", "photoserif.ttf");

    // Start-menu order keys: one for a folder that is there, one that is not.
    At(reg, HKEY_CURRENT_USER, cv + "Explorer\\MenuOrder\\Start Menu\\Programs\\Tidy Editor");
    reg.PutData("Order", "\x08\x00\x00\x00", 4, dkBinary);
    At(reg, HKEY_CURRENT_USER, cv + "Explorer\\MenuOrder\\Start Menu\\Programs\\Photo Viewer");
    reg.PutData("Order", "\x08\x00\x00\x00", 4, dkBinary);

    // Application paths.
    At(reg, HKEY_LOCAL_MACHINE, cv + "App Paths\\tidyedit.exe")
        .WriteString("", "C:\\Program Files\\Tidy Editor\\tidyedit.exe");
    reg.WriteString("Path", "C:\\Program Files\\Tidy Editor");
    At(reg, HKEY_LOCAL_MACHINE, cv + "App Paths\\photoview.exe")
        .WriteString("", "C:\\Program Files\\Photo Viewer\\photoview.exe");
    reg.WriteString("Path", "C:\\Program Files\\Photo Viewer");

    // Help files.
    At(reg, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Html Help")
        .WriteString("tidyedit.chm", "C:\\Program Files\\Tidy Editor");
    reg.WriteString("photoview.chm", "C:\\Program Files\\Photo Viewer\\Help");
    At(reg, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Help")
        .WriteString("photoview.hlp", "C:\\Program Files\\Photo Viewer\\Help");

    // File types: one whose class is gone, one whose open verb has no command.
    At(reg, HKEY_CLASSES_ROOT, ".pvx").WriteString("", "PhotoViewer.Image");
    At(reg, HKEY_CLASSES_ROOT, ".tidy").WriteString("", "Tidy.Document");
    At(reg, HKEY_CLASSES_ROOT, "Tidy.Document").WriteString("", "Tidy document");
    At(reg, HKEY_CLASSES_ROOT, "Tidy.Document\\shell\\open");
    PutExpand(At(reg, HKEY_CLASSES_ROOT, "Tidy.Document\\DefaultIcon"), "",
              "%ProgramFiles%\\Tidy Editor\\tidyedit.exe,0");
  });
}

void GenerateLargePrefix(const fs::path& prefix, std::size_t keys, std::size_t values) {
  MakePrefix(prefix, [&](TNTRegistry& reg) {
    // Trees of vendor \ product \ component \ leaf, four fifths of the leaves
    // holding values; a tenth of the keys in the user's hive.
    const std::size_t leaves = keys * 9 / 10;
    const std::size_t valuesPerLeaf = std::max<std::size_t>(1, values / (leaves * 4 / 5 + 1));
    std::size_t written = 0;
    for (std::size_t leaf = 0; leaf < leaves; ++leaf) {
      HKEY root = leaf % 10 == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
      std::string path = "Software\\Vendor" + std::to_string(leaf / 2000) + "\\Product" +
                         std::to_string(leaf / 100 % 20) + "\\Component" +
                         std::to_string(leaf / 10 % 10) + "\\Leaf" + std::to_string(leaf);
      At(reg, root, path);
      if (leaf % 5 == 4 || written >= values) continue;
      for (std::size_t v = 0; v < valuesPerLeaf && written < values; ++v, ++written) {
        std::string name = "Value" + std::to_string(v);
        switch (v % 4) {
          case 0:
            reg.WriteString(name, "C:\\Program Files\\Vendor" + std::to_string(leaf / 2000) +
                                      "\\bin\\module" + std::to_string(leaf) + ".dll");
            break;
          case 1: PutDword(reg, name, static_cast<std::uint32_t>(leaf)); break;
          case 2:
            PutExpand(reg, name, "%SystemRoot%\\system32\\file" + std::to_string(v) + ".dat");
            break;
          default: {
            const unsigned char bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
            reg.PutData(name, bytes, sizeof bytes, dkBinary);
          }
        }
      }
    }
  });
}

void GeneratePathPrefix(const fs::path& prefix, std::size_t values, std::size_t folders) {
  MakePrefix(prefix, [&](TNTRegistry& reg) {
    At(reg, HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives").WriteString("c:", "hd");

    const std::size_t perFolder =
        std::max<std::size_t>(1, values / std::max<std::size_t>(1, folders));
    for (std::size_t v = 0; v < values; ++v) {
      const std::size_t folder = v / perFolder % std::max<std::size_t>(1, folders);
      const std::string vendor = "Vendor" + std::to_string(folder / 50);
      const std::string product = "Product Dir " + std::to_string(folder);
      const std::string file = "Module" + std::to_string(v) + ".Dll";
      if (v % perFolder == 0)
        At(reg, HKEY_LOCAL_MACHINE, "Software\\PathBench\\Key" + std::to_string(folder));
      if (v % 2 == 0) Touch(prefix / "drive_c" / "Program Files" / vendor / product / file);
      std::string path = "C:\\PROGRAM FILES\\" + vendor + "\\product dir " +
                         std::to_string(folder) + "\\module" + std::to_string(v) + ".dll";
      reg.WriteString("File" + std::to_string(v), path);
    }
  });
}

}  // namespace hw::tools
