#pragma once
// What sysfs and /dev tell about a block device: its whole disk, the removable flag, the
// bus it hangs on, its volume label. The roots are given so that tests use fake trees.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class BlockDevices {
 public:
  BlockDevices(std::filesystem::path sys, std::filesystem::path dev);

  // The kernel name of the device a mount source names: "/dev/sdb1" -> "sdb1",
  // "/dev/disk/by-uuid/..." and "/dev/mapper/x" through their links. nullopt when the
  // source is no block device known to sysfs.
  std::optional<std::string> FromSource(std::string_view source) const;
  // The same from a device number, for sources such as "/dev/root".
  std::optional<std::string> FromNumber(unsigned major, unsigned minor) const;

  // The disk a partition or mapped device lives on ("sdb1" -> "sdb", "dm-0" -> the disk
  // under it); the device itself when it is a disk.
  std::string DiskOf(const std::string& name) const;
  bool IsRemovable(const std::string& disk) const;
  // The device's sysfs path (links resolved) passes a USB controller or interface.
  bool IsOnUsb(const std::string& name) const;
  // From the dev root's disk/by-label links; "" when none names the device.
  std::string Label(const std::string& name) const;

 private:
  std::optional<std::filesystem::path> SysPath(const std::string& name) const;

  std::filesystem::path sys_;
  std::filesystem::path dev_;
};

}  // namespace platform
