#pragma once
// Files and folders addressed by Windows path texts ("C:\Dane\Rodzina.kw"), resolved on the
// host through the drive map, component by component and case-insensitively as on NTFS.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"
#include "platform/drive_map.h"

namespace platform {

enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  kAttrReparsePoint = 0x400,  // a symbolic link: walks of a tree skip it, or loop forever
};

struct FileInfo {
  std::string name;              // the entry's name only (UTF-8)
  std::uint32_t attributes = 0;  // FileAttribute bits
  std::uint64_t size = 0;
  TDateTime lastWriteTime = 0;   // local time
};

struct DiskSpace {
  std::uint64_t freeBytes = 0;   // available to the caller
  std::uint64_t totalBytes = 0;
};

class FileSystem {
 public:
  explicit FileSystem(DriveMap map);
  ~FileSystem();
  FileSystem(FileSystem&&) noexcept;
  FileSystem& operator=(FileSystem&&) noexcept;

  const DriveMap& Drives() const;

  // Host path of a Windows path ("C:\a\b", "\\?\C:\a", "C:/a"): each existing component
  // matched exactly, else case-insensitively; components that do not exist are appended
  // as written. nullopt for an unmapped drive, a UNC path or a relative path.
  std::optional<std::filesystem::path> ToHost(std::string_view windowsPath) const;
  std::optional<std::string> ToWindows(const std::filesystem::path& host) const;

  bool FileExists(std::string_view path) const;       // a file, not a folder
  bool DirectoryExists(std::string_view path) const;
  std::optional<FileInfo> Stat(std::string_view path) const;

  // Entries matching a pattern with the Windows wildcard rules ("C:\dir\*.kwbackup",
  // "*", "?", "*.*"), "." and ".." first for a folder (a drive's root has none, as on
  // NTFS), hidden entries included, then in the host's enumeration order. A missing
  // folder yields nothing. Symbolic links carry kAttrReparsePoint besides the attributes
  // of what they lead to.
  std::vector<FileInfo> FindFiles(std::string_view pattern) const;

  // Each returns false on failure and sets LastError() to a Windows error code.
  bool CopyFile(std::string_view from, std::string_view to, bool failIfExists);
  bool MoveFile(std::string_view from, std::string_view to);  // rename; replaces a file
  bool DeleteFile(std::string_view path);
  bool CreateDirectories(std::string_view path);  // with every missing parent
  bool RemoveDirectory(std::string_view path);    // only an empty one
  bool SetAttributes(std::string_view path, std::uint32_t attributes);
  bool SetLastWriteTime(std::string_view path, TDateTime localTime);
  std::optional<DiskSpace> FreeSpace(std::string_view path) const;
  std::uint32_t LastError() const;

  // Directory listings are cached per folder; changes made through this object update
  // the cache, changes made behind its back need this.
  void InvalidateCache() const;
  // Drops the listings of one host folder and the folders below it.
  void ForgetFolder(const std::filesystem::path& hostFolder) const;
  // Records a file created on the host path outside these functions (File::Open).
  void NoteCreated(const std::filesystem::path& hostPath) const;
  // How many folder listings have been read so far (for measurements).
  std::size_t DirectoryListingsRead() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The process's default file system (drive map from the environment), and a scope that
// replaces it, for tests.
FileSystem& DefaultFileSystem();
class ScopedDefaultFileSystem {
 public:
  explicit ScopedDefaultFileSystem(FileSystem& replacement);
  ~ScopedDefaultFileSystem();
  ScopedDefaultFileSystem(const ScopedDefaultFileSystem&) = delete;
  ScopedDefaultFileSystem& operator=(const ScopedDefaultFileSystem&) = delete;

 private:
  FileSystem* previous_;
};

}  // namespace platform
