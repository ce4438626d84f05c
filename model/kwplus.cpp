// KWPlus construction, its folders, drives and file listing; the program's instance.
#include "model/kwplus.h"

#include <cmath>
#include <limits>

#include "model/path_text.h"
#include "platform/utf8.h"
#include "platform/shell_folders.h"

namespace kw {

namespace utf8 = platform::utf8;

KWPlusSetup KWPlusSetup::FromSystem() {
  KWPlusSetup setup;
  setup.fs = &platform::DefaultFileSystem();
  setup.executablePath = platform::ExecutablePath(*setup.fs);
  setup.roamingAppDataFolder = platform::RoamingAppDataFolder(*setup.fs);
  setup.localAppDataFolder = platform::LocalAppDataFolder(*setup.fs);
  return setup;
}

KWPlus::KWPlus(KWPlusSetup setup)
    : fs_(setup.fs ? setup.fs : &platform::DefaultFileSystem()),
      roamingAppDataFolder_(std::move(setup.roamingAppDataFolder)),
      localAppDataFolder_(std::move(setup.localAppDataFolder)),
      systemRoots_(std::move(setup.systemRoots)) {
  GenealogyIniPath = FindGenealogyIni();
  archiveFolder_ = ExtractFilePath(setup.executablePath) + "ArchiwumKW\\";
  // The doubled backslash is the folder's historical form; the file system accepts it.
  filesFolder_ = archiveFolder_ + "\\files\\";
  // A folder that cannot be created is not fatal: later operations in it fail on their own.
  (void)fs_->CreateDirectories(archiveFolder_);
  (void)fs_->CreateDirectories(filesFolder_);
  // Without a local application-data folder the temporary archive goes beside the archives.
  tempFolder_ = localAppDataFolder_.empty() ? archiveFolder_ + "Temp\\"
                                            : localAppDataFolder_ + "\\Temp\\";
  (void)fs_->CreateDirectories(tempFolder_);
}

bool KWPlus::IsOnUsbDrive(std::string_view path) const {
  std::string drive;
  if (path.size() >= 2 && path[1] == ':') {
    drive = std::string(path.substr(0, 2));
  } else if (path.starts_with("\\\\")) {
    // \\server\share: never a local drive, so never removable or fixed below.
    const std::size_t server = path.find('\\', 2);
    const std::size_t share =
        server == std::string_view::npos ? server : path.find('\\', server + 1);
    drive = std::string(path.substr(0, share));
  }
  if (drive.empty()) return false;
  try {
    const platform::DriveInfo info(*fs_, systemRoots_);
    const platform::DriveType type = info.TypeOf(drive);
    if (type != platform::DriveType::kRemovable && type != platform::DriveType::kFixed) {
      return false;
    }
    return info.IsOnUsbBus(drive + "\\");
  } catch (const std::exception&) {
    return false;  // a volume that cannot be examined is not a USB drive
  }
}

const std::vector<std::string>& KWPlus::Drives(bool refresh) {
  if (!refresh) return drives_;
  drives_.clear();
  try {
    const platform::DriveInfo info(*fs_, systemRoots_);
    for (const std::string& root : info.LogicalDriveStrings()) {
      const platform::DriveType type = info.TypeOf(root);
      if (type == platform::DriveType::kRemovable || type == platform::DriveType::kFixed ||
          type == platform::DriveType::kCdRom) {
        drives_.push_back(root);
      }
    }
  } catch (const std::exception&) {
    drives_.clear();  // a failed drive query leaves the list empty
  }
  return drives_;
}

void KWPlus::ListFiles(std::string_view folder, std::vector<std::string>& list,
                       std::string_view extension) const {
  list.clear();
  std::string pattern(folder);
  pattern += "*.";
  pattern += extension;
  for (platform::FileInfo& entry : fs_->FindFiles(pattern)) {
    if ((entry.attributes & platform::kAttrDirectory) != 0) continue;
    if (utf8::CountCodePoints(entry.name) <= 2) continue;
    list.push_back(std::move(entry.name));
  }
}

std::int32_t KWPlus::MaxFileSizeMB() const {
  const double t = std::trunc(maxFileSizeMB_);
  if (!(t > std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
  if (t >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(t);
}

namespace {
KWPlus* g_replacement = nullptr;
}  // namespace

KWPlus& TheKWPlus() {
  if (g_replacement != nullptr) return *g_replacement;
  static KWPlus instance(KWPlusSetup::FromSystem());
  return instance;
}

ScopedTheKWPlus::ScopedTheKWPlus(KWPlus& replacement) : previous_(g_replacement) {
  g_replacement = &replacement;
}

ScopedTheKWPlus::~ScopedTheKWPlus() { g_replacement = previous_; }

}  // namespace kw
