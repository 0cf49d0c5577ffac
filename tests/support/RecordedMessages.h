#pragma once
// The backup writer's and the repair run's messages, kept for the test to read
// instead of shown.

#include <string>
#include <vector>

#include "registry/RegExport.h"

namespace hw::test {

class RecordedMessages : public TBackupMessages {
 public:
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

}  // namespace hw::test
