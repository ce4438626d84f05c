// AddFiles: finding the source files by mask and attributes and queueing each one as a
// member; the commit behind it is in za_commit.cpp.
#include <algorithm>

#include "engine/za_lock.h"
#include "engine/zip_archiver.h"
#include "engine/zip_names.h"
#include "platform/date_time.h"
#include "platform/file_system.h"

namespace engine {

class TZAQueue {
 public:
  TZAQueue(TZABaseArchiver& a, std::vector<std::string> exclusions, int searchAttr)
      : a_(a), fs_(platform::DefaultFileSystem()), exclusions_(std::move(exclusions)),
        searchAttr_(searchAttr) {}

  void Run(const std::string& mask) {
    base_ = ResolveBase();
    std::string resolved = IsAbsolute(mask) ? mask : JoinPath(base_, mask);
    Search(resolved, resolved != mask || HasWildcards(mask), true);
  }

 private:
  static bool IsAbsolute(std::string_view p) {
    return p.find(':') != std::string_view::npos || p.starts_with("\\\\") || p.starts_with("//");
  }
  static std::string JoinPath(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string out = folder;
    if (out.back() != '\\' && out.back() != '/') out += '\\';
    out += name;
    return out;
  }

  std::string ResolveBase() {
    const std::string work = a_.ResolvedWorkDir();
    const std::string& base = a_.BaseDir;
    if (base.find(':') != std::string::npos) return base;
    if (base.empty()) return work;
    std::string candidate = JoinPath(work, base);
    if (fs_.DirectoryExists(candidate)) return candidate;
    return base;
  }

  bool Qualifies(std::uint32_t attr) const {
    const std::uint32_t set = static_cast<std::uint32_t>(searchAttr_) & ~kFaDirectory;
    if ((attr & set) != 0) return true;
    constexpr std::uint32_t kPlain = kFaArchive | kFaReadOnly | kFaHidden | kFaSysFile;
    return attr == 0 && (set & kPlain) == kPlain;
  }

  bool Excluded(const std::string& path) const {
    for (const std::string& mask : exclusions_) {
      if (mask.empty()) continue;
      if (FolderPart(mask).empty()) {
        if (MaskMatches(NamePart(path), mask)) return true;
      } else if (MaskMatches(path, mask)) {
        return true;
      }
    }
    return false;
  }

  void Search(const std::string& resolvedMask, bool enumerate, bool top) {
    const std::string folder(FolderPart(resolvedMask));
    const std::string namePart(NamePart(resolvedMask));
    if (enumerate) {
      for (const platform::FileInfo& e : fs_.FindFiles(resolvedMask)) {
        if (e.name == "." || e.name == ".." || (e.attributes & kFaDirectory)) continue;
        if (Qualifies(e.attributes)) Take(folder + e.name, e, false);
      }
    } else if (auto info = fs_.Stat(resolvedMask)) {
      if (!(info->attributes & kFaDirectory) && Qualifies(info->attributes)) {
        Take(resolvedMask, *info, false);
      }
    }
    const bool folderBit = (searchAttr_ & kFaDirectory) != 0;
    const bool wild = HasWildcards(namePart);
    // Subfolders matter only when one may be queued or searched: skipping the listing
    // otherwise keeps one AddFiles per file from reading the whole folder every time.
    const bool mayQueueFolder =
        folderBit && (wild || (top && fs_.DirectoryExists(resolvedMask)));
    if (!(a_.Options.Recurse && (wild || !top)) && !mayQueueFolder) return;
    for (const platform::FileInfo& e : fs_.FindFiles(folder + "*")) {
      if (e.name == "." || e.name == ".." || !(e.attributes & kFaDirectory)) continue;
      const std::string sub = folder + e.name;
      if (Excluded(sub)) continue;
      if (folderBit && MaskMatches(sub, resolvedMask)) {
        Take(sub, e, true);
        Search(sub + "\\" + (wild ? namePart : std::string("*")), true, false);
      } else if (a_.Options.Recurse && (wild || !top)) {
        Search(sub + "\\" + namePart, true, false);
      }
    }
  }

  void Take(const std::string& path, const platform::FileInfo& info, bool isFolder) {
    if (Excluded(path)) return;
    Queue(path, info, isFolder);
  }

  std::string StoredName(std::string path, bool isFolder) const {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    if (!path.empty() && path.back() == '.') path.pop_back();
    std::string name;
    switch (a_.Options.StorePath) {
      case spNoPath:
        name = std::string(NamePart(path));
        break;
      case spRelativePath: {
        std::string prefix = base_;
        if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
        if (!prefix.empty() && path.size() > prefix.size() &&
            LowerName(path.substr(0, prefix.size())) == LowerName(prefix)) {
          name = path.substr(prefix.size());
        } else {
          name = path;
        }
        break;
      }
      case spFullPath:
      case spFullPathWithDrive:
        name = path;
        break;
    }
    if (a_.Options.StorePath != spFullPathWithDrive) {
      if (name.starts_with("\\\\") || name.starts_with("//")) {
        // Server and share names go, then the separator after them.
        std::size_t server = name.find_first_of("\\/", 2);
        std::size_t share = server == std::string::npos ? server : name.find_first_of("\\/", server + 1);
        name = share == std::string::npos ? std::string() : name.substr(share);
      } else if (auto colon = name.find(':'); colon != std::string::npos) {
        name = name.substr(colon + 1);
      }
      if (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.erase(0, 1);
    }
    std::replace(name.begin(), name.end(), '\\', '/');
    if (isFolder && !name.empty()) name += '/';
    return name;
  }

  void Queue(const std::string& path, const platform::FileInfo& info, bool isFolder) {
    if (!a_.FireConfirmProcessFile(path, poAdd)) return;
    std::string stored = StoredName(path, isFolder);
    int attr = static_cast<int>(info.attributes != 0 ? info.attributes : kFaArchive);
    std::string comment;
    if (a_.OnStoreFile) {
      std::string shown = stored;
      std::replace(shown.begin(), shown.end(), '/', '\\');
      a_.OnStoreFile(&a_, shown, attr, comment, path);
      std::replace(shown.begin(), shown.end(), '\\', '/');
      stored = shown;
      if (isFolder && !stored.empty() && stored.back() != '/') stored += '/';
    }
    if (stored.empty()) return;
    const std::uint32_t dos = platform::DateTimeToDos(
        info.lastWriteTime != 0 ? info.lastWriteTime : platform::Now());
    auto& cur = a_.dir_->Current;
    int index = cur.Find(stored);
    TDirItem item;
    if (index >= 0) {
      const TDirItem& old = cur.At(index);
      bool replace = true;
      const std::uint32_t oldDos = (std::uint32_t{old.Header.date} << 16) | old.Header.time;
      switch (a_.Options.OverwriteMode) {
        case omPrompt: {
          std::string dest = old.Name;
          replace = a_.FireConfirmOverwrite(path, dest, true);
          break;
        }
        case omAlways:
          break;
        case omNever:
          replace = false;
          break;
        case omIfNewer:
          replace = dos > oldDos;
          break;
        case omIfOlder:
          replace = dos < oldDos;
          break;
      }
      if (!replace) return;
      item.Operation = poUpdate;
    } else {
      item.Operation = poAdd;
    }
    const bool oem = a_.Options.OEMFileNames;
    CentralHeader& h = item.Header;
    h.versionMadeBy = h.versionNeeded = oem ? kVersionOem : kVersionNtfs;
    h.method = isFolder ? 0 : a_.newMemberMethod_;
    h.flags = isFolder ? 2 : (a_.Password().empty() ? 0 : kFlagEncrypted);
    h.time = static_cast<std::uint16_t>(dos & 0xFFFF);
    h.date = static_cast<std::uint16_t>(dos >> 16);
    h.crc = isFolder ? 0 : 0xFFFFFFFF;
    h.externalAttributes = static_cast<std::uint32_t>(attr) | (isFolder ? kFaDirectory : 0);
    item.Name = stored;
    item.Modified = true;
    item.MemberPassword = isFolder ? std::string() : a_.Password();
    item.SourceFileName = path;
    item.Level = isFolder ? 0 : static_cast<std::uint8_t>(a_.CompressionMode());
    item.ActualMethod = h.method;
    item.Comment = comment;
    bool noCompression = false;
    for (const std::string& m : a_.NoCompressionMasks) {
      if (MaskMatches(path, m) || MaskMatches(NamePart(path), m)) noCompression = true;
    }
    if (noCompression) {
      item.Level = 0;
      h.method = item.ActualMethod = 0;
    }
    item.UncompressedSize64 = isFolder ? 0 : info.size;
    if (item.UncompressedSize64 >= kMarker32 || a_.Zip64Mode == zmAlways) {
      item.NeedsZip64 = true;
      h.uncompressedSize = kMarker32;
    }
    if (index >= 0) {
      cur.SetItem(index, item);
    } else {
      cur.Append(item);
    }
  }

  TZABaseArchiver& a_;
  platform::FileSystem& fs_;
  std::vector<std::string> exclusions_;
  int searchAttr_;
  std::string base_;
};

void TZABaseArchiver::AddFiles(const std::string& FileMask, int SearchAttr,
                               const std::string& ExclusionMask) {
  RequireOpen();
  std::vector<std::string> exclusions;
  if (!ExclusionMask.empty()) exclusions.push_back(ExclusionMask);
  if (!FileName.empty()) exclusions.push_back(FileName);
  if (!openPath_.empty() && openPath_ != FileName) exclusions.push_back(openPath_);
  BeginUpdate();
  try {
    {
      std::lock_guard lock(ZAProcessLock());
      TZAQueue queue(*this, std::move(exclusions), SearchAttr);
      queue.Run(FileMask);
    }
    EndUpdate();
  } catch (...) {
    CancelUpdate();
    throw;
  }
}

}  // namespace engine
