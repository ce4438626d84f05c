#include "platform/host_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/win_error.h"

namespace platform::detail {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd);
  }

 private:
  int fd_;
};

// A temporary file removed again unless it was renamed into place.
class Temporary {
 public:
  explicit Temporary(std::string path) : path_(std::move(path)) {}
  ~Temporary() {
    if (!kept_) ::unlink(path_.c_str());
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

std::uint32_t ErrorOf(int err) { return WinErrorFromErrno(err); }

// The new name's directory entry, on its way to the device too; a failure here changes
// nothing the caller could act on.
void SyncFolder(const std::string& folder) {
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) (void)::fsync(dir.get());
}

}  // namespace

int WriteAll(int fd, const std::byte* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return ENOSPC;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

long long ReadFull(int fd, std::byte* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<long long>(done);
}

std::uint32_t CopyThroughTemporary(const std::string& source, const struct stat& sourceStat,
                                   const std::string& folder, const std::string& name,
                                   bool failIfExists) {
  Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return ErrorOf(errno);
  std::string pattern = folder;
  if (pattern.empty() || pattern.back() != '/') pattern += '/';
  pattern += ".kwcopy-XXXXXX";
  Descriptor out(::mkostemp(pattern.data(), O_CLOEXEC));
  if (out.get() < 0) return errno == ENOENT || errno == ENOTDIR ? kErrorPathNotFound
                                                                : ErrorOf(errno);
  Temporary temporary(pattern);

  std::vector<std::byte> buffer(1 << 18);
  for (;;) {
    const long long n = ReadFull(in.get(), buffer.data(), buffer.size());
    if (n < 0) return ErrorOf(errno);
    if (n == 0) break;
    if (const int err = WriteAll(out.get(), buffer.data(), static_cast<std::size_t>(n))) {
      return ErrorOf(err);
    }
  }
  if (::fchmod(out.get(), sourceStat.st_mode & 07777) != 0) return ErrorOf(errno);
  const std::array<timespec, 2> times{sourceStat.st_atim, sourceStat.st_mtim};
  if (::futimens(out.get(), times.data()) != 0) return ErrorOf(errno);
  // Windows writes through to removable drives (quick removal), so a copy is on the stick
  // when the call returns; here that takes a flush. It also keeps a crash right after the
  // rename from leaving an empty file where the old one was (FAT keeps no journal).
  if (::fsync(out.get()) != 0) return ErrorOf(errno);
  if (out.Close() != 0) return ErrorOf(errno);

  const std::string target = folder + (folder.back() == '/' ? "" : "/") + name;
  if (failIfExists) {
    if (::renameat2(AT_FDCWD, temporary.path().c_str(), AT_FDCWD, target.c_str(),
                    RENAME_NOREPLACE) != 0) {
      const int err = errno;
      if (err == EEXIST) return kErrorFileExists;
      if (err != EINVAL && err != ENOSYS) return ErrorOf(err);
      // The file system cannot refuse for us: a hard link fails on an existing name.
      if (::link(temporary.path().c_str(), target.c_str()) == 0) {
        SyncFolder(folder);
        return kErrorSuccess;  // the temporary goes, the link stays
      }
      if (errno == EEXIST) return kErrorFileExists;
      // Nor hard links (FAT): check, then rename; a race here can only replace a file
      // made in the same instant.
      struct stat st {};
      if (::lstat(target.c_str(), &st) == 0) return kErrorFileExists;
      if (::rename(temporary.path().c_str(), target.c_str()) != 0) return ErrorOf(errno);
    }
  } else if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
    return ErrorOf(errno);
  }
  temporary.Keep();
  SyncFolder(folder);
  return kErrorSuccess;
}

}  // namespace platform::detail
