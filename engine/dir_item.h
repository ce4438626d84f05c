#pragma once
// One member of the open archive as the engine keeps it in memory.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/za_types.h"
#include "engine/zip_records.h"

namespace engine {

struct TDirItem {
  CentralHeader Header;  // 32-bit fields as last read or written
  std::string Name;      // UTF-8, "/" separators, folders end with "/"
  std::string PreviousName;
  std::string Comment;   // raw bytes
  std::vector<ExtraField> Extras;  // never the Zip64 field: it is rebuilt on writing
  std::uint8_t AesStrength = 0;    // 0 none, 1..3 = 128/192/256-bit
  bool NeedsZip64 = false;
  // The member's true sizes and offset, whatever the 32-bit fields hold.
  std::uint64_t UncompressedSize64 = 0;
  std::uint64_t CompressedSize64 = 0;
  std::uint64_t LocalHeaderOffset64 = 0;
  std::uint32_t DiskNumber32 = 0;
  bool Modified = false;
  std::string MemberPassword;
  bool Selected = false;
  std::string SourceFileName;
  std::uint16_t ActualMethod = 0;
  std::uint8_t Level = 0;
  TZAProcessOperation Operation = poAdd;

  bool Encrypted() const noexcept { return (Header.flags & kFlagEncrypted) != 0; }
  bool IsFolder() const noexcept {
    return (Header.externalAttributes & kFaDirectory) != 0 ||
           (!Name.empty() && Name.back() == '/');
  }
  bool IsAes() const noexcept {
    return Encrypted() && Header.versionNeeded < kVersionAesLimit && AesStrength >= 1 &&
           AesStrength <= 3;
  }
};

}  // namespace engine
