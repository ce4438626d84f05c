#pragma once
// Listings of host folders, kept so that resolving many Windows paths case-insensitively
// costs about one listing per folder. A name that a listing lacks is checked against the
// folder's change time (and looked up by its exact spelling) before the answer "missing"
// is given, so files made behind our back are still found; our own changes are applied
// to the listing directly. A listing read in the same clock tick as the folder's last
// change may have missed a second change in that tick: such a listing is read again at
// its next miss.
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform {

class DirectoryCache {
 public:
  enum class Outcome { kFound, kMissing, kUnlistable };
  struct Lookup {
    Outcome outcome = Outcome::kMissing;
    std::string name;  // the entry's actual name when found
  };

  // The entry of `folder` named `name`: the exact name first, else one equal ignoring case
  // (the smallest such name in byte order when several are). With `revalidate`, a cached
  // listing is checked against the folder's change time even when it has the name.
  Lookup Find(const std::string& folder, std::string_view name, bool revalidate = false);

  void Added(const std::string& folder, const std::string& name);
  void Removed(const std::string& folder, const std::string& name);
  void Forget(const std::string& folder);  // the folder and every folder below it
  void Clear();

  std::size_t ListingsRead() const;  // how many times a folder was read, for measurements

 private:
  struct Stamp {
    timespec mtime{};
    timespec ctime{};
    unsigned long long inode = 0;
    timespec listedAt{};  // when the listing was read
  };

  // Lets the sets be searched with a string_view, without building a string first.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
      return std::hash<std::string_view>{}(s);
    }
  };
  using NameSet = std::unordered_set<std::string, NameHash, std::equal_to<>>;
  using FoldMap = std::unordered_map<std::string, std::string, NameHash, std::equal_to<>>;

  struct Listing {
    Stamp stamp;
    bool settled = false;  // read after the folder's time stamp could still move
    NameSet names;
    FoldMap byFolded;  // folded name -> actual name
    bool foldCollisions = false;
  };

  Listing* ReadLocked(const std::string& folder);
  static void Index(Listing& listing, const std::string& name);
  static bool TakeStamp(const std::string& folder, Stamp& out);
  static bool Unchanged(const std::string& folder, const Stamp& stamp);
  static bool Settled(const Stamp& stamp);
  void Restamp(const std::string& folder, Listing& listing);
  static std::string FindIn(const Listing& listing, std::string_view name);

  mutable std::mutex mutex_;
  std::unordered_map<std::string, Listing> listings_;
  std::size_t listingsRead_ = 0;
  std::size_t namesHeld_ = 0;  // names read since the last clearing, an upper bound
};

}  // namespace platform
