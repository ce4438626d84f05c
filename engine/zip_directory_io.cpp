#include "engine/zip_directory_io.h"

#include <algorithm>
#include <vector>
#include <zlib.h>

#include "engine/za_exception.h"
#include "engine/zip_names.h"
#include "platform/code_page.h"

namespace engine {
namespace {

constexpr std::uint64_t kEndSearchSpan = 65600;

std::span<const std::uint8_t> AsBytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Reads up to n bytes at pos (fewer at the end of the archive).
std::vector<std::uint8_t> ReadAt(TZAStream& s, std::uint64_t pos, std::size_t n) {
  std::vector<std::uint8_t> buf;
  std::uint64_t size = s.Size();
  if (pos >= size) return buf;
  n = static_cast<std::size_t>(std::min<std::uint64_t>(n, size - pos));
  buf.resize(n);
  s.Seek(pos);
  std::size_t got = 0;
  while (got < n) {
    std::size_t k = s.Read(std::span<std::uint8_t>(buf).subspan(got));
    if (k == 0) break;
    got += k;
  }
  buf.resize(got);
  return buf;
}

std::string ToString(std::span<const std::uint8_t> s) { return {s.begin(), s.end()}; }

struct FoundEnd {
  std::uint64_t position = 0;
  EndRecord record;
  std::string comment;
};

std::optional<FoundEnd> FindEndRecord(TZAStream& s) {
  const std::uint64_t size = s.Size();
  if (size < kEndRecordSize) return std::nullopt;
  const std::uint64_t span = std::min(size, kEndSearchSpan);
  const std::uint64_t start = size - span;
  std::vector<std::uint8_t> tail = ReadAt(s, start, static_cast<std::size_t>(span));
  if (tail.size() < kEndRecordSize) return std::nullopt;
  for (std::size_t p = tail.size() - kEndRecordSize + 1; p-- > 0;) {
    if (tail[p] != 'P' || tail[p + 1] != 'K' || tail[p + 2] != 5 || tail[p + 3] != 6) continue;
    ByteReader r(std::span<const std::uint8_t>(tail).subspan(p));
    auto e = ReadEndRecord(r);
    if (!e) continue;
    const std::uint64_t after = start + p + kEndRecordSize;  // P
    const std::uint64_t remaining = tail.size() - p - kEndRecordSize;
    if (e->directoryDisk > e->thisDisk) continue;
    if (e->entriesThisDisk > e->totalEntries) continue;
    if (e->directorySize != kMarker32 && e->directorySize >= after) continue;
    if (e->directoryDisk == e->thisDisk && e->directoryOffset != kMarker32 &&
        e->directorySize != kMarker32 && e->directoryOffset >= after - e->directorySize) {
      continue;
    }
    if (remaining < e->commentLength) continue;
    FoundEnd found;
    found.position = start + p;
    found.record = *e;
    found.comment = ToString(std::span<const std::uint8_t>(tail).subspan(
        p + kEndRecordSize, e->commentLength));
    return found;
  }
  return std::nullopt;
}

// The item a central header describes, with its name, extra fields and comment.
bool ReadCentralItem(ByteReader& r, bool oemNames, TDirItem& item) {
  auto h = ReadCentralHeader(r);
  if (!h) return false;
  std::string rawName = r.Bytes(h->nameLength);
  std::string extra = r.Bytes(h->extraLength);
  std::string comment = r.Bytes(h->commentLength);
  if (!r.Ok()) return false;
  item = TDirItem{};
  item.Header = *h;
  item.ActualMethod = h->method;
  item.UncompressedSize64 = h->uncompressedSize;
  item.CompressedSize64 = h->compressedSize;
  item.LocalHeaderOffset64 = h->localHeaderOffset;
  item.DiskNumber32 = h->diskStart;
  item.Name = DecodeName(rawName, h->flags, oemNames);
  item.Comment = std::move(comment);
  ApplyExtraFields(item, extra, rawName);
  return true;
}

// Does the local header at `pos` describe `item` (the stub check)?
bool LocalHeaderMatches(TZAStream& s, std::uint64_t pos, const TDirItem& item) {
  auto bytes = ReadAt(s, pos, kLocalHeaderSize);
  ByteReader r(bytes);
  auto h = ReadLocalHeader(r);
  if (!h) return false;
  if (pos == 0) return true;
  if (h->method != item.Header.method || h->time != item.Header.time ||
      h->date != item.Header.date) {
    return false;
  }
  if (h->flags & kFlagDescriptor) return true;
  return h->crc == item.Header.crc &&
         (h->compressedSize == item.Header.compressedSize || h->compressedSize == kMarker32) &&
         (h->uncompressedSize == item.Header.uncompressedSize ||
          h->uncompressedSize == kMarker32);
}

void DetectStub(TZAStream& s, TZADirManager& dir, std::uint64_t endPosition) {
  auto& cur = dir.Current;
  if (cur.Count() == 0) {
    dir.StubSize = endPosition;
    return;
  }
  const TDirItem& first = cur.At(0);
  std::uint64_t recorded = first.LocalHeaderOffset64;
  if (LocalHeaderMatches(s, recorded, first)) {
    dir.StubSize = recorded;
    return;
  }
  // Search forward for the first member's header: the bytes before it are a stub the
  // recorded offsets do not count.
  std::uint64_t from = recorded;
  while (auto found = FindSignature(s, from, kLocalHeaderSig)) {
    if (*found >= dir.DirectoryOffset) break;
    if (LocalHeaderMatches(s, *found, first)) {
      const std::uint64_t shift = *found - recorded;
      dir.StubSize = *found;
      for (int i = 0; i < cur.Count(); ++i) cur.Item(i).LocalHeaderOffset64 += shift;
      return;
    }
    from = *found + 4;
  }
  dir.StubSize = 0;
}

bool ReadDirectoryFromEnd(TZAStream& s, TZADirManager& dir, bool oemNames) {
  auto end = FindEndRecord(s);
  if (!end) return false;
  const std::uint64_t size = s.Size();
  std::uint64_t entries = end->record.totalEntries;
  std::uint64_t dirSize = end->record.directorySize;
  std::uint64_t base = end->position;  // the directory ends here
  bool zip64 = false;
  Zip64EndRecord end64;
  if (end->position >= kZip64LocatorSize) {
    auto locBytes = ReadAt(s, end->position - kZip64LocatorSize, kZip64LocatorSize);
    ByteReader lr(locBytes);
    if (auto loc = ReadZip64Locator(lr)) {
      std::optional<Zip64EndRecord> rec;
      std::uint64_t recPos = loc->offset;
      if (recPos <= size && size - recPos >= kZip64EndRecordSize) {
        auto recBytes = ReadAt(s, recPos, kZip64EndRecordSize);
        ByteReader rr(recBytes);
        rec = ReadZip64EndRecord(rr);
      }
      if (!rec) throw EZAException(40);
      zip64 = true;
      end64 = *rec;
      entries = rec->totalEntries;
      dirSize = rec->directorySize;
      base = recPos;
    }
  }
  if (dirSize > base) return false;
  // Every header takes at least 46 bytes: a count the directory cannot hold is damage.
  if (entries > dirSize / kCentralHeaderSize) return false;
  const std::uint64_t dirStart = base - dirSize;
  std::vector<std::uint8_t> block = ReadAt(s, dirStart, static_cast<std::size_t>(dirSize));
  if (block.size() != dirSize) return false;
  ByteReader r(block);
  dir.Current.Clear();
  for (std::uint64_t i = 0; i < entries; ++i) {
    TDirItem item;
    if (!ReadCentralItem(r, oemNames, item)) {
      dir.Current.Clear();
      return false;
    }
    dir.Current.Append(item);
  }
  dir.End = end->record;
  dir.End64 = end64;
  dir.Zip64 = zip64;
  dir.Comment = end->comment;
  dir.DirectoryOffset = dirStart;
  DetectStub(s, dir, end->position);
  return true;
}

// Finds the data descriptor of a streamed member whose data starts at dataStart: with its
// signature, or without it when another record follows right behind.
bool FindDataDescriptor(TZAStream& s, std::uint64_t dataStart, TDirItem& item) {
  constexpr std::size_t kWindow = 65536;
  std::uint64_t pos = dataStart;
  const std::uint64_t size = s.Size();
  while (pos < size) {
    auto buf = ReadAt(s, pos, kWindow + 24);
    if (buf.size() < 12) return false;
    const std::size_t limit = std::min(buf.size(), kWindow);
    for (std::size_t d = 0; d < limit; ++d) {
      const std::uint64_t abs = pos + d;
      const std::uint8_t* p = buf.data() + d;
      const std::size_t left = buf.size() - d;
      if (left >= 16 && GetU32(p) == kDataDescriptorSig && GetU32(p + 8) == abs - dataStart) {
        item.Header.crc = GetU32(p + 4);
        item.CompressedSize64 = GetU32(p + 8);
        item.UncompressedSize64 = GetU32(p + 12);
        return true;
      }
      if (left >= 24 && GetU32(p) == kDataDescriptorSig && GetU32(p + 8) + (std::uint64_t{GetU32(p + 12)} << 32) == abs - dataStart) {
        item.Header.crc = GetU32(p + 4);
        item.CompressedSize64 = abs - dataStart;
        item.UncompressedSize64 = GetU32(p + 16) + (std::uint64_t{GetU32(p + 20)} << 32);
        item.NeedsZip64 = true;
        return true;
      }
      if (left >= 16 && GetU32(p + 4) == abs - dataStart && p[12] == 'P' && p[13] == 'K' &&
          ((p[14] == 3 && p[15] == 4) || (p[14] == 1 && p[15] == 2) ||
           (p[14] == 5 && p[15] == 6))) {
        item.Header.crc = GetU32(p);
        item.CompressedSize64 = GetU32(p + 4);
        item.UncompressedSize64 = GetU32(p + 8);
        return true;
      }
    }
    pos += limit;
  }
  return false;
}

}  // namespace

std::optional<std::uint64_t> FindSignature(TZAStream& s, std::uint64_t from, std::uint32_t sig) {
  constexpr std::size_t kWindow = 10000;
  const std::uint64_t size = s.Size();
  while (from + 4 <= size) {
    auto buf = ReadAt(s, from, kWindow);
    if (buf.size() < 4) return std::nullopt;
    for (std::size_t i = 0; i + 4 <= buf.size(); ++i) {
      if (GetU32(buf.data() + i) == sig) return from + i;
    }
    from += buf.size() - 3;  // windows overlap by the signature's length
  }
  return std::nullopt;
}

void ApplyExtraFields(TDirItem& item, const std::string& extraBlock, const std::string& rawName) {
  if (item.Encrypted() && item.Header.versionNeeded < kVersionAesLimit) item.AesStrength = 0;
  for (ExtraField& f : SplitExtraFields(extraBlock)) {
    if (f.id == kExtraZip64) {
      ByteReader r(AsBytes(f.data));
      if (item.Header.uncompressedSize == kMarker32) {
        std::uint64_t v = r.U64();
        if (r.Ok()) item.UncompressedSize64 = v;
      }
      if (item.Header.compressedSize == kMarker32) {
        std::uint64_t v = r.U64();
        if (r.Ok()) item.CompressedSize64 = v;
      }
      if (item.Header.localHeaderOffset == kMarker32) {
        std::uint64_t v = r.U64();
        if (r.Ok()) item.LocalHeaderOffset64 = v;
      }
      if (item.Header.diskStart == kMarker16) {
        std::uint32_t v = r.U32();
        if (r.Ok()) item.DiskNumber32 = v;
      }
      item.NeedsZip64 = true;
      continue;  // rebuilt from the 64-bit values on writing
    }
    if (f.id == kExtraAes && item.Header.versionNeeded < kVersionAesLimit) {
      if (auto aes = ParseAesExtra(f.data)) {
        item.AesStrength = aes->strength;
        item.ActualMethod = aes->actualMethod;
      }
    } else if (f.id == kExtraEngineUnicode && f.data.size() >= 8 &&
               f.data.compare(0, 4, "NUCX") == 0) {
      ByteReader r(AsBytes(f.data));
      r.Skip(4);
      std::uint64_t units = r.U32();
      if (units * 2 <= f.data.size() - 8) {
        item.Name = platform::Utf16LeToUtf8(std::string_view(f.data).substr(8, units * 2));
      }
    } else if (f.id == kExtraUnicodePath && f.data.size() >= 5 && f.data[0] == 1) {
      // Info-ZIP's UTF-8 path: valid only while it belongs to the name beside it.
      std::uint32_t crc = GetU32(reinterpret_cast<const std::uint8_t*>(f.data.data()) + 1);
      uLong actual = crc32(0L, reinterpret_cast<const Bytef*>(rawName.data()),
                           static_cast<uInt>(rawName.size()));
      std::string name = f.data.substr(5);
      if (crc == actual && platform::IsValidUtf8(name) && !name.empty()) item.Name = name;
    }
    item.Extras.push_back(std::move(f));
  }
}

void RebuildDirectory(TZAStream& s, TZADirManager& dir, bool oemNames) {
  dir.Current.Clear();
  dir.Zip64 = false;
  dir.Comment.clear();
  const std::uint64_t size = s.Size();
  std::uint64_t from = 0;
  bool any = false;
  while (auto q = FindSignature(s, from, kLocalHeaderSig)) {
    any = true;
    from = *q + 4;
    auto bytes = ReadAt(s, *q, kLocalHeaderSize);
    ByteReader r(bytes);
    auto h = ReadLocalHeader(r);
    if (!h || h->compressedSize >= size || h->extraLength > 260) continue;
    TDirItem item;
    item.Header.versionMadeBy = h->versionNeeded;
    item.Header.versionNeeded = h->versionNeeded;
    item.Header.flags = h->flags;
    item.Header.method = h->method;
    item.Header.time = h->time;
    item.Header.date = h->date;
    item.Header.crc = h->crc;
    item.Header.compressedSize = h->compressedSize;
    item.Header.uncompressedSize = h->uncompressedSize;
    item.Header.externalAttributes =
        (h->uncompressedSize != 0 || (h->flags & kFlagDescriptor)) ? kFaArchive : kFaDirectory;
    item.Header.localHeaderOffset = static_cast<std::uint32_t>(std::min<std::uint64_t>(*q, kMarker32));
    item.ActualMethod = h->method;
    item.CompressedSize64 = h->compressedSize;
    item.UncompressedSize64 = h->uncompressedSize;
    item.LocalHeaderOffset64 = *q;
    const std::uint64_t nameStart = *q + kLocalHeaderSize;
    std::string rawName;
    if (nameStart + h->nameLength <= size) {
      auto nb = ReadAt(s, nameStart, h->nameLength);
      rawName.assign(nb.begin(), nb.end());
    }
    auto eb = ReadAt(s, nameStart + h->nameLength, h->extraLength);
    std::string extra(eb.begin(), eb.end());
    item.Name = DecodeName(rawName, h->flags, oemNames);
    item.Header.localHeaderOffset = *q >= kMarker32 ? kMarker32 : static_cast<std::uint32_t>(*q);
    ApplyExtraFields(item, extra, rawName);
    if (*q >= kMarker32) item.NeedsZip64 = true;
    if (h->flags & kFlagDescriptor) {
      FindDataDescriptor(s, nameStart + h->nameLength + h->extraLength, item);
    }
    dir.Current.Append(item);
  }
  if (!any) throw EZAException(35);
  dir.DirectoryOffset = size;
  dir.StubSize = 0;
  dir.End = EndRecord{};
}

void ReadArchiveDirectory(TZAStream& archive, TZADirManager& dir, bool oemNames) {
  if (!ReadDirectoryFromEnd(archive, dir, oemNames)) RebuildDirectory(archive, dir, oemNames);
}

}  // namespace engine
