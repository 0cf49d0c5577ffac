#pragma once
// Reading and writing whole files the way the program must: a file is read
// completely or not at all, and a file is replaced only by a complete, flushed
// copy renamed over it, so that an interrupted write never leaves half a file.

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace hw::platform {

// A file could not be read or written; the message names it and says why.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a whole regular file into text; false when it does not exist.
bool ReadWholeFile(const std::filesystem::path& path, std::string& text);
#ifndef _WIN32
// The same, with the file's status as it was read (for a prefix's hives).
bool ReadWholeFile(const std::filesystem::path& path, std::string& text, struct stat& st);
#endif

// Writes text to a new temporary file beside target, flushed to disk, with the
// permissions (and, for root, the owner) of target when replacing it. Returns
// the temporary file's path.
std::filesystem::path WriteTemporaryBeside(const std::filesystem::path& target,
                                           std::string_view text, bool replacing);
// Renames the temporary file over target; when not replacing, refuses a
// target that appeared meanwhile.
void MoveIntoPlace(const std::filesystem::path& temp, const std::filesystem::path& target,
                   bool replacing);
// Makes the renames in a folder durable.
void SyncFolder(const std::filesystem::path& folder);

// The three steps for one file: it is replaced whole or left as it was.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view text);

// Whether the user may create files in folder.
bool FolderWritable(const std::filesystem::path& folder);

}  // namespace hw::platform
