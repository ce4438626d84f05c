#pragma once
// Logical drives, their types and labels, and the USB-bus test, from the mount table and
// sysfs. Every root is injectable so tests build fake trees.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace platform {

enum class DriveType {
  kUnknown = 0,
  kNoRootDir = 1,
  kRemovable = 2,
  kFixed = 3,
  kRemote = 4,
  kCdRom = 5,
  kRamDisk = 6,
};

struct SystemRoots {
  std::filesystem::path sys = "/sys";
  std::filesystem::path mounts = "/proc/self/mounts";
  std::filesystem::path dev = "/dev";
};

// Gives each mounted volume on removable media or on the USB bus that no drive letter maps
// to yet (its mount point is no letter's folder) the first free letter from D: on, as
// Wine's mount manager does, so that a USB stick is "E:" and not a folder of Z:. The root
// file system is left to Z:. Returns the letters added, in the mount table's order.
std::vector<char> MapRemovableMedia(DriveMap& map, const SystemRoots& roots = {});

class DriveInfo {
 public:
  explicit DriveInfo(const FileSystem& fs = DefaultFileSystem(), SystemRoots roots = {});

  // The mapped letters in letter order as roots "C:\", "D:\".
  std::vector<std::string> LogicalDriveStrings() const;
  // Type of the drive holding a root or path ("E:", "E:\", "E:\dir\x"). One letter may
  // span several host mounts (Z: is the whole host), so the answer is for the mount that
  // holds the path: pass the full path when it matters which mount that is.
  DriveType TypeOf(std::string_view path) const;
  // Volume label from /dev/disk/by-label; nullopt when the volume information cannot be
  // read, "" for a volume without a label.
  std::optional<std::string> VolumeLabel(std::string_view path) const;
  // True when the path's block device sits below a USB controller in sysfs.
  bool IsOnUsbBus(std::string_view path) const;

 private:
  struct Volume;
  Volume VolumeOf(std::string_view path) const;

  const FileSystem* fs_;
  SystemRoots roots_;
};

}  // namespace platform
