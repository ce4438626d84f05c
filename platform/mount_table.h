#pragma once
// The host's mount table (/proc/self/mounts): which mount holds a path.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct MountEntry {
  std::string source;      // "/dev/sdb1", "//server/share", "tmpfs"
  std::string mountPoint;  // unescaped ("\040" is a space)
  std::string type;        // "vfat", "ext4", "cifs", "fuse.sshfs"
};

// One entry per well-formed line; malformed lines are passed over.
std::vector<MountEntry> ParseMountTable(std::string_view text);
std::vector<MountEntry> ReadMountTable(const std::filesystem::path& file);

// The mount with the longest mount point holding `hostPath` (an absolute path without
// symbolic links); of equal mount points the later one, which hides the earlier.
std::optional<MountEntry> MountHolding(const std::vector<MountEntry>& table,
                                       const std::filesystem::path& hostPath);

}  // namespace platform
