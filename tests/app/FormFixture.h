#pragma once
// A window over a demo Wine prefix in a temporary folder, with the program's
// data files copied beside it, driven as a user would drive it. Dialogs are
// answered in advance and recorded, so no test waits on a modal box.

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "tests/support/TempDir.h"

namespace hw::test {

class FormTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Opens the prefix and creates the window; false when FormCreate ended the
  // program. The window is shown on its first page otherwise.
  bool Start(std::vector<std::string> args = {});
  // Closes the window (saving the settings) and forgets it.
  void Stop();

  app::TFormRegFix& form() { return *form_; }
  app::TPrefixSession& session() { return *session_; }
  template <typename T>
  T* Child(const char* name) {
    T* child = form_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  void Click(const char* button);
  // The texts of the dialogs shown since the last call.
  std::vector<app::TShownDialog> TakeShown();

  std::filesystem::path prefix_;
  std::filesystem::path program_;
  // The test's home folder as the demo prefix's Z: names it.
  const std::string& HomeOnZ() const { return homeOnZ_; }

 private:
  std::string homeOnZ_;
  std::optional<std::string> savedHome_;
  TempDir temp_;
  std::unique_ptr<app::TPrefixSession> session_;
  std::unique_ptr<app::TAppContext> context_;
  std::unique_ptr<app::TFormRegFix> form_;
};

}  // namespace hw::test
