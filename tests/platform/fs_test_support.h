#pragma once
// A temporary folder per test, with helpers to lay out files in it.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace platform::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kw-fs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    // Folders a test made read-only must be writable again to be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0755);
    }
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view relative) const {
    return path_ / std::filesystem::path(std::string(relative));
  }

  // Makes the file (and its folders) with the given content.
  std::filesystem::path File(std::string_view relative, std::string_view content = "x") const {
    const auto full = *this / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary) << content;
    return full;
  }
  std::filesystem::path Folder(std::string_view relative) const {
    const auto full = *this / relative;
    std::filesystem::create_directories(full);
    return full;
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadAll(const std::filesystem::path& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return "<missing>";
  std::string out(static_cast<std::size_t>(size), '\0');
  std::ifstream(path, std::ios::binary).read(out.data(), static_cast<std::streamsize>(out.size()));
  return out;
}

}  // namespace platform::testing
