#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>  // rename
#include <cstring>

#include "platform/directory_cache.h"
#include "platform/file_time.h"
#include "platform/host_file.h"
#include "platform/win_error.h"
#include "platform/wildcard.h"
#include "platform/windows_path.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

constexpr std::uint32_t kErrorNotSameDevice = 17;
constexpr std::uint32_t kErrorDirectoryName = 267;  // "the directory name is invalid"

std::string ParentOf(const std::string& host) {
  const auto slash = host.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return host.substr(0, slash);
}

std::string NameOf(const std::string& host) {
  const auto slash = host.find_last_of('/');
  return slash == std::string::npos ? host : host.substr(slash + 1);
}

std::string Join(const std::string& folder, std::string_view name) {
  std::string out = folder;
  if (out.empty() || out.back() != '/') out += '/';
  out += name;
  return out;
}

bool IsDirectory(const std::string& host) {
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ENOENT means "file not found" when the folder exists and "path not found" when not.
std::uint32_t ErrorForMissing(int err, const std::string& host) {
  if (err == ENOENT && !IsDirectory(ParentOf(host))) return kErrorPathNotFound;
  return WinErrorFromErrno(err);
}

// `st` describes what a link leads to, when it leads anywhere.
FileInfo InfoFromStat(std::string name, const struct stat& st, bool dotEntry, bool link = false) {
  FileInfo info;
  const bool directory = S_ISDIR(st.st_mode);
  info.attributes = directory ? kAttrDirectory : kAttrArchive;
  if (link || S_ISLNK(st.st_mode)) info.attributes |= kAttrReparsePoint;
  if ((st.st_mode & S_IWUSR) == 0) info.attributes |= kAttrReadOnly;
  if (!dotEntry && !name.empty() && name.front() == '.') info.attributes |= kAttrHidden;
  info.size = directory || S_ISLNK(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  info.lastWriteTime = detail::LocalDateTimeFromTimespec(st.st_mtim);
  info.name = std::move(name);
  return info;
}

}  // namespace

struct FileSystem::Impl {
  explicit Impl(DriveMap m) : map(std::move(m)) {}

  struct Resolved {
    std::string host;
    bool isRoot = false;   // the drive's own folder
    // A listing showed this component missing (its folder exists, the name does not):
    // the answer is known without asking the host again.
    std::optional<std::size_t> knownMissing;
    std::size_t components = 0;
  };

  std::optional<Resolved> Resolve(std::string_view windowsPath, bool revalidate = false) {
    const auto parsed = ParseWindowsPath(windowsPath);
    if (!parsed) {
      lastError = kErrorInvalidName;
      return std::nullopt;
    }
    const auto root = map.HostFolderOf(parsed->drive);
    if (!root) {
      lastError = kErrorPathNotFound;
      return std::nullopt;
    }
    Resolved out;
    out.host = root->native();
    if (out.host.size() > 1 && out.host.back() == '/') out.host.pop_back();
    out.isRoot = parsed->components.empty();
    out.components = parsed->components.size();
    bool existing = true;
    for (std::size_t i = 0; i < parsed->components.size(); ++i) {
      const std::string& part = parsed->components[i];
      if (existing) {
        auto found = cache.Find(out.host, part, revalidate);
        if (found.outcome == DirectoryCache::Outcome::kFound) {
          out.host = Join(out.host, found.name);
          continue;
        }
        // A folder that cannot be read may be one a stale listing named: look again once.
        if (found.outcome == DirectoryCache::Outcome::kUnlistable && !revalidate) {
          return Resolve(windowsPath, true);
        }
        // A folder we may enter but not list still lets exact names through.
        if (found.outcome == DirectoryCache::Outcome::kMissing) {
          existing = false;
          out.knownMissing = i;
        }
      }
      out.host = Join(out.host, part);
    }
    return out;
  }

  // Resolves and stats; a listing that named an entry since removed is read again.
  std::optional<Resolved> ResolveExisting(std::string_view windowsPath, struct stat& st,
                                          bool followLinks = true) {
    auto resolved = Resolve(windowsPath);
    if (!resolved) return std::nullopt;
    if (resolved->knownMissing) {
      lastError = *resolved->knownMissing + 1 == resolved->components ? kErrorFileNotFound
                                                                      : kErrorPathNotFound;
      return std::nullopt;
    }
    auto statFn = followLinks ? ::stat : ::lstat;
    if (statFn(resolved->host.c_str(), &st) == 0) return resolved;
    int err = errno;
    // A listing on the way may be stale (a folder renamed or replaced behind our back).
    if ((err == ENOENT || err == ENOTDIR) && resolved->components > 0) {
      resolved = Resolve(windowsPath, true);
      if (!resolved) return std::nullopt;
      if (statFn(resolved->host.c_str(), &st) == 0) return resolved;
      err = errno;
    }
    lastError = ErrorForMissing(err, resolved->host);
    return std::nullopt;
  }

  bool Fail(std::uint32_t code) {
    lastError = code;
    return false;
  }

  bool FailErrno(int err, const std::string& host) {
    lastError = ErrorForMissing(err, host);
    return false;
  }

  DriveMap map;
  DirectoryCache cache;
  std::uint32_t lastError = 0;
};

FileSystem::FileSystem(DriveMap map) : impl_(std::make_unique<Impl>(std::move(map))) {}
FileSystem::~FileSystem() = default;
FileSystem::FileSystem(FileSystem&&) noexcept = default;
FileSystem& FileSystem::operator=(FileSystem&&) noexcept = default;

const DriveMap& FileSystem::Drives() const { return impl_->map; }

std::optional<fs::path> FileSystem::ToHost(std::string_view windowsPath) const {
  auto resolved = impl_->Resolve(windowsPath);
  if (!resolved) return std::nullopt;
  return fs::path(std::move(resolved->host));
}

std::optional<std::string> FileSystem::ToWindows(const fs::path& host) const {
  return impl_->map.ToWindows(host);
}

bool FileSystem::FileExists(std::string_view path) const {
  struct stat st {};
  return impl_->ResolveExisting(path, st) && !S_ISDIR(st.st_mode);
}

bool FileSystem::DirectoryExists(std::string_view path) const {
  struct stat st {};
  return impl_->ResolveExisting(path, st) && S_ISDIR(st.st_mode);
}

std::optional<FileInfo> FileSystem::Stat(std::string_view path) const {
  struct stat st {};
  const auto resolved = impl_->ResolveExisting(path, st);
  if (!resolved) return std::nullopt;
  struct stat own {};
  const bool link = ::lstat(resolved->host.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
  return InfoFromStat(resolved->isRoot ? std::string() : NameOf(resolved->host), st, false, link);
}

std::vector<FileInfo> FileSystem::FindFiles(std::string_view pattern) const {
  std::vector<FileInfo> found;
  auto slash = pattern.find_last_of("\\/");
  std::string_view folderText;
  std::string_view namePattern;
  if (slash != std::string_view::npos) {
    folderText = pattern.substr(0, slash + 1);
    namePattern = pattern.substr(slash + 1);
  } else if (pattern.size() >= 2 && pattern[1] == ':') {
    folderText = pattern.substr(0, 2);
    namePattern = pattern.substr(2);
  } else {
    impl_->lastError = kErrorInvalidName;
    return found;
  }
  if (namePattern.empty()) {
    impl_->lastError = kErrorFileNotFound;
    return found;
  }
  struct stat folderStat {};
  const auto folder = impl_->ResolveExisting(folderText, folderStat);
  if (!folder) {
    impl_->lastError = kErrorPathNotFound;
    return found;
  }
  if (!S_ISDIR(folderStat.st_mode)) {
    impl_->lastError = kErrorPathNotFound;
    return found;
  }
  DIR* dir = ::opendir(folder->host.c_str());
  if (dir == nullptr) {
    impl_->lastError = WinErrorFromErrno(errno);
    return found;
  }
  const WildcardPattern matcher(namePattern);
  // A drive's root has no "." and ".." entries; every other folder lists them first.
  if (!folder->isRoot) {
    if (matcher.Matches(".")) found.push_back(InfoFromStat(".", folderStat, true));
    struct stat parentStat {};
    if (matcher.Matches("..") && ::stat(ParentOf(folder->host).c_str(), &parentStat) == 0) {
      found.push_back(InfoFromStat("..", parentStat, true));
    }
  }
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (!matcher.Matches(name)) continue;
    struct stat st {};
    bool link = entry->d_type == DT_LNK;
    if (entry->d_type == DT_UNKNOWN && ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
      link = S_ISLNK(st.st_mode);
    }
    if (::fstatat(dirFd, name, &st, 0) != 0 &&
        ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      continue;  // removed while we were listing
    }
    found.push_back(InfoFromStat(name, st, false, link));
  }
  ::closedir(dir);
  impl_->lastError = found.empty() ? kErrorFileNotFound : kErrorSuccess;
  return found;
}

bool FileSystem::CopyFile(std::string_view from, std::string_view to, bool failIfExists) {
  Impl& im = *impl_;
  struct stat src {};
  const auto source = im.ResolveExisting(from, src);
  if (!source) return false;
  if (S_ISDIR(src.st_mode)) return im.Fail(kErrorAccessDenied);
  const auto target = im.Resolve(to);
  if (!target) return false;
  if (target->isRoot) return im.Fail(kErrorAccessDenied);
  struct stat dst {};
  const bool replacing = ::stat(target->host.c_str(), &dst) == 0;
  if (replacing) {
    if (failIfExists) return im.Fail(kErrorFileExists);
    // Windows refuses to overwrite a directory or a read-only file.
    if (S_ISDIR(dst.st_mode) || (dst.st_mode & S_IWUSR) == 0) return im.Fail(kErrorAccessDenied);
  }
  const std::string folder = ParentOf(target->host);
  const std::string name = NameOf(target->host);
  const auto result = detail::CopyThroughTemporary(source->host, src, folder, name,
                                                   failIfExists);
  if (result != 0) return im.Fail(result);
  im.cache.Added(folder, name);
  im.lastError = kErrorSuccess;
  return true;
}

bool FileSystem::MoveFile(std::string_view from, std::string_view to) {
  Impl& im = *impl_;
  struct stat src {};
  const auto source = im.ResolveExisting(from, src, false);
  if (!source) return false;
  if (source->isRoot) return im.Fail(kErrorAccessDenied);
  auto target = im.Resolve(to);
  if (!target) return false;
  if (target->isRoot) return im.Fail(kErrorAccessDenied);
  struct stat dst {};
  if (::lstat(target->host.c_str(), &dst) == 0) {
    if (target->host == source->host) {
      // The same entry named with other letter case: the new spelling is the point.
      const auto parsed = ParseWindowsPath(to);
      target->host = Join(ParentOf(source->host), parsed->components.back());
      if (target->host == source->host) return true;
    } else if (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) {
      return im.Fail(kErrorAlreadyExists);  // another link to the same file
    } else if (S_ISDIR(src.st_mode)) {
      return im.Fail(kErrorAlreadyExists);
    } else if (S_ISDIR(dst.st_mode)) {
      return im.Fail(kErrorAccessDenied);
    }
  }
  if (::rename(source->host.c_str(), target->host.c_str()) != 0) {
    const int err = errno;
    if (err != EXDEV) return im.FailErrno(err, target->host);
    if (S_ISDIR(src.st_mode)) return im.Fail(kErrorNotSameDevice);
    // Another volume: copy, then remove the original, as Windows does for a file.
    if (!CopyFile(from, to, false)) return false;
    if (::unlink(source->host.c_str()) != 0) return im.FailErrno(errno, source->host);
  }
  im.cache.Removed(ParentOf(source->host), NameOf(source->host));
  if (S_ISDIR(src.st_mode)) im.cache.Forget(source->host);
  im.cache.Added(ParentOf(target->host), NameOf(target->host));
  im.lastError = kErrorSuccess;
  return true;
}

bool FileSystem::DeleteFile(std::string_view path) {
  Impl& im = *impl_;
  struct stat st {};
  const auto resolved = im.ResolveExisting(path, st, false);
  if (!resolved) return false;
  if (S_ISDIR(st.st_mode)) return im.Fail(kErrorAccessDenied);
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return im.Fail(kErrorAccessDenied);
  if (::unlink(resolved->host.c_str()) != 0) return im.FailErrno(errno, resolved->host);
  im.cache.Removed(ParentOf(resolved->host), NameOf(resolved->host));
  im.lastError = kErrorSuccess;
  return true;
}

bool FileSystem::CreateDirectories(std::string_view path) {
  Impl& im = *impl_;
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return im.Fail(kErrorInvalidName);
  const auto root = im.map.HostFolderOf(parsed->drive);
  if (!root) return im.Fail(kErrorPathNotFound);
  std::string current = root->native();
  if (current.size() > 1 && current.back() == '/') current.pop_back();
  if (!IsDirectory(current)) return im.Fail(kErrorPathNotFound);
  for (const auto& part : parsed->components) {
    const auto found = im.cache.Find(current, part);
    if (found.outcome == DirectoryCache::Outcome::kFound) {
      current = Join(current, found.name);
      continue;
    }
    const std::string next = Join(current, part);
    if (::mkdir(next.c_str(), 0777) != 0) {
      const int err = errno;
      if (err != EEXIST) return im.FailErrno(err, next);
    } else {
      im.cache.Added(current, part);
    }
    current = next;
  }
  struct stat st {};
  if (::stat(current.c_str(), &st) != 0) return im.FailErrno(errno, current);
  if (!S_ISDIR(st.st_mode)) return im.Fail(kErrorAlreadyExists);
  im.lastError = kErrorSuccess;
  return true;
}

bool FileSystem::RemoveDirectory(std::string_view path) {
  Impl& im = *impl_;
  struct stat st {};
  const auto resolved = im.ResolveExisting(path, st, false);
  if (!resolved) return false;
  if (!S_ISDIR(st.st_mode)) return im.Fail(kErrorDirectoryName);
  if (resolved->isRoot) return im.Fail(kErrorAccessDenied);
  if (::rmdir(resolved->host.c_str()) != 0) {
    const int err = errno;
    return im.Fail(err == EEXIST ? kErrorDirNotEmpty : WinErrorFromErrno(err));
  }
  im.cache.Removed(ParentOf(resolved->host), NameOf(resolved->host));
  im.cache.Forget(resolved->host);
  im.lastError = kErrorSuccess;
  return true;
}

bool FileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
  Impl& im = *impl_;
  struct stat st {};
  const auto resolved = im.ResolveExisting(path, st);
  if (!resolved) return false;
  // Only read-only has a host form; hidden follows the name and the rest has none.
  mode_t mode = st.st_mode & 07777;
  if ((attributes & kAttrReadOnly) != 0) {
    mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
  } else if ((mode & S_IWUSR) == 0) {
    mode |= S_IWUSR;
  }
  if (mode != (st.st_mode & 07777) && ::chmod(resolved->host.c_str(), mode) != 0) {
    return im.FailErrno(errno, resolved->host);
  }
  im.lastError = kErrorSuccess;
  return true;
}

bool FileSystem::SetLastWriteTime(std::string_view path, TDateTime localTime) {
  Impl& im = *impl_;
  struct stat st {};
  const auto resolved = im.ResolveExisting(path, st);
  if (!resolved) return false;
  const std::array<timespec, 2> times{timespec{0, UTIME_OMIT},
                                      detail::TimespecFromLocalDateTime(localTime)};
  if (::utimensat(AT_FDCWD, resolved->host.c_str(), times.data(), 0) != 0) {
    return im.FailErrno(errno, resolved->host);
  }
  im.lastError = kErrorSuccess;
  return true;
}

std::optional<DiskSpace> FileSystem::FreeSpace(std::string_view path) const {
  const auto resolved = impl_->Resolve(path);
  if (!resolved) return std::nullopt;
  // The volume of the nearest folder that exists, as for a path not made yet.
  std::string host = resolved->host;
  struct statvfs vfs {};
  while (::statvfs(host.c_str(), &vfs) != 0) {
    if (errno != ENOENT || host == "/" || host.empty()) {
      impl_->lastError = WinErrorFromErrno(errno);
      return std::nullopt;
    }
    host = ParentOf(host);
  }
  DiskSpace space;
  space.freeBytes = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  space.totalBytes = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
  impl_->lastError = kErrorSuccess;
  return space;
}

std::uint32_t FileSystem::LastError() const { return impl_->lastError; }

void FileSystem::InvalidateCache() const { impl_->cache.Clear(); }

void FileSystem::ForgetFolder(const fs::path& hostFolder) const {
  impl_->cache.Forget(hostFolder.native());
}

void FileSystem::NoteCreated(const fs::path& hostPath) const {
  impl_->cache.Added(ParentOf(hostPath.native()), NameOf(hostPath.native()));
}

std::size_t FileSystem::DirectoryListingsRead() const { return impl_->cache.ListingsRead(); }

namespace {
FileSystem* g_override = nullptr;
}  // namespace

FileSystem& DefaultFileSystem() {
  if (g_override != nullptr) return *g_override;
  static FileSystem instance(DriveMap::FromEnvironment());
  return instance;
}

ScopedDefaultFileSystem::ScopedDefaultFileSystem(FileSystem& replacement)
    : previous_(g_override) {
  g_override = &replacement;
}

ScopedDefaultFileSystem::~ScopedDefaultFileSystem() { g_override = previous_; }

}  // namespace platform
