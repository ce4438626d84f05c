#pragma once
// The ZIP records as the archive stores them: local and central headers, end records, the
// Zip64 records and the extra fields the engine writes or understands.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/zip_bytes.h"

namespace engine {

constexpr std::uint32_t kLocalHeaderSig = 0x04034B50;
constexpr std::uint32_t kCentralHeaderSig = 0x02014B50;
constexpr std::uint32_t kEndRecordSig = 0x06054B50;
constexpr std::uint32_t kZip64EndRecordSig = 0x06064B50;
constexpr std::uint32_t kZip64LocatorSig = 0x07064B50;
constexpr std::uint32_t kDataDescriptorSig = 0x08074B50;

constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kZip64EndRecordSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;

constexpr std::uint32_t kMarker32 = 0xFFFFFFFF;
constexpr std::uint16_t kMarker16 = 0xFFFF;

constexpr std::uint16_t kExtraZip64 = 0x0001;
constexpr std::uint16_t kExtraAes = 0x9901;
constexpr std::uint16_t kExtraEngineUnicode = 0x554E;  // "NU": the engine's own name field
constexpr std::uint16_t kExtraUnicodePath = 0x7075;    // Info-ZIP's UTF-8 path field

constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDescriptor = 0x0008;
constexpr std::uint16_t kFlagUtf8 = 0x0800;

constexpr std::uint16_t kVersionOem = 0x0014;     // 2.0, MS-DOS host
constexpr std::uint16_t kVersionNtfs = 0x0B14;    // 2.0, NTFS host
constexpr std::uint16_t kVersionZip64 = 0x002D;   // 4.5
constexpr std::uint16_t kVersionAesLimit = 0x4114;

// Stored (0), Deflate (8) and Deflate64 (9) are named by the compression layer.
constexpr std::uint16_t kMethodAes = 99;

struct LocalHeader {
  std::uint16_t versionNeeded = 0, flags = 0, method = 0, time = 0, date = 0;
  std::uint32_t crc = 0, compressedSize = 0, uncompressedSize = 0;
  std::uint16_t nameLength = 0, extraLength = 0;
};

struct CentralHeader {
  std::uint16_t versionMadeBy = 0, versionNeeded = 0, flags = 0, method = 0, time = 0, date = 0;
  std::uint32_t crc = 0, compressedSize = 0, uncompressedSize = 0;
  std::uint16_t nameLength = 0, extraLength = 0, commentLength = 0, diskStart = 0,
                internalAttributes = 0;
  std::uint32_t externalAttributes = 0, localHeaderOffset = 0;
};

struct EndRecord {
  std::uint16_t thisDisk = 0, directoryDisk = 0, entriesThisDisk = 0, totalEntries = 0;
  std::uint32_t directorySize = 0, directoryOffset = 0;
  std::uint16_t commentLength = 0;
};

struct Zip64EndRecord {
  std::uint64_t recordSize = 44;
  std::uint16_t versionMadeBy = kVersionZip64, versionNeeded = kVersionZip64;
  std::uint32_t thisDisk = 0, directoryDisk = 0;
  std::uint64_t entriesThisDisk = 0, totalEntries = 0, directorySize = 0, directoryOffset = 0;
};

struct Zip64Locator {
  std::uint32_t disk = 0;
  std::uint64_t offset = 0;
  std::uint32_t totalDisks = 1;
};

struct ExtraField {
  std::uint16_t id = 0;
  std::string data;
};

// Each Read* expects the reader at the signature and checks it; nullopt when the signature
// differs or the bytes run out.
std::optional<LocalHeader> ReadLocalHeader(ByteReader& r);
std::optional<CentralHeader> ReadCentralHeader(ByteReader& r);
std::optional<EndRecord> ReadEndRecord(ByteReader& r);
std::optional<Zip64EndRecord> ReadZip64EndRecord(ByteReader& r);
std::optional<Zip64Locator> ReadZip64Locator(ByteReader& r);

void WriteLocalHeader(ByteWriter& w, const LocalHeader& h);
void WriteCentralHeader(ByteWriter& w, const CentralHeader& h);
void WriteEndRecord(ByteWriter& w, const EndRecord& e);
void WriteZip64EndRecord(ByteWriter& w, const Zip64EndRecord& e);
void WriteZip64Locator(ByteWriter& w, const Zip64Locator& l);

// Extra fields in order; a size running past the block is cut to what remains.
std::vector<ExtraField> SplitExtraFields(const std::string& block);
void WriteExtraField(ByteWriter& w, const ExtraField& f);

// The 7-byte AES field: vendor version, "AE", strength, actual method.
ExtraField MakeAesExtra(std::uint8_t strength, std::uint16_t actualMethod,
                        std::uint16_t vendorVersion = 2);
struct AesExtra {
  std::uint16_t vendorVersion = 0;
  std::uint8_t strength = 0;
  std::uint16_t actualMethod = 0;
};
std::optional<AesExtra> ParseAesExtra(const std::string& data);

}  // namespace engine
