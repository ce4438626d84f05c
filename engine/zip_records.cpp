#include "engine/zip_records.h"

namespace engine {

std::optional<LocalHeader> ReadLocalHeader(ByteReader& r) {
  if (r.U32() != kLocalHeaderSig) return std::nullopt;
  LocalHeader h;
  h.versionNeeded = r.U16();
  h.flags = r.U16();
  h.method = r.U16();
  h.time = r.U16();
  h.date = r.U16();
  h.crc = r.U32();
  h.compressedSize = r.U32();
  h.uncompressedSize = r.U32();
  h.nameLength = r.U16();
  h.extraLength = r.U16();
  if (!r.Ok()) return std::nullopt;
  return h;
}

std::optional<CentralHeader> ReadCentralHeader(ByteReader& r) {
  if (r.U32() != kCentralHeaderSig) return std::nullopt;
  CentralHeader h;
  h.versionMadeBy = r.U16();
  h.versionNeeded = r.U16();
  h.flags = r.U16();
  h.method = r.U16();
  h.time = r.U16();
  h.date = r.U16();
  h.crc = r.U32();
  h.compressedSize = r.U32();
  h.uncompressedSize = r.U32();
  h.nameLength = r.U16();
  h.extraLength = r.U16();
  h.commentLength = r.U16();
  h.diskStart = r.U16();
  h.internalAttributes = r.U16();
  h.externalAttributes = r.U32();
  h.localHeaderOffset = r.U32();
  if (!r.Ok()) return std::nullopt;
  return h;
}

std::optional<EndRecord> ReadEndRecord(ByteReader& r) {
  if (r.U32() != kEndRecordSig) return std::nullopt;
  EndRecord e;
  e.thisDisk = r.U16();
  e.directoryDisk = r.U16();
  e.entriesThisDisk = r.U16();
  e.totalEntries = r.U16();
  e.directorySize = r.U32();
  e.directoryOffset = r.U32();
  e.commentLength = r.U16();
  if (!r.Ok()) return std::nullopt;
  return e;
}

std::optional<Zip64EndRecord> ReadZip64EndRecord(ByteReader& r) {
  if (r.U32() != kZip64EndRecordSig) return std::nullopt;
  Zip64EndRecord e;
  e.recordSize = r.U64();
  e.versionMadeBy = r.U16();
  e.versionNeeded = r.U16();
  e.thisDisk = r.U32();
  e.directoryDisk = r.U32();
  e.entriesThisDisk = r.U64();
  e.totalEntries = r.U64();
  e.directorySize = r.U64();
  e.directoryOffset = r.U64();
  if (!r.Ok()) return std::nullopt;
  return e;
}

std::optional<Zip64Locator> ReadZip64Locator(ByteReader& r) {
  if (r.U32() != kZip64LocatorSig) return std::nullopt;
  Zip64Locator l;
  l.disk = r.U32();
  l.offset = r.U64();
  l.totalDisks = r.U32();
  if (!r.Ok()) return std::nullopt;
  return l;
}

void WriteLocalHeader(ByteWriter& w, const LocalHeader& h) {
  w.U32(kLocalHeaderSig);
  w.U16(h.versionNeeded);
  w.U16(h.flags);
  w.U16(h.method);
  w.U16(h.time);
  w.U16(h.date);
  w.U32(h.crc);
  w.U32(h.compressedSize);
  w.U32(h.uncompressedSize);
  w.U16(h.nameLength);
  w.U16(h.extraLength);
}

void WriteCentralHeader(ByteWriter& w, const CentralHeader& h) {
  w.U32(kCentralHeaderSig);
  w.U16(h.versionMadeBy);
  w.U16(h.versionNeeded);
  w.U16(h.flags);
  w.U16(h.method);
  w.U16(h.time);
  w.U16(h.date);
  w.U32(h.crc);
  w.U32(h.compressedSize);
  w.U32(h.uncompressedSize);
  w.U16(h.nameLength);
  w.U16(h.extraLength);
  w.U16(h.commentLength);
  w.U16(h.diskStart);
  w.U16(h.internalAttributes);
  w.U32(h.externalAttributes);
  w.U32(h.localHeaderOffset);
}

void WriteEndRecord(ByteWriter& w, const EndRecord& e) {
  w.U32(kEndRecordSig);
  w.U16(e.thisDisk);
  w.U16(e.directoryDisk);
  w.U16(e.entriesThisDisk);
  w.U16(e.totalEntries);
  w.U32(e.directorySize);
  w.U32(e.directoryOffset);
  w.U16(e.commentLength);
}

void WriteZip64EndRecord(ByteWriter& w, const Zip64EndRecord& e) {
  w.U32(kZip64EndRecordSig);
  w.U64(44);
  w.U16(e.versionMadeBy);
  w.U16(e.versionNeeded);
  w.U32(e.thisDisk);
  w.U32(e.directoryDisk);
  w.U64(e.entriesThisDisk);
  w.U64(e.totalEntries);
  w.U64(e.directorySize);
  w.U64(e.directoryOffset);
}

void WriteZip64Locator(ByteWriter& w, const Zip64Locator& l) {
  w.U32(kZip64LocatorSig);
  w.U32(l.disk);
  w.U64(l.offset);
  w.U32(l.totalDisks);
}

std::vector<ExtraField> SplitExtraFields(const std::string& block) {
  std::vector<ExtraField> fields;
  std::size_t pos = 0;
  while (block.size() - pos >= 4) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(block.data()) + pos;
    ExtraField f;
    f.id = GetU16(p);
    std::size_t size = GetU16(p + 2);
    pos += 4;
    if (size > block.size() - pos) size = block.size() - pos;
    f.data = block.substr(pos, size);
    pos += size;
    fields.push_back(std::move(f));
  }
  return fields;
}

void WriteExtraField(ByteWriter& w, const ExtraField& f) {
  w.U16(f.id);
  w.U16(static_cast<std::uint16_t>(f.data.size()));
  w.Bytes(f.data);
}

ExtraField MakeAesExtra(std::uint8_t strength, std::uint16_t actualMethod,
                        std::uint16_t vendorVersion) {
  ByteWriter w;
  w.U16(vendorVersion);
  w.U8('A');
  w.U8('E');
  w.U8(strength);
  w.U16(actualMethod);
  return {kExtraAes, std::string(w.Data().begin(), w.Data().end())};
}

std::optional<AesExtra> ParseAesExtra(const std::string& data) {
  ByteReader r({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()});
  AesExtra a;
  a.vendorVersion = r.U16();
  std::string vendor = r.Bytes(2);
  a.strength = r.U8();
  a.actualMethod = r.U16();
  if (!r.Ok() || vendor != "AE" || a.strength < 1 || a.strength > 3) return std::nullopt;
  return a;
}

}  // namespace engine
