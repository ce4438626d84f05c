// Reading and writing INI files on host paths with POSIX calls.
#include "platform/ini_host.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>

namespace platform {
namespace {

// Files are opened with O_NONBLOCK so that a FIFO in a file's place cannot hang the
// program; it is then refused as not a regular file.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool Close() {  // reports the close error, which is where some writes fail
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Appends up to `want` bytes; false on a read error. `atEnd` set at end of file.
bool ReadMore(int fd, std::string& buffer, std::size_t want, bool& atEnd) {
  const std::size_t old = buffer.size();
  buffer.resize(old + want);
  std::size_t got = 0;
  while (got < want) {
    const ssize_t n = ::read(fd, buffer.data() + old + got, want - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      buffer.resize(old + got);
      return false;
    }
    if (n == 0) {
      atEnd = true;
      break;
    }
    got += static_cast<std::size_t>(n);
  }
  buffer.resize(old + got);
  return true;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void CheckComplete(const IniDocument& doc) {
  if (doc.IsPartial()) {
    throw std::logic_error("An INI text read up to one section cannot be saved");
  }
}

}  // namespace

IniDocument LoadIni(const std::filesystem::path& host, bool* unreadable) {
  bool failed = false;
  IniDocument doc;
  Fd fd(::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (fd.get() < 0) {
    failed = errno != ENOENT && errno != ENOTDIR;
  } else if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    failed = true;
  } else {
    std::string bytes;
    bool atEnd = false;
    // The size is a hint only: the loop reads to the end whatever it is now.
    std::size_t chunk = static_cast<std::size_t>(st.st_size) + 1;
    while (!atEnd && !failed) {
      failed = !ReadMore(fd.get(), bytes, chunk, atEnd);
      chunk = 64 * 1024;
    }
    if (!failed) doc = IniDocument::Parse(bytes);
  }
  if (unreadable != nullptr) *unreadable = failed;
  return doc;
}

IniDocument LoadIniSection(const std::filesystem::path& host, std::string_view section) {
  Fd fd(::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return {};
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  std::string bytes;
  bool atEnd = false;
  // A descriptor's [Ogolne] section fits in the first piece; the pieces double so that a
  // section that does not end early costs linear time.
  std::size_t chunk = 4096;
  for (;;) {
    if (!ReadMore(fd.get(), bytes, chunk, atEnd)) return {};
    bool complete = false;
    IniDocument doc = IniDocument::ParseSection(bytes, section, atEnd, complete);
    if (complete) return doc;
    chunk = bytes.size();
  }
}

bool SaveIni(const std::filesystem::path& host, const IniDocument& doc) {
  CheckComplete(doc);
  const std::string bytes = doc.Serialize();
  Fd fd(::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666));
  if (fd.get() < 0) return false;
  if (!WriteAll(fd.get(), bytes)) return false;
  return fd.Close();
}

bool SaveIniAtomically(const std::filesystem::path& host, const IniDocument& doc) {
  CheckComplete(doc);
  const std::string bytes = doc.Serialize();
  std::string temp = host.string() + ".tmpXXXXXX";
  Fd fd(::mkstemp(temp.data()));
  if (fd.get() < 0) return false;
  bool ok = WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  if (ok) {
    // mkstemp makes the file private; give it the target's mode, or the usual one.
    struct stat st {};
    const mode_t mode = ::stat(host.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    ok = ::fchmod(fd.get(), mode) == 0;
  }
  ok = fd.Close() && ok;
  ok = ok && ::rename(temp.c_str(), host.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the device with the folder's entry.
  const std::filesystem::path parent = host.has_parent_path() ? host.parent_path() : ".";
  Fd dir(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return true;
}

}  // namespace platform
