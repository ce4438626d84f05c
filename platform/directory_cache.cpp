#include "platform/directory_cache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "platform/case_fold.h"

namespace platform {
namespace {

// Beyond this many folders or names the cache starts again rather than grow without bound
// (resolving paths all over a drive reads every folder once).
constexpr std::size_t kMaxFolders = 8192;
constexpr std::size_t kMaxNames = 400'000;
// Time stamps move in clock ticks of a few milliseconds; a folder whose time has no
// fraction of a second probably keeps whole (or, on FAT, two) seconds.
constexpr long kFineTickNs = 20'000'000;
constexpr long kCoarseTickNs = 2'000'000'000;

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

long long Nanoseconds(const timespec& t) {
  return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

}  // namespace

bool DirectoryCache::TakeStamp(const std::string& folder, Stamp& out) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  out.mtime = st.st_mtim;
  out.ctime = st.st_ctim;
  out.inode = st.st_ino;
  clock_gettime(CLOCK_REALTIME, &out.listedAt);
  return true;
}

bool DirectoryCache::Unchanged(const std::string& folder, const Stamp& stamp) {
  Stamp now;
  if (!TakeStamp(folder, now)) return false;
  return SameTime(now.mtime, stamp.mtime) && SameTime(now.ctime, stamp.ctime) &&
         now.inode == stamp.inode;
}

bool DirectoryCache::Settled(const Stamp& stamp) {
  const long tick = (stamp.mtime.tv_nsec == 0 && stamp.ctime.tv_nsec == 0) ? kCoarseTickNs
                                                                          : kFineTickNs;
  const long long changed = std::max(Nanoseconds(stamp.mtime), Nanoseconds(stamp.ctime));
  return changed + tick < Nanoseconds(stamp.listedAt);
}

// After a change of our own: the listing has been patched, so the folder's new time
// stamp describes it (a change by someone else in the same instant is caught only by the
// exact-name check, or when the folder changes again).
void DirectoryCache::Restamp(const std::string& folder, Listing& listing) {
  Stamp now;
  if (!TakeStamp(folder, now)) {
    listings_.erase(folder);
    return;
  }
  now.listedAt = listing.stamp.listedAt;
  listing.stamp = now;
}

void DirectoryCache::Index(Listing& listing, const std::string& name) {
  std::string folded = FoldCase(name);
  auto [it, inserted] = listing.byFolded.try_emplace(std::move(folded), name);
  if (!inserted) {
    listing.foldCollisions = true;
    if (name < it->second) it->second = name;
  }
}

DirectoryCache::Listing* DirectoryCache::ReadLocked(const std::string& folder) {
  Stamp stamp;
  if (!TakeStamp(folder, stamp)) {
    listings_.erase(folder);
    return nullptr;
  }
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    listings_.erase(folder);
    return nullptr;
  }
  ++listingsRead_;
  if (namesHeld_ >= kMaxNames ||
      (listings_.size() >= kMaxFolders && listings_.find(folder) == listings_.end())) {
    listings_.clear();
    namesHeld_ = 0;
  }
  Listing& listing = listings_[folder];
  listing = Listing{};
  listing.stamp = stamp;
  listing.settled = Settled(stamp);
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    listing.names.emplace(name);
    Index(listing, name);
  }
  ::closedir(dir);
  namesHeld_ += listing.names.size();
  return &listing;
}

std::string DirectoryCache::FindIn(const Listing& listing, std::string_view name) {
  if (listing.names.find(name) != listing.names.end()) return std::string(name);
  const auto it = listing.byFolded.find(FoldCase(name));
  return it == listing.byFolded.end() ? std::string() : it->second;
}

DirectoryCache::Lookup DirectoryCache::Find(const std::string& folder, std::string_view name,
                                            bool revalidate) {
  std::lock_guard lock(mutex_);
  Listing* listing = nullptr;
  bool fresh = false;
  if (const auto it = listings_.find(folder); it != listings_.end()) {
    listing = &it->second;
    if (revalidate && (!listing->settled || !Unchanged(folder, listing->stamp))) {
      listing = nullptr;
    }
  }
  if (listing == nullptr) {
    listing = ReadLocked(folder);
    if (listing == nullptr) return {Outcome::kUnlistable, {}};
    fresh = true;
  }
  std::string found = FindIn(*listing, name);
  if (found.empty() && !fresh) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    // An unsettled listing is read again, but at most once a clock tick, so that a
    // folder we keep changing is not read for every name.
    const bool retry = !listing->settled &&
                       Nanoseconds(listing->stamp.listedAt) + kFineTickNs < Nanoseconds(now);
    if (retry || !Unchanged(folder, listing->stamp)) {
      listing = ReadLocked(folder);
      if (listing == nullptr) return {Outcome::kUnlistable, {}};
      found = FindIn(*listing, name);
    } else {
      // Folder times that move in whole seconds can hide a change: the exact name is
      // still asked for (and, on a file system that ignores case, any spelling of it).
      struct stat st {};
      const std::string path = folder + (folder.ends_with('/') ? "" : "/") + std::string(name);
      if (::lstat(path.c_str(), &st) == 0) {
        const std::string added(name);
        listing->names.insert(added);
        Index(*listing, added);
        found = added;
      }
    }
  }
  if (found.empty()) return {Outcome::kMissing, {}};
  return {Outcome::kFound, std::move(found)};
}

void DirectoryCache::Added(const std::string& folder, const std::string& name) {
  std::lock_guard lock(mutex_);
  const auto it = listings_.find(folder);
  if (it == listings_.end()) return;
  if (it->second.names.insert(name).second) Index(it->second, name);
  Restamp(folder, it->second);
}

void DirectoryCache::Removed(const std::string& folder, const std::string& name) {
  std::lock_guard lock(mutex_);
  const auto it = listings_.find(folder);
  if (it == listings_.end()) return;
  Listing& listing = it->second;
  if (listing.names.erase(name) != 0) {
    const std::string folded = FoldCase(name);
    const auto byFolded = listing.byFolded.find(folded);
    if (byFolded != listing.byFolded.end() && byFolded->second == name) {
      listing.byFolded.erase(byFolded);
      // Another name of the same folding may remain and must now answer for it.
      if (listing.foldCollisions) {
        for (const auto& other : listing.names) {
          if (FoldCase(other) == folded) Index(listing, other);
        }
      }
    }
  }
  Restamp(folder, listing);
}

void DirectoryCache::Forget(const std::string& folder) {
  std::lock_guard lock(mutex_);
  const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
  for (auto it = listings_.begin(); it != listings_.end();) {
    if (it->first == folder || it->first.starts_with(prefix)) {
      it = listings_.erase(it);
    } else {
      ++it;
    }
  }
}

void DirectoryCache::Clear() {
  std::lock_guard lock(mutex_);
  listings_.clear();
  namesHeld_ = 0;
}

std::size_t DirectoryCache::ListingsRead() const {
  std::lock_guard lock(mutex_);
  return listingsRead_;
}

}  // namespace platform
