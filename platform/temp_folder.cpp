#include "platform/temp_folder.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/random.h"

namespace platform {

std::string TempFolder(const FileSystem& fs) {
  std::error_code ec;
  std::filesystem::path host = std::filesystem::temp_directory_path(ec);
  if (ec) host = "/tmp";
  return fs.ToWindows(host).value_or("");
}

std::string CurrentFolder(const FileSystem& fs) {
  std::error_code ec;
  std::filesystem::path host = std::filesystem::current_path(ec);
  if (ec) return {};
  return fs.ToWindows(host).value_or("");
}

std::string UniqueTempFileName(std::string_view folder, std::string_view prefix,
                               const FileSystem& fs) {
  std::string base(folder);
  if (!base.empty() && base.back() != '\\') base += '\\';
  for (;;) {
    std::array<std::byte, 6> bytes{};
    SecureRandomBytes(bytes);
    std::string name = base + std::string(prefix);
    for (std::byte b : bytes) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(b));
      name += hex;
    }
    name += ".tmp";
    if (!fs.FileExists(name) && !fs.DirectoryExists(name)) return name;
  }
}

}  // namespace platform
