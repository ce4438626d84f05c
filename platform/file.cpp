#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/host_file.h"
#include "platform/win_error.h"

namespace platform {
namespace {

[[noreturn]] void Throw(const std::string& what, int err) {
  throw OsError(what + ": " + std::strerror(err), WinErrorFromErrno(err), err);
}

[[noreturn]] void ThrowClosed() {
  throw OsError("The file is not open", kErrorInvalidHandle, EBADF);
}

}  // namespace

File File::Open(std::string_view windowsPath, OpenMode mode, FileSystem& fs) {
  const std::string shown(windowsPath);
  const auto host = fs.ToHost(windowsPath);
  if (!host) {
    throw OsError("Cannot open \"" + shown + "\": the path has no drive on this computer",
                  fs.LastError() == kErrorSuccess ? kErrorPathNotFound : fs.LastError());
  }
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::kRead: flags |= O_RDONLY; break;
    case OpenMode::kReadWrite: flags |= O_RDWR; break;
    case OpenMode::kCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case OpenMode::kCreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
  }
  int fd = -1;
  do {
    fd = ::open(host->c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    const int err = errno;
    std::uint32_t code = WinErrorFromErrno(err);
    if (err == ENOENT && !std::filesystem::is_directory(host->parent_path())) {
      code = kErrorPathNotFound;
    }
    if (err == EEXIST) code = kErrorFileExists;
    if (err == EISDIR) code = kErrorAccessDenied;
    throw OsError("Cannot open \"" + shown + "\": " + std::strerror(err), code, err);
  }
  File file(fd);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    throw OsError("Cannot open \"" + shown + "\": it is a folder", kErrorAccessDenied, EISDIR);
  }
  if (mode == OpenMode::kCreate || mode == OpenMode::kCreateNew) fs.NoteCreated(*host);
  return file;
}

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

File::File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

std::size_t File::Read(std::span<std::byte> buffer) {
  if (fd_ < 0) ThrowClosed();
  const long long n = detail::ReadFull(fd_, buffer.data(), buffer.size());
  if (n < 0) Throw("Read failed", errno);
  return static_cast<std::size_t>(n);
}

void File::Write(std::span<const std::byte> data) {
  if (fd_ < 0) ThrowClosed();
  if (const int err = detail::WriteAll(fd_, data.data(), data.size())) Throw("Write failed", err);
}

void File::Seek(std::uint64_t offset) {
  if (fd_ < 0) ThrowClosed();
  if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
    throw OsError("Seek beyond the largest file offset", kErrorInvalidParameter, EINVAL);
  }
  if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) Throw("Seek failed", errno);
}

std::uint64_t File::Position() const {
  if (fd_ < 0) ThrowClosed();
  const off_t at = ::lseek(fd_, 0, SEEK_CUR);
  if (at < 0) Throw("Cannot tell the file position", errno);
  return static_cast<std::uint64_t>(at);
}

std::uint64_t File::Size() const {
  if (fd_ < 0) ThrowClosed();
  struct stat st {};
  if (::fstat(fd_, &st) != 0) Throw("Cannot tell the file size", errno);
  return static_cast<std::uint64_t>(st.st_size);
}

void File::Truncate(std::uint64_t size) {
  if (fd_ < 0) ThrowClosed();
  if (size > static_cast<std::uint64_t>(INT64_MAX)) {
    throw OsError("Size beyond the largest file offset", kErrorInvalidParameter, EINVAL);
  }
  int rc = 0;
  do {
    rc = ::ftruncate(fd_, static_cast<off_t>(size));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) Throw("Cannot set the file size", errno);
}

void File::Flush() {
  if (fd_ < 0) ThrowClosed();
  if (::fsync(fd_) != 0) Throw("Cannot write the file to the device", errno);
}

void File::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  // Some file systems (NFS, FUSE) report a failed write only here.
  if (::close(fd) != 0 && errno != EINTR) Throw("Closing the file failed", errno);
}

}  // namespace platform
