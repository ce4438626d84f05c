// The commit of an update transaction: members from the first changed one are written anew
// or copied back from a tail file, then a new central directory; an abort, a cancel or an
// unexpected exception rolls the archive back to its state at BeginUpdate.
#include <algorithm>
#include <optional>

#include "engine/compression.h"
#include "engine/crypto/aes_crypto_transform.h"
#include "engine/crypto/member_cipher.h"
#include "engine/crypto/traditional_cipher.h"
#include "engine/za_data_streams.h"
#include "engine/zip_archiver.h"
#include "engine/zip_directory_io.h"
#include "engine/zip_names.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/temp_folder.h"
#include "platform/win_error.h"

namespace engine {
namespace {

// The temporary file holding the archive's old bytes behind the first changed member;
// deleted when the commit ends, however it ends.
struct TailFile {
  std::string path;
  std::unique_ptr<TFileStream> stream;
  ~TailFile() { Remove(); }
  void Remove() {
    if (!stream) return;
    stream.reset();
    platform::DefaultFileSystem().DeleteFile(path);
  }
};

void CopyBytes(TZAStream& from, TZAStream& to, std::uint64_t length) {
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(std::min<std::uint64_t>(length, 1 << 20)));
  while (length > 0) {
    auto n = static_cast<std::size_t>(std::min<std::uint64_t>(length, buf.size()));
    if (!from.ReadExact({buf.data(), n})) throw EZAException(46);
    to.Write({buf.data(), n});
    length -= n;
  }
}

std::string Backslashed(std::string s) {
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
}

}  // namespace

class TZACommit {
 public:
  explicit TZACommit(TZABaseArchiver& a) : a_(a), s_(*a.stream_), dir_(*a.dir_) {}

  void Run() {
    a_.updateDepth_ = 0;
    a_.processedCount_ = a_.totalCount_ = 0;
    a_.totalBytes_ = a_.doneBytes_ = 0;
    a_.cancelled_ = false;
    auto& cur = dir_.Current;
    auto& old = dir_.Rollback;
    TZAProcessOperation firstOp = poDelete;
    bool haveFirst = false;
    for (int i = 0; i < cur.Count(); ++i) {
      const TDirItem& item = *cur.Raw(i);
      if (!item.Modified) continue;
      a_.totalBytes_ += static_cast<std::int64_t>(item.UncompressedSize64);
      ++a_.totalCount_;
      if (!haveFirst) {
        firstOp = item.Operation;
        haveFirst = true;
      }
    }
    const int common = std::min(cur.Count(), old.Count());
    int first = common;
    for (int i = 0; i < common; ++i) {
      if (cur.Raw(i) == old.Raw(i)) continue;  // the record as it was at BeginUpdate
      if (cur.At(i).Modified || LowerName(cur.At(i).Name) != LowerName(old.At(i).Name)) {
        first = i;
        break;
      }
    }
    a_.FireOverallProgress(0.0, firstOp, ppStart);
    bool aborted = false;
    if (!a_.cancelled_) {
      try {
        if (first < old.Count()) {
          truncatePos_ = old.At(first).LocalHeaderOffset64;
          for (int i = first; i < old.Count(); ++i) {
            truncatePos_ = std::min(truncatePos_, old.At(i).LocalHeaderOffset64);
          }
          MakeTail();
        } else {
          truncatePos_ = old.Count() == 0 ? dir_.StubSize : dir_.DirectoryOffset;
        }
        // Written over from here on; the file is cut behind the new directory.
        s_.Seek(truncatePos_);
        for (int i = first; i < cur.Count() && !a_.cancelled_ && !aborted;) {
          const TDirItem& item = cur.At(i);
          if (item.Modified && item.Operation != poRename && item.Operation != poChangeComment &&
              item.Operation != poChangeAttr) {
            bool ok = false;
            TZAAction action = fxaIgnore;
            for (;;) {
              action = fxaIgnore;
              bool failed = false;
              try {
                ok = WriteMember(i);
              } catch (const EZAException& e) {
                ok = false;
                failed = true;
                const TDirItem& m = cur.At(i);
                const std::string name =
                    m.Operation == poAdd || m.Operation == poMove ? m.SourceFileName : m.Name;
                action = a_.FireProcessFileFailure(name, m.Operation, e);
              }
              if (failed && action == fxaRetry) continue;  // again at the current position
              if (failed && action == fxaAbort) aborted = true;
              break;
            }
            if (aborted || a_.cancelled_) break;
            if (ok) {
              ++a_.processedCount_;
              ++i;
            } else if (cur.At(i).Operation == poAdd) {
              cur.Delete(i);
            } else {
              CopyOld(i);
              ++i;
            }
          } else {
            CopyOld(i);
            ++i;
          }
        }
        if (!a_.cancelled_ && !aborted) {
          WriteCentralDirectory(s_, dir_, a_.Options.OEMFileNames);
          tail_.Remove();
        }
      } catch (...) {
        Rollback();
        throw;
      }
    }
    if (!a_.cancelled_ && !aborted) a_.FireOverallProgress(100.0, firstOp, ppEnd);
    if (a_.cancelled_ || aborted) {
      Rollback();
    } else if (a_.Options.FlushBuffers && s_.IsFile()) {
      s_.Flush();
    }
  }

 private:
  void MakeTail() {
    std::string folder = a_.TempDir.empty() ? platform::TempFolder() : a_.TempDir;
    if (folder.empty()) folder = std::string(FolderPart(a_.FileName));  // no mapped temp folder
    tail_.path = platform::UniqueTempFileName(folder, "FC");
    tail_.stream = std::make_unique<TFileStream>(tail_.path, platform::OpenMode::kCreateNew);
    s_.Seek(truncatePos_);
    CopyBytes(s_, *tail_.stream, s_.Size() - truncatePos_);
  }

  void Rollback() {
    try {
      dir_.Current.Assign(dir_.Rollback);
      s_.Truncate(truncatePos_);
      s_.Seek(truncatePos_);
      if (tail_.stream) {
        tail_.stream->Seek(0);
        CopyBytes(*tail_.stream, s_, tail_.stream->Size());
        tail_.Remove();
        // The old directory is back byte for byte; the records point where they did.
      } else {
        WriteCentralDirectory(s_, dir_, a_.Options.OEMFileNames);
      }
    } catch (...) {
      // The original failure is the one to report.
    }
  }

  // Copies a member's old bytes from the tail file to the archive's end.
  void CopyOld(int i) {
    TDirItem& item = dir_.Current.Item(i);
    const std::string& key = item.PreviousName.empty() ? item.Name : item.PreviousName;
    const int r = dir_.Rollback.Find(key);
    if (r < 0 || !tail_.stream) throw a_.Error(7);
    item = dir_.Rollback.At(r);
    if (item.LocalHeaderOffset64 < truncatePos_) throw a_.Error(7);
    const std::uint64_t at = item.LocalHeaderOffset64 - truncatePos_;
    std::vector<std::uint8_t> header(kLocalHeaderSize);
    tail_.stream->Seek(at);
    if (!tail_.stream->ReadExact(header)) throw a_.Error(7);
    ByteReader r0(header);
    auto lh = ReadLocalHeader(r0);
    if (!lh) throw a_.Error(7);
    const std::uint64_t length =
        kLocalHeaderSize + lh->nameLength + lh->extraLength + item.CompressedSize64;
    if (at + length > tail_.stream->Size()) throw a_.Error(7);
    const std::uint64_t newOffset = s_.Position();
    tail_.stream->Seek(at);
    CopyBytes(*tail_.stream, s_, length);
    item.LocalHeaderOffset64 = newOffset;
    if (newOffset >= kMarker32) item.NeedsZip64 = true;
  }

  bool WriteMember(int i) {
    TDirItem& item = dir_.Current.Item(i);
    const bool isFolder = item.IsFolder();
    const std::string shownName =
        item.Operation == poAdd || item.Operation == poMove ? item.SourceFileName
                                                            : Backslashed(item.Name);
    if (a_.FireFileProgress(shownName, 0.0, item.Operation, ppStart)) return false;
    const bool oem = a_.Options.OEMFileNames;
    EncodedName enc = EncodeName(item.Name, oem);
    std::unique_ptr<TFileStream> source;
    if (!isFolder) {
      const std::string& path = item.SourceFileName;
      if (path.size() > 259 && path.find("\\\\?\\") == std::string::npos) {
        throw a_.Error(61, {path});
      }
      try {
        source = std::make_unique<TFileStream>(path, platform::OpenMode::kRead);
      } catch (const platform::OsError&) {
        throw a_.Error(33, {path});
      }
    }
    const std::uint64_t srcSize = source ? source->Size() : 0;
    const std::uint64_t pos = s_.Position();
    bool needs64 = pos >= kMarker32 || a_.Zip64Mode == zmAlways;
    if (needs64 || srcSize >= kMarker32) {
      if (a_.Zip64Mode == zmDisabled) throw a_.Error(43, {item.SourceFileName});
      needs64 = true;
    }
    const bool encrypted = !item.MemberPassword.empty() && !isFolder;
    const bool aes = encrypted && a_.EncryptionMethod != caPkzipClassic;
    const std::uint16_t version = needs64 ? kVersionZip64 : oem ? kVersionOem : kVersionNtfs;
    std::uint16_t flags = isFolder ? 2 : encrypted ? kFlagEncrypted : 0;
    if (enc.utf8) flags |= kFlagUtf8;

    LocalHeader lh;
    lh.versionNeeded = version;
    lh.flags = flags;
    lh.method = aes ? kMethodAes : item.ActualMethod;
    lh.time = item.Header.time;
    lh.date = item.Header.date;
    lh.crc = isFolder ? 0 : 0xFFFFFFFF;
    lh.compressedSize = 0;
    lh.uncompressedSize = needs64 ? kMarker32 : static_cast<std::uint32_t>(srcSize);
    lh.nameLength = static_cast<std::uint16_t>(std::min<std::size_t>(enc.bytes.size(), 0xFFFF));
    std::vector<ExtraField> extras;
    if (a_.UnicodeFilenames) extras.push_back(EngineUnicodeField(item.Name));
    std::optional<TAESCryptoTransform> transform;
    const int keyBits = a_.EncryptionMethod == caAES_256   ? 256
                        : a_.EncryptionMethod == caAES_192 ? 192
                                                           : 128;
    const std::uint8_t strength = static_cast<std::uint8_t>(keyBits / 64 - 1);
    if (aes) {
      transform.emplace(keyBits, item.ActualMethod, 2);
      transform->SetTransformMode(kTransformEncryption);
      transform->SetPassword(platform::Utf8ToCodePage(a_.Password(), platform::CodePage::kAnsi));
      extras.push_back(MakeAesExtra(strength, item.ActualMethod));
    }
    ByteWriter hw;
    std::size_t extraLength = needs64 ? 20 : 0;
    for (const ExtraField& f : extras) extraLength += 4 + f.data.size();
    lh.extraLength = static_cast<std::uint16_t>(extraLength);
    WriteLocalHeader(hw, lh);
    hw.Bytes(std::string_view(enc.bytes).substr(0, lh.nameLength));
    if (needs64) {
      ByteWriter z;
      z.U64(srcSize);
      z.U64(0);
      WriteExtraField(hw, {kExtraZip64, std::string(z.Data().begin(), z.Data().end())});
    }
    for (const ExtraField& f : extras) WriteExtraField(hw, f);
    s_.Write(hw.Data());

    TZACompressResult result;
    if (!isFolder) {
      std::optional<TZATraditionalCipher> traditional;
      std::unique_ptr<TZAMemberCipher> cipher;
      if (aes) {
        cipher = std::make_unique<TZAAesMemberCipher>(*transform);
      } else if (encrypted) {
        traditional.emplace(
            platform::Utf8ToCodePage(item.MemberPassword, platform::CodePage::kAnsi));
        cipher = std::make_unique<TZATraditionalMemberCipher>(*traditional);
      }
      TZASourceAdapter src(*source);
      TZADiskFullWriter out(s_, [this] {
        a_.DiskFull(a_.FileName);
        return a_.cancelled_;
      });
      TZACompressRequest req;
      req.level = item.Level;
      req.method = item.ActualMethod == kMethodDeflate ? kMethodDeflate : kMethodStored;
      req.sourceSize = srcSize;
      req.cipher = cipher.get();
      const double total = static_cast<double>(a_.totalBytes_);
      req.progress = [&](std::uint64_t done, bool& cancel) {
        const double pct = srcSize ? static_cast<double>(done) * 100.0 / static_cast<double>(srcSize) : 100.0;
        a_.FireFileProgress(shownName, pct, item.Operation, ppProcess);
        const double overall =
            total > 0 ? (static_cast<double>(a_.doneBytes_) + static_cast<double>(done)) * 100.0 / total
                      : 50.0;
        a_.FireOverallProgress(overall, item.Operation, ppProcess);
        if (a_.cancelled_) cancel = true;
      };
      try {
        result = CompressMemberData(req, src, out);
      } catch (const ECompressionError&) {
        throw a_.Error(0);
      }
      a_.doneBytes_ += static_cast<std::int64_t>(srcSize);
      if (result.cancelled || result.writeFailed || a_.cancelled_) return false;
      if (result.shortRead || result.sourceChanged || result.uncompressedSize != srcSize) {
        throw a_.Error(34, {std::to_string(srcSize), std::to_string(result.uncompressedSize)});
      }
    }
    const std::uint64_t compressed = result.compressedSize;
    if (!needs64 && compressed >= kMarker32) {
      if (a_.Zip64Mode == zmDisabled) throw a_.Error(41, {item.SourceFileName});
    }
    // The data is complete: put the final values into the local header.
    const auto actual = static_cast<std::uint16_t>(
        isFolder || srcSize == 0 ? kMethodStored : result.method);
    const std::uint16_t method = aes ? kMethodAes : actual;
    if (aes && actual != item.ActualMethod) {
      extras.back() = MakeAesExtra(strength, actual);
    }
    lh.method = method;
    lh.crc = isFolder ? 0 : result.crc32;
    lh.compressedSize =
        needs64 || compressed >= kMarker32 ? kMarker32 : static_cast<std::uint32_t>(compressed);
    const std::uint64_t end = s_.Position();
    ByteWriter rw;
    WriteLocalHeader(rw, lh);
    rw.Bytes(std::string_view(enc.bytes).substr(0, lh.nameLength));
    if (needs64) {
      ByteWriter z;
      z.U64(srcSize);
      z.U64(compressed);
      WriteExtraField(rw, {kExtraZip64, std::string(z.Data().begin(), z.Data().end())});
    }
    for (const ExtraField& f : extras) WriteExtraField(rw, f);
    s_.Seek(pos);
    s_.Write(rw.Data());
    s_.Seek(end);

    CentralHeader& h = item.Header;
    h.versionMadeBy = h.versionNeeded = version;
    h.flags = flags;
    h.method = method;
    h.crc = lh.crc;
    h.compressedSize = lh.compressedSize;
    h.uncompressedSize = needs64 ? kMarker32 : static_cast<std::uint32_t>(srcSize);
    h.localHeaderOffset = needs64 && pos >= kMarker32 ? kMarker32 : static_cast<std::uint32_t>(pos);
    item.NeedsZip64 = needs64 || compressed >= kMarker32;
    item.CompressedSize64 = compressed;
    item.UncompressedSize64 = srcSize;
    item.LocalHeaderOffset64 = pos;
    item.Extras = extras;
    item.AesStrength = aes ? strength : 0;
    item.ActualMethod = actual;
    if (a_.cancelled_) return false;
    a_.FireFileProgress(shownName, 100.0, item.Operation, ppEnd);
    return true;
  }

  static ExtraField EngineUnicodeField(const std::string& utf8Name) {
    ByteWriter w;
    w.Bytes(std::string_view("NUCX"));
    std::u16string units;
    // UTF-8 to UTF-16 code units.
    for (std::size_t i = 0; i < utf8Name.size();) {
      auto c = static_cast<unsigned char>(utf8Name[i]);
      char32_t cp = c;
      std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
      if (len > 1 && i + len <= utf8Name.size()) {
        cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8Name[i + k]) & 0x3F);
      } else {
        len = 1;
      }
      if (cp >= 0x10000) {
        cp -= 0x10000;
        units += static_cast<char16_t>(0xD800 + (cp >> 10));
        units += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
      } else {
        units += static_cast<char16_t>(cp);
      }
      i += len;
    }
    w.U32(static_cast<std::uint32_t>(units.size()));
    for (char16_t u : units) w.U16(u);
    return {kExtraEngineUnicode, std::string(w.Data().begin(), w.Data().end())};
  }

  TZABaseArchiver& a_;
  TZAStream& s_;
  TZADirManager& dir_;
  std::uint64_t truncatePos_ = 0;
  TailFile tail_;
};

void TZABaseArchiver::Commit() {
  TZACommit commit(*this);
  commit.Run();
}

}  // namespace engine
