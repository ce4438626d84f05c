#pragma once
// An open file addressed by a Windows path: read, write, seek, truncate, flush.
// Failures throw OsError with the Windows error code.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

enum class OpenMode {
  kRead,           // existing file, read only
  kReadWrite,      // existing file
  kCreate,         // create or truncate, read and write
  kCreateNew,      // fails when the file exists
};

class File {
 public:
  File() = default;
  static File Open(std::string_view windowsPath, OpenMode mode,
                   FileSystem& fs = DefaultFileSystem());
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool IsOpen() const noexcept { return fd_ >= 0; }
  std::size_t Read(std::span<std::byte> buffer);  // fewer bytes only at the end
  void Write(std::span<const std::byte> data);    // all or throw (disk full: kErrorDiskFull)
  void Seek(std::uint64_t offset);
  std::uint64_t Position() const;
  std::uint64_t Size() const;
  void Truncate(std::uint64_t size);
  void Flush();  // to the device (fsync)
  void Close();

 private:
  explicit File(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace platform
