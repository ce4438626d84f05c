#pragma once
// INI texts read from and written to host paths: the file part of the profile functions,
// below the Windows path resolution.
#include <filesystem>
#include <string_view>

#include "platform/ini_text.h"

namespace platform {

// The whole file; a missing or unreadable file gives an empty text. `unreadable`, when
// given, tells apart a file that exists but could not be read (it must not be overwritten
// with what little the caller wrote into the empty text).
IniDocument LoadIni(const std::filesystem::path& host, bool* unreadable = nullptr);
// Reads the file in growing pieces only until the first section named `section` has
// ended, so a long file list after that section is neither read nor parsed.
IniDocument LoadIniSection(const std::filesystem::path& host, std::string_view section);

// Each returns false when the file cannot be written. A text read up to one section
// cannot be saved (std::logic_error): the rest of the file would be lost.
bool SaveIni(const std::filesystem::path& host, const IniDocument& doc);  // in place
// Into a temporary file beside the target, flushed, then renamed over it: the file is
// either the old or the new text. No temporary file is left behind on failure.
bool SaveIniAtomically(const std::filesystem::path& host, const IniDocument& doc);

}  // namespace platform
