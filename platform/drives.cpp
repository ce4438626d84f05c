#include "platform/drives.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <system_error>

#include "platform/block_device.h"
#include "platform/mount_table.h"
#include "platform/windows_path.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

constexpr std::array<std::string_view, 18> kNetworkTypes{
    "nfs",   "nfs4",       "cifs",        "smb3",        "smbfs",     "ncpfs",
    "9p",    "afs",        "ceph",        "glusterfs",   "lustre",    "davfs",
    "sshfs", "fuse.sshfs", "fuse.rclone", "fuse.davfs2", "fuse.s3fs", "fuse.glusterfs"};
constexpr std::array<std::string_view, 2> kRamTypes{"tmpfs", "ramfs"};
constexpr std::array<std::string_view, 2> kDiscTypes{"iso9660", "udf"};
// Kernel views with no storage behind them.
constexpr std::array<std::string_view, 21> kVirtualTypes{
    "proc",    "sysfs",   "devtmpfs",    "devpts",   "cgroup", "cgroup2",    "securityfs",
    "debugfs", "tracefs", "pstore",      "bpf",      "mqueue", "hugetlbfs",  "configfs",
    "fusectl", "autofs",  "binfmt_misc", "efivarfs", "nsfs",   "rpc_pipefs", "selinuxfs"};

template <std::size_t N>
bool OneOf(const std::array<std::string_view, N>& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// "\\server\share\..." and "\\?\UNC\server\share\...", which name no drive letter.
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsUncPath(std::string_view path) {
  if (path.size() < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
  if (path.size() >= 8 && path[2] == '?' && path.substr(4, 3) == "UNC" && IsSeparator(path[7])) {
    return true;
  }
  return path[2] != '?' && path[2] != '.';
}

}  // namespace

struct DriveInfo::Volume {
  bool mapped = false;  // the path's drive is mapped and its folder is there
  std::optional<MountEntry> mount;
  std::optional<std::string> device;  // kernel name of the mounted block device
};

std::vector<char> MapRemovableMedia(DriveMap& map, const SystemRoots& roots) {
  std::vector<char> added;
  const BlockDevices devices(roots.sys, roots.dev);
  for (const MountEntry& mount : ReadMountTable(roots.mounts)) {
    if (mount.mountPoint == "/") continue;
    const auto device = devices.FromSource(mount.source);
    if (!device) continue;
    const std::string disk = devices.DiskOf(*device);
    if (!devices.IsRemovable(disk) && !devices.IsOnUsb(*device)) continue;
    const fs::path folder = fs::path(mount.mountPoint).lexically_normal();
    bool mapped = false;
    std::vector<char> letters = map.Letters();
    for (const char letter : letters) mapped = mapped || map.HostFolderOf(letter) == folder;
    if (mapped) continue;
    char free = 0;
    for (char letter = 'D'; letter <= 'Y' && free == 0; ++letter) {
      if (std::find(letters.begin(), letters.end(), letter) == letters.end()) free = letter;
    }
    if (free == 0) break;
    map.Map(free, folder);
    added.push_back(free);
  }
  return added;
}

DriveInfo::DriveInfo(const FileSystem& fs, SystemRoots roots)
    : fs_(&fs), roots_(std::move(roots)) {}

std::vector<std::string> DriveInfo::LogicalDriveStrings() const {
  std::vector<std::string> roots;
  for (const char letter : fs_->Drives().Letters()) roots.push_back(std::string{letter, ':', '\\'});
  return roots;
}

// On Linux one letter may span many mounts (Z: is the whole host), so the answer is for
// the mount that holds the path itself, not only the drive's own folder.
DriveInfo::Volume DriveInfo::VolumeOf(std::string_view path) const {
  Volume volume;
  const auto parsed = ParseWindowsPath(path);
  if (!parsed) return volume;
  const auto root = fs_->Drives().HostFolderOf(parsed->drive);
  std::error_code ec;
  if (!root || !fs::is_directory(*root, ec)) return volume;
  volume.mapped = true;
  const auto host = fs_->ToHost(path);
  if (!host) return volume;
  const fs::path real = fs::weakly_canonical(*host, ec);
  if (ec) return volume;
  volume.mount = MountHolding(ReadMountTable(roots_.mounts), real);
  if (!volume.mount) return volume;
  const BlockDevices devices(roots_.sys, roots_.dev);
  volume.device = devices.FromSource(volume.mount->source);
  if (!volume.device && volume.mount->source.starts_with("/dev/")) {
    // "/dev/root" and the like name no node: ask by the mount point's device number.
    struct stat st {};
    if (::stat(volume.mount->mountPoint.c_str(), &st) == 0) {
      volume.device = devices.FromNumber(major(st.st_dev), minor(st.st_dev));
    }
  }
  return volume;
}

DriveType DriveInfo::TypeOf(std::string_view path) const {
  if (IsUncPath(path)) return DriveType::kRemote;
  const Volume volume = VolumeOf(path);
  if (!volume.mapped) return DriveType::kNoRootDir;
  if (!volume.mount) return DriveType::kUnknown;
  const std::string& type = volume.mount->type;
  if (OneOf(kNetworkTypes, type)) return DriveType::kRemote;
  if (OneOf(kRamTypes, type)) return DriveType::kRamDisk;
  if (OneOf(kVirtualTypes, type)) return DriveType::kUnknown;
  if (OneOf(kDiscTypes, type)) return DriveType::kCdRom;
  if (!volume.device) {
    // Local storage whose device we cannot name (overlay, ZFS): a fixed disk to the user.
    return type.starts_with("fuse") ? DriveType::kUnknown : DriveType::kFixed;
  }
  const BlockDevices devices(roots_.sys, roots_.dev);
  const std::string disk = devices.DiskOf(*volume.device);
  if (disk.starts_with("sr")) return DriveType::kCdRom;
  if (disk.starts_with("zram") || disk.starts_with("ram")) return DriveType::kRamDisk;
  if (devices.IsRemovable(disk)) return DriveType::kRemovable;
  return DriveType::kFixed;
}

std::optional<std::string> DriveInfo::VolumeLabel(std::string_view path) const {
  const Volume volume = VolumeOf(path);
  if (!volume.mapped || !volume.mount) return std::nullopt;
  if (!volume.device) return std::string();
  return BlockDevices(roots_.sys, roots_.dev).Label(*volume.device);
}

bool DriveInfo::IsOnUsbBus(std::string_view path) const {
  const Volume volume = VolumeOf(path);
  if (!volume.device) return false;
  return BlockDevices(roots_.sys, roots_.dev).IsOnUsb(*volume.device);
}

}  // namespace platform
