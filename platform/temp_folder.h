#pragma once
// The system temporary folder and the process's current folder as Windows path texts, and
// unique temporary file names, for the archive engine's work files.
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

// The host's temporary folder in Windows form (no trailing backslash); "" when unmapped.
std::string TempFolder(const FileSystem& fs = DefaultFileSystem());
// The process's current folder in Windows form (no trailing backslash); "" when unmapped.
std::string CurrentFolder(const FileSystem& fs = DefaultFileSystem());
// A path in `folder` named prefix + random hex + ".tmp" that did not exist when chosen.
std::string UniqueTempFileName(std::string_view folder, std::string_view prefix,
                               const FileSystem& fs = DefaultFileSystem());

}  // namespace platform
