#pragma once
// Makes Wine prefixes to try the program on: a small demo prefix with a few
// stale entries of every kind, and large generated prefixes for benchmarks.

#include <cstddef>
#include <filesystem>

namespace hw::tools {

// Creates the prefix folder with drive_c, dosdevices (c: and z:) and a
// registry whose entries point at programs, fonts, help files and libraries
// that are not there, beside a few that are. Refuses an existing registry.
void GenerateDemoPrefix(const std::filesystem::path& prefix);

// Creates a prefix whose registry has about `keys` keys and `values` values,
// spread over the machine and user hives in vendor/product/component trees,
// with string, expandable-string, number and binary values; a fifth of the
// leaf keys have no values.
void GenerateLargePrefix(const std::filesystem::path& prefix, std::size_t keys, std::size_t values);

// Creates a prefix whose machine hive holds `values` string values naming
// files in `folders` folders of drive C: every other one exists. The registry
// writes the paths in another letter case than the disk holds, so that each
// lookup needs the case-insensitive resolution.
void GeneratePathPrefix(const std::filesystem::path& prefix, std::size_t values,
                        std::size_t folders);

}  // namespace hw::tools
