// The read side: FindFirst / FindNext, ExtractFiles with its member loop, the test
// operation, and the decoding and verification of one member's data.
#include <algorithm>
#include <optional>

#include "engine/compression.h"
#include "engine/crypto/aes_crypto_transform.h"
#include "engine/crypto/member_cipher.h"
#include "engine/crypto/traditional_cipher.h"
#include "engine/za_data_streams.h"
#include "engine/za_lock.h"
#include "engine/zip_archiver.h"
#include "engine/zip_names.h"
#include "platform/code_page.h"
#include "platform/date_time.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/win_error.h"

namespace engine {
namespace {

std::string Backslashed(std::string s) {
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
}

std::string WithoutTrailingSeparator(std::string s) {
  if (!s.empty() && (s.back() == '/' || s.back() == '\\')) s.pop_back();
  return s;
}

// A name that would leave the target folder: absolute, with a drive or a server, or with
// a ".." part. The archive's word alone never puts a file outside the folder.
bool EscapesTarget(std::string_view name) {
  if (name.empty()) return false;
  if (name.front() == '\\' || name.front() == '/') return true;
  if (name.find(':') != std::string_view::npos) return true;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

std::string Ansi(const std::string& utf8) {
  return platform::Utf8ToCodePage(utf8, platform::CodePage::kAnsi);
}

}  // namespace

// ---- finding ----

bool TZABaseArchiver::FindFirst(const std::string& FileMask, TZAArchiveItem& Item,
                                int SearchAttr, const std::string& ExclusionMask) {
  std::string mask = FileMask;
  if (Options.StorePath != spFullPathWithDrive) {
    if (mask.starts_with("\\\\") || mask.starts_with("//")) {
      std::size_t server = mask.find_first_of("\\/", 2);
      std::size_t share =
          server == std::string::npos ? server : mask.find_first_of("\\/", server + 1);
      mask = share == std::string::npos ? std::string() : mask.substr(share);
    } else if (mask.size() >= 2 && mask[1] == ':') {
      mask = mask.substr(2);
    }
  }
  std::replace(mask.begin(), mask.end(), '\\', '/');
  if (mask.size() > 259) mask.resize(259);
  Item.SearchState = TInternalSearchRec{};
  Item.SearchState.FileMask = mask;
  Item.SearchState.ExclusionMask = ExclusionMask;
  Item.SearchState.HasWildcards = HasWildcards(mask);
  Item.SearchState.SearchAttr = SearchAttr;
  Item.SearchState.ItemNo = 0;
  return SearchFrom(Item);
}

bool TZABaseArchiver::FindNext(TZAArchiveItem& Item) {
  ++Item.SearchState.ItemNo;
  return SearchFrom(Item);
}

bool TZABaseArchiver::SearchFrom(TZAArchiveItem& item) {
  if (!dir_) return false;
  const auto& cur = dir_->Current;
  TInternalSearchRec& st = item.SearchState;
  int found = -1;
  if (st.HasWildcards || Options.Recurse) {
    const std::string maskFolder = LowerName(Backslashed(std::string(FolderPart(st.FileMask))));
    const std::uint32_t forbidden =
        (kFaHidden | kFaSysFile | kFaVolumeId | kFaDirectory) & ~static_cast<std::uint32_t>(st.SearchAttr);
    for (int i = std::max(st.ItemNo, 0); i < cur.Count(); ++i) {
      const TDirItem& m = cur.Item(i);
      const std::string name = WithoutTrailingSeparator(m.Name);
      if (!Options.Recurse &&
          LowerName(Backslashed(std::string(FolderPart(name)))) != maskFolder) {
        continue;
      }
      bool match = false;
      if (st.UseMaskLists) {
        const std::string shown = Backslashed(name);
        for (const auto& fm : FileMasks) match = match || MaskMatches(shown, fm);
        for (const auto& em : ExclusionMasks) match = match && !MaskMatches(shown, em);
      } else {
        match = MaskMatches(name, st.FileMask) || MaskMatches(NamePart(name), st.FileMask);
        if (match && !st.ExclusionMask.empty() && MaskMatches(name, st.ExclusionMask)) match = false;
      }
      if (match && (m.Header.externalAttributes & forbidden) == 0) {
        found = i;
        break;
      }
    }
  } else {
    int k = cur.Find(st.FileMask);
    if (k >= 0 && k >= st.ItemNo) found = k;
  }
  if (found < 0) return false;
  st.ItemNo = found;
  const TDirItem& m = cur.Item(found);
  const std::string shown = WithoutTrailingSeparator(Backslashed(m.Name));
  item.FileName = std::string(NamePart(shown));
  item.StoredPath = std::string(FolderPart(shown));
  item.CompressedSize = static_cast<std::int64_t>(m.CompressedSize64);
  item.UncompressedSize = static_cast<std::int64_t>(m.UncompressedSize64);
  if (m.UncompressedSize64 == 0) {
    item.CompressionRate = 100.0;
  } else {
    item.CompressionRate = (1.0 - static_cast<double>(m.CompressedSize64) /
                                      static_cast<double>(m.UncompressedSize64)) * 100.0;
    if (item.CompressionRate < 0) item.CompressionRate = 0.0;
  }
  item.Encrypted = m.Encrypted();
  item.DosDate = m.Header.date;
  item.DosTime = m.Header.time;
  item.Crc32 = m.Header.crc;
  item.ExternalAttributes = m.Header.externalAttributes;
  item.Comment = m.Comment;
  return true;
}

// ---- extracting ----

void TZABaseArchiver::ExtractFiles(const std::string& FileMask, int SearchAttr,
                                   const std::string& ExclusionMask) {
  RequireOpen();
  if (updateDepth_ > 0) throw Error(26);
  auto& cur = dir_->Current;
  if (!Options.Recurse && !HasWildcards(FileMask) && ExclusionMask.empty() &&
      SearchAttr == kFaAnyFile) {
    // The one member found by the name index; the others keep their marks.
    TZAArchiveItem item;
    if (!FindFirst(FileMask, item, SearchAttr, ExclusionMask)) return;
    cur.Item(item.SearchState.ItemNo).Selected = true;
    RunMemberLoop({item.SearchState.ItemNo}, false);
    return;
  }
  cur.ClearSelected();
  std::vector<int> selected;
  TZAArchiveItem item;
  for (bool f = FindFirst(FileMask, item, SearchAttr, ExclusionMask); f; f = FindNext(item)) {
    cur.Item(item.SearchState.ItemNo).Selected = true;
    selected.push_back(item.SearchState.ItemNo);
  }
  RunMemberLoop(selected, false);
}

int TZABaseArchiver::TestFiles(const std::string& FileMask, int SearchAttr,
                               const std::string& ExclusionMask) {
  RequireOpen();
  if (updateDepth_ > 0) throw Error(26);
  auto& cur = dir_->Current;
  cur.ClearSelected();
  std::vector<int> selected;
  TZAArchiveItem item;
  for (bool f = FindFirst(FileMask, item, SearchAttr, ExclusionMask); f; f = FindNext(item)) {
    cur.Item(item.SearchState.ItemNo).Selected = true;
    selected.push_back(item.SearchState.ItemNo);
  }
  return RunMemberLoop(selected, true);
}

int TZABaseArchiver::RunMemberLoop(const std::vector<int>& selected, bool testOnly) {
  std::lock_guard lock(ZAProcessLock());
  auto& cur = dir_->Current;
  const TZAProcessOperation op = testOnly ? poTest : poExtract;
  processedCount_ = 0;
  totalCount_ = static_cast<int>(selected.size());
  cancelled_ = false;
  int passed = 0;
  bool aborted = false;
  FireOverallProgress(0.0, op, ppStart);
  for (int index : selected) {
    if (cancelled_ || aborted) break;
    for (;;) {
      TDirItem& m = cur.Item(index);
      m.Operation = op;
      const std::string name = Backslashed(m.Name);
      if (!FireConfirmProcessFile(name, op)) break;
      std::string folder = BaseDir.empty() ? ResolvedWorkDir() : BaseDir;
      if (!folder.empty() && folder.back() != '\\') folder += '\\';
      if (FireFileProgress(name, 0.0, op, ppStart)) break;
      try {
        if (testOnly) {
          if (!m.IsFolder()) {
            TNullStream sink;
            if (WriteMemberData(index, sink) && !skipFile_) ++passed;
          } else {
            ++passed;
          }
        } else {
          ExtractMemberToFile(index, folder);
        }
        FireFileProgress(name, 100.0, op, ppEnd);
        ++processedCount_;
      } catch (const EZAException& e) {
        TZAAction action = FireProcessFileFailure(name, op, e);
        if (action == fxaRetry) continue;
        if (action == fxaAbort) aborted = true;
      }
      break;
    }
  }
  FireOverallProgress(100.0, op, ppEnd);
  if (cancelled_ || aborted) updateDepth_ = 0;
  return passed;
}

void TZABaseArchiver::ExtractMemberToFile(int index, const std::string& targetFolder) {
  auto& fs = platform::DefaultFileSystem();
  const TDirItem& m = dir_->Current.At(index);
  std::string fileName = Backslashed(m.Name);
  std::uint32_t attr = m.Header.externalAttributes;
  const bool isFolder = m.IsFolder();
  const std::uint32_t memberDos = (std::uint32_t{m.Header.date} << 16) | m.Header.time;
  const std::string fromArchive = fileName;
  if (OnExtractFile) OnExtractFile(this, fileName, attr, m.Comment);
  if (fileName == fromArchive && EscapesTarget(fileName)) {
    throw Error(19, {targetFolder + fileName});
  }
  const bool complete =
      fileName.find(':') != std::string::npos || fileName.find("\\\\") != std::string::npos;
  std::string folder = complete ? std::string() : targetFolder;
  if (!Options.CreateDirs) {
    fileName = std::string(NamePart(WithoutTrailingSeparator(fileName)));
    if (complete) folder = targetFolder;
  } else {
    std::string dirPath = folder + std::string(FolderPart(fileName));
    if (!dirPath.empty() && !fs.DirectoryExists(dirPath) && !fs.CreateDirectories(dirPath)) {
      throw Error(20, {dirPath});
    }
  }
  if (isFolder) return;
  std::string target = folder + fileName;
  if (auto info = fs.Stat(target); info && !(info->attributes & kFaDirectory)) {
    if (!Options.ReplaceReadOnly && (info->attributes & kFaReadOnly)) return;
    const std::uint32_t targetDos = platform::DateTimeToDos(info->lastWriteTime);
    switch (Options.OverwriteMode) {
      case omPrompt:
        if (!FireConfirmOverwrite(fileName, target, false)) return;
        break;
      case omAlways:
        break;
      case omNever:
        return;
      case omIfNewer:
        if (!(memberDos > targetDos)) return;
        break;
      case omIfOlder:
        if (!(memberDos < targetDos)) return;
        break;
    }
    fs.SetAttributes(target, 0);
    fs.DeleteFile(target);
  }
  std::optional<TFileStream> out;
  try {
    out.emplace(target, platform::OpenMode::kCreate);
  } catch (const platform::OsError&) {
    throw Error(19, {target});
  }
  bool failed = false;
  try {
    WriteMemberData(index, *out);
  } catch (...) {
    failed = true;
    out->Close();
    fs.DeleteFile(target);
    throw;
  }
  if (Options.FlushBuffers && !failed) {
    platform::DriveInfo drives(fs);
    if (target.size() >= 2 && target[1] == ':' &&
        (std::toupper(static_cast<unsigned char>(target[0])) == 'A' ||
         std::toupper(static_cast<unsigned char>(target[0])) == 'B' ||
         drives.TypeOf(target) == platform::DriveType::kRemovable)) {
      out->Flush();
    }
  }
  out->Close();
  fs.SetLastWriteTime(target, platform::DosToDateTime(memberDos));
  if (skipFile_ || cancelled_) {
    fs.DeleteFile(target);
  } else if (Options.SetAttributes) {
    fs.SetAttributes(target, attr);
  }
}

bool TZABaseArchiver::WriteMemberData(int index, TZAStream& destination) {
  auto& cur = dir_->Current;
  if (index < 0 || index >= cur.Count()) throw Error(16);
  skipFile_ = false;
  const TDirItem& m = cur.At(index);
  TZAStream& s = *stream_;
  const std::uint64_t fileSize = s.Size();
  auto corrupt = [&]() -> bool {
    if (cancelled_ || skipFile_) return false;
    if (ExtractCorruptedFiles) return false;
    throw Error(8);
  };
  // The local header: only its name and extra lengths are used.
  const std::uint64_t offset = m.LocalHeaderOffset64;
  std::vector<std::uint8_t> lhBytes(kLocalHeaderSize);
  s.Seek(std::min(offset, fileSize));
  if (offset >= fileSize || !s.ReadExact(lhBytes)) return corrupt();
  ByteReader lr(lhBytes);
  auto lh = ReadLocalHeader(lr);
  if (!lh) return corrupt();
  const std::uint64_t dataStart = offset + kLocalHeaderSize + lh->nameLength + lh->extraLength;
  std::uint64_t compSize = m.CompressedSize64;
  const std::uint64_t limit = std::max(dir_->DirectoryOffset, dataStart) > fileSize
                                  ? fileSize
                                  : std::max(dir_->DirectoryOffset, dataStart);
  if (dataStart > limit) return corrupt();
  if (compSize > limit - dataStart) compSize = limit - dataStart;
  const std::uint64_t uncompSize = m.UncompressedSize64;

  const bool encrypted = m.Encrypted();
  const bool aes = m.IsAes();
  const int keyBits = aes ? 64 * (m.AesStrength + 1) : 0;
  std::optional<TAESCryptoTransform> transform;
  std::optional<TZATraditionalCipher> traditional;
  std::unique_ptr<TZAMemberCipher> cipher;
  std::uint64_t headerSize = 0, trailerSize = 0;
  if (encrypted) {
    headerSize = aes ? static_cast<std::uint64_t>(keyBits / 16 + 2) : 12;
    trailerSize = aes ? 10 : 0;
    if (compSize < headerSize + trailerSize) return corrupt();
    for (;;) {
      s.Seek(dataStart);
      std::vector<std::uint8_t> header(static_cast<std::size_t>(headerSize));
      if (!s.ReadExact(header)) return corrupt();
      const std::string pw = Ansi(Password());
      bool ok = false;
      if (aes) {
        transform.reset();
        transform.emplace(keyBits, m.ActualMethod, 2);
        transform->SetTransformMode(kTransformDecryption);
        if (transform->ReadHeader(std::span<const std::uint8_t>(header)) &&
            transform->CheckPassword(pw)) {
          transform->SetPassword(pw);
          ok = true;
        }
      } else if (!pw.empty()) {
        traditional.reset();
        traditional.emplace(pw);
        std::array<std::uint8_t, 12> h12{};
        std::copy(header.begin(), header.end(), h12.begin());
        ok = traditional->CheckHeader(
            h12, TZATraditionalCipher::CheckByte(m.Header.crc, m.Header.time,
                                                 (m.Header.flags & kFlagDescriptor) != 0));
      }
      if (ok) break;
      FirePassword(m.Name);
      if (skipFile_) return false;
    }
    if (aes) {
      cipher = std::make_unique<TZAAesMemberCipher>(*transform);
    } else {
      cipher = std::make_unique<TZATraditionalMemberCipher>(*traditional);
    }
  }
  const std::uint64_t dataLength = compSize - headerSize - trailerSize;
  const std::string shownName = Backslashed(m.Name);
  const std::uint16_t method = m.ActualMethod;
  if (method == kMethodDeflate64) throw EZAException(55);
  if (method != kMethodStored && method != kMethodDeflate) return corrupt();

  s.Seek(dataStart + headerSize);
  TZALimitedReader reader(s, dataLength);
  TZADiskFullWriter writer(destination, [this] {
    DiskFull(FileName);
    return cancelled_;
  });
  TZADecompressRequest req;
  req.method = method;
  req.dataLength = dataLength;
  req.outputLimit = uncompSize;
  req.cipher = cipher.get();
  const int done = processedCount_;
  const int total = std::max(totalCount_, 1);
  req.progress = [&](std::uint64_t bytes, bool& cancel) {
    const double frac = dataLength ? static_cast<double>(bytes) / static_cast<double>(dataLength) : 1.0;
    FireFileProgress(shownName, frac * 100.0, m.Operation, ppProcess);
    FireOverallProgress((frac + done) / total * 100.0, m.Operation, ppProcess);
    if (cancelled_) cancel = true;
  };
  TZADecompressResult res;
  try {
    res = DecompressMemberData(req, reader, writer);
  } catch (const EZlibError&) {
    return corrupt();
  }
  if (res.status == TZADecodeStatus::kCancelled || cancelled_) return false;
  if (res.status == TZADecodeStatus::kLimitExceeded) throw Error(8);
  bool ok = res.Decoded() && res.uncompressedSize == uncompSize;
  if (aes) {
    std::vector<std::uint8_t> code(10);
    s.Seek(dataStart + headerSize + dataLength);
    bool vendor1 = false;
    for (const ExtraField& f : m.Extras) {
      if (f.id == kExtraAes) {
        if (auto a = ParseAesExtra(f.data)) vendor1 = a->vendorVersion == 1;
      }
    }
    if (!s.ReadExact(code) || !transform->ReadAuthenticationCode(std::span<const std::uint8_t>(code)) ||
        transform->AuthenticationFailed()) {
      ok = false;
    }
    if (vendor1 && res.crc32 != m.Header.crc) ok = false;
  } else if (res.crc32 != m.Header.crc) {
    ok = false;
  }
  if (!ok) return corrupt();
  return true;
}

}  // namespace engine
