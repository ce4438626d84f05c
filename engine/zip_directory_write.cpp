#include <algorithm>

#include "engine/za_exception.h"
#include "engine/zip_directory_io.h"
#include "engine/zip_names.h"

namespace engine {
namespace {

std::uint32_t Short32(std::uint64_t value, bool forceMarker) {
  return (forceMarker || value >= kMarker32) ? kMarker32 : static_cast<std::uint32_t>(value);
}

void AppendCentralRecord(std::string& out, const TDirItem& item, bool oemNames) {
  CentralHeader h = item.Header;
  EncodedName enc = EncodeName(item.Name, oemNames);
  if (enc.utf8) {
    h.flags |= kFlagUtf8;
  } else {
    h.flags &= static_cast<std::uint16_t>(~kFlagUtf8);
  }
  const bool marked = item.NeedsZip64;
  h.uncompressedSize = Short32(item.UncompressedSize64, marked && h.uncompressedSize == kMarker32);
  h.compressedSize = Short32(item.CompressedSize64, marked && h.compressedSize == kMarker32);
  h.localHeaderOffset =
      Short32(item.LocalHeaderOffset64, marked && h.localHeaderOffset == kMarker32);
  h.diskStart = item.DiskNumber32 >= kMarker16 ? kMarker16 : static_cast<std::uint16_t>(item.DiskNumber32);
  ByteWriter z;
  if (h.uncompressedSize == kMarker32) z.U64(item.UncompressedSize64);
  if (h.compressedSize == kMarker32) z.U64(item.CompressedSize64);
  if (h.localHeaderOffset == kMarker32) z.U64(item.LocalHeaderOffset64);
  if (h.diskStart == kMarker16) z.U32(item.DiskNumber32);
  ByteWriter extras;
  if (!z.Data().empty()) {
    WriteExtraField(extras, {kExtraZip64, std::string(z.Data().begin(), z.Data().end())});
  }
  for (const ExtraField& f : item.Extras) WriteExtraField(extras, f);
  h.nameLength = static_cast<std::uint16_t>(std::min<std::size_t>(enc.bytes.size(), 0xFFFF));
  h.extraLength = static_cast<std::uint16_t>(std::min<std::size_t>(extras.Data().size(), 0xFFFF));
  h.commentLength = static_cast<std::uint16_t>(std::min<std::size_t>(item.Comment.size(), 0xFFFF));
  ByteWriter w;
  WriteCentralHeader(w, h);
  w.Bytes(std::string_view(enc.bytes).substr(0, h.nameLength));
  w.Bytes(std::span<const std::uint8_t>(extras.Data()).subspan(0, h.extraLength));
  w.Bytes(std::string_view(item.Comment).substr(0, h.commentLength));
  out.append(w.Data().begin(), w.Data().end());
}

}  // namespace

void WriteCentralDirectory(TZAStream& archive, TZADirManager& dir, bool oemNames) {
  const std::uint64_t offset = archive.Position();
  const int count = dir.Current.Count();
  TZADirectoryBytes& cache = dir.WrittenDirectory;
  if (cache.oemNames != oemNames) cache = TZADirectoryBytes{};
  cache.oemNames = oemNames;
  std::size_t keep = 0;
  const std::size_t n = std::min(cache.items.size(), static_cast<std::size_t>(count));
  // The cache holds its records alive, so an address seen again is the same record.
  while (keep < n && cache.items[keep].get() == dir.Current.Raw(static_cast<int>(keep))) ++keep;
  cache.items.resize(keep);
  cache.ends.resize(keep);
  cache.bytes.resize(keep == 0 ? 0 : cache.ends.back());
  for (int i = static_cast<int>(keep); i < count; ++i) {
    AppendCentralRecord(cache.bytes, dir.Current.At(i), oemNames);
    cache.items.push_back(dir.Current.Ptr(i));
    cache.ends.push_back(cache.bytes.size());
  }
  const std::uint64_t dirSize = cache.bytes.size();
  const std::uint64_t endPosition = offset + dirSize;
  ByteWriter w;
  EndRecord e;
  e.entriesThisDisk = e.totalEntries =
      count > 65534 ? kMarker16 : static_cast<std::uint16_t>(count);
  e.directorySize = dirSize >= kMarker32 ? kMarker32 : static_cast<std::uint32_t>(dirSize);
  e.directoryOffset = offset >= kMarker32 ? kMarker32 : static_cast<std::uint32_t>(offset);
  e.commentLength = static_cast<std::uint16_t>(std::min<std::size_t>(dir.Comment.size(), 0xFFFF));
  dir.Zip64 = false;
  if (endPosition >= kMarker32 || count >= 65535) {
    Zip64EndRecord e64;
    e64.entriesThisDisk = e64.totalEntries = static_cast<std::uint64_t>(count);
    e64.directorySize = dirSize;
    e64.directoryOffset = offset;
    WriteZip64EndRecord(w, e64);
    Zip64Locator loc;
    loc.offset = endPosition;
    WriteZip64Locator(w, loc);
    dir.End64 = e64;
    dir.Zip64 = true;
  }
  WriteEndRecord(w, e);
  w.Bytes(std::string_view(dir.Comment).substr(0, e.commentLength));
  archive.Write({reinterpret_cast<const std::uint8_t*>(cache.bytes.data()), cache.bytes.size()});
  archive.Write(w.Data());
  // Cut what an older, longer directory left behind. Truncating only here, never before
  // the members are written, lets an append grow the file without freeing and allocating
  // its last blocks again at every commit.
  if (archive.Size() > archive.Position()) archive.Truncate(archive.Position());
  dir.End = e;
  dir.DirectoryOffset = offset;
}

}  // namespace engine
