#include "platform/block_device.h"

#include <fstream>
#include <system_error>

namespace platform {
namespace fs = std::filesystem;
namespace {

std::string ReadFirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
    line.pop_back();
  }
  return line;
}

// "usb1", "usb2": a USB host controller's root hub in the device tree.
bool IsUsbBusName(const std::string& name) {
  if (name.size() <= 3 || name.compare(0, 3, "usb") != 0) return false;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// udev writes unsafe bytes of a label link's name as \xHH ("\x20" is a space).
std::string UnescapeLabel(const std::string& name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
        HexValue(name[i + 2]) >= 0 && HexValue(name[i + 3]) >= 0) {
      out.push_back(static_cast<char>(HexValue(name[i + 2]) * 16 + HexValue(name[i + 3])));
      i += 3;
      continue;
    }
    out.push_back(name[i]);
  }
  return out;
}

}  // namespace

BlockDevices::BlockDevices(fs::path sys, fs::path dev)
    : sys_(std::move(sys)), dev_(std::move(dev)) {}

std::optional<fs::path> BlockDevices::SysPath(const std::string& name) const {
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
    return std::nullopt;
  }
  std::error_code ec;
  fs::path path = fs::canonical(sys_ / "class/block" / name, ec);
  if (ec) return std::nullopt;
  return path;
}

std::optional<std::string> BlockDevices::FromSource(std::string_view source) const {
  if (!source.starts_with("/dev/")) return std::nullopt;
  const fs::path relative = fs::path(std::string(source.substr(5))).lexically_normal();
  if (relative.empty() || *relative.begin() == "..") return std::nullopt;
  std::error_code ec;
  fs::path resolved = fs::canonical(dev_ / relative, ec);
  std::string name = ec ? relative.filename().string() : resolved.filename().string();
  if (!SysPath(name)) return std::nullopt;
  return name;
}

std::optional<std::string> BlockDevices::FromNumber(unsigned major, unsigned minor) const {
  std::error_code ec;
  const fs::path path =
      fs::canonical(sys_ / "dev/block" / (std::to_string(major) + ":" + std::to_string(minor)), ec);
  if (ec) return std::nullopt;
  std::string name = path.filename().string();
  if (!SysPath(name)) return std::nullopt;
  return name;
}

std::string BlockDevices::DiskOf(const std::string& name) const {
  std::string current = name;
  // Mapped devices (encryption, LVM) stack; a few levels are plenty, and a loop of links
  // in a broken tree must not hang us.
  for (int depth = 0; depth < 8; ++depth) {
    const auto path = SysPath(current);
    if (!path) return current;
    std::error_code ec;
    if (fs::exists(*path / "partition", ec)) return path->parent_path().filename().string();
    std::string slave;
    for (fs::directory_iterator it(*path / "slaves", ec), end; !ec && it != end;
         it.increment(ec)) {
      slave = it->path().filename().string();
      break;
    }
    if (slave.empty()) return current;
    current = slave;
  }
  return current;
}

bool BlockDevices::IsRemovable(const std::string& disk) const {
  const auto path = SysPath(disk);
  return path && ReadFirstLine(*path / "removable") == "1";
}

bool BlockDevices::IsOnUsb(const std::string& name) const {
  const auto path = SysPath(DiskOf(name));
  if (!path) return false;
  std::error_code ec;
  const fs::path sysRoot = fs::canonical(sys_, ec);
  for (fs::path at = *path; !at.empty() && at != sysRoot && at != at.root_path();
       at = at.parent_path()) {
    if (IsUsbBusName(at.filename().string())) return true;
    // A USB device or interface links its subsystem to .../bus/usb.
    const fs::path subsystem = fs::canonical(at / "subsystem", ec);
    if (!ec && subsystem.filename() == "usb") return true;
  }
  return false;
}

std::string BlockDevices::Label(const std::string& name) const {
  std::error_code ec;
  for (fs::directory_iterator it(dev_ / "disk/by-label", ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code linkEc;
    const fs::path target = fs::canonical(it->path(), linkEc);
    if (!linkEc && target.filename() == name) {
      return UnescapeLabel(it->path().filename().string());
    }
  }
  return {};
}

}  // namespace platform
