#pragma once
// Splitting a Windows path text into its drive letter and its components, with the
// normalisation the Windows path functions apply: "\\?\" prefix, forward slashes, doubled
// separators, "." and ".." components.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct WindowsPath {
  char drive = 0;                       // upper-case letter
  std::vector<std::string> components;  // no empty, "." or ".." entries
};

// nullopt for a UNC path ("\\server\share", "\\?\UNC\..."), a path without a drive letter,
// or a device path ("\\.\E:").
std::optional<WindowsPath> ParseWindowsPath(std::string_view text);

// "C:\a\b" from its parts; the root alone is "C:\".
std::string JoinWindowsPath(char drive, const std::vector<std::string>& components);

}  // namespace platform
