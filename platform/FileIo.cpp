#include "platform/FileIo.h"

#include <algorithm>
#include <cstring>

#include "platform/FileIoFaults.h"
#include "platform/FileIoSteps.h"

namespace hw::platform {

namespace fs = std::filesystem;

namespace {

FaultPlan* gFaultPlan = nullptr;

bool faultMatches(FileStep step, const fs::path& file) {
  const FaultPlan& plan = *gFaultPlan;
  if (plan.limit > 0 && plan.struck >= plan.limit) return false;
  return plan.step == step && (plan.fileName.empty() || file.filename() == plan.fileName);
}

}  // namespace

int plannedError(FileStep step, const fs::path& file) {
  if (gFaultPlan == nullptr) return 0;
  const std::vector<FileStep>& lacking = gFaultPlan->unsupported;
  if (std::find(lacking.begin(), lacking.end(), step) != lacking.end() &&
      (gFaultPlan->fileName.empty() || file.filename() == gFaultPlan->fileName))
    return gFaultPlan->unsupportedError;
  if (!faultMatches(step, file)) return 0;
  if (gFaultPlan->skip > 0) {
    --gFaultPlan->skip;
    return 0;
  }
  ++gFaultPlan->struck;
  return gFaultPlan->error;
}

int plannedReadError(const fs::path& file, std::size_t done, std::size_t& room) {
  if (gFaultPlan == nullptr || !faultMatches(FileStep::Read, file)) return 0;
  if (done < gFaultPlan->afterBytes) {
    room = std::min(room, gFaultPlan->afterBytes - done);
    return 0;
  }
  ++gFaultPlan->struck;
  return gFaultPlan->error;
}

std::string errorText(int error) { return std::strerror(error); }

void SetFaultPlan(FaultPlan* plan) { gFaultPlan = plan; }

void WriteFileAtomically(const fs::path& target, std::string_view text) {
  std::error_code error;
  const bool replacing = fs::exists(target, error);
  fs::path temp = WriteTemporaryBeside(target, text, replacing);
  try {
    MoveIntoPlace(temp, target, replacing);
  } catch (...) {
    fs::remove(temp, error);
    throw;
  }
  SyncFolder(target.parent_path().empty() ? fs::path(".") : target.parent_path());
}

}  // namespace hw::platform
