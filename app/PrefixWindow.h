#pragma once
// The window over one prefix at a time. Choosing another prefix on Welcome
// gives a new window over it in the old one's place: the settings and lists
// belong to the prefix (its HKEY_CURRENT_USER), so they are saved into the
// prefix left and read from the prefix opened, as at a start and an end.

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/wine/PrefixFinder.h"

namespace hw {
class UpdateTransport;
}

namespace hw::app {

class TFormRegFix;
class TPrefixSession;

class TPrefixWindow {
 public:
  using TFinder = std::function<std::vector<platform::FoundPrefix>()>;

  // transport must outlive this; finder lists the prefixes for the chooser.
  TPrefixWindow(std::filesystem::path programFolder, UpdateTransport& transport, TFinder finder);
  ~TPrefixWindow();

  // Shows the window over session's prefix on Welcome; args are the command
  // line ("/uninstall"). False when the window's start-up ended the program.
  bool Open(std::unique_ptr<TPrefixSession> session, std::vector<std::string> args);
  // The program's exit status after Open returned false: 0 when the start-up
  // ended it as asked ("/uninstall"), else 2.
  int ExitStatus() const { return exitStatus_; }
  // Opens prefix in a new window where the current one is, then closes the
  // current one (saving its settings into its prefix). When prefix cannot be
  // read or its window cannot start, says why and keeps the current window;
  // false then.
  bool Switch(const std::filesystem::path& prefix);

  TFormRegFix* Form() const;
  std::filesystem::path Prefix() const;

 private:
  struct TOpened;
  std::unique_ptr<TOpened> Start(std::unique_ptr<TPrefixSession> session,
                                 std::vector<std::string> args);

  std::filesystem::path programFolder_;
  UpdateTransport& transport_;
  TFinder finder_;
  std::unique_ptr<TOpened> opened_;
  int exitStatus_ = 0;
  // Drops switches still queued when this goes.
  QObject guard_;
};

}  // namespace hw::app
