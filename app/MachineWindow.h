#pragma once
// The window on Windows: over the machine's own registry and drives, one
// window for the life of the process (there is no prefix to choose).

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace hw {
class UpdateTransport;
}

namespace hw::app {

class TFormRegFix;

class TMachineWindow {
 public:
  // transport must outlive this.
  TMachineWindow(std::filesystem::path programFolder, UpdateTransport& transport);
  ~TMachineWindow();

  // Shows the window on Welcome; args are the command line ("/uninstall").
  // False when the window's start-up ended the program.
  bool Open(std::vector<std::string> args);
  // The program's exit status after Open returned false: 0 when the start-up
  // ended it as asked ("/uninstall"), else 2.
  int ExitStatus() const { return exitStatus_; }
  TFormRegFix* Form() const;

 private:
  struct TParts;
  std::filesystem::path programFolder_;
  UpdateTransport& transport_;
  std::unique_ptr<TParts> parts_;
  int exitStatus_ = 0;
};

}  // namespace hw::app
