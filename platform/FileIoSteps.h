#pragma once
// Shared by the file layer's system backends: the test fault plan's answer
// for each step, and the text of an errno.

#include <cstddef>
#include <filesystem>
#include <string>

namespace hw::platform {

enum class FileStep;

// The errno of a planned fault striking this step; 0 when none does.
int plannedError(FileStep step, const std::filesystem::path& file);
// A planned read fault: shortens the read to end where the fault strikes, or
// gives its errno once that many bytes were read.
int plannedReadError(const std::filesystem::path& file, std::size_t done, std::size_t& room);

std::string errorText(int error);

}  // namespace hw::platform
