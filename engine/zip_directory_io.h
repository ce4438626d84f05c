#pragma once
// Reading the member directory of an archive (end-record search, Zip64 records, the central
// headers, stub detection), rebuilding it from local headers, and writing it back.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/za_directory.h"
#include "engine/za_stream.h"

namespace engine {

// Fills `dir` from the archive; rebuilds from local headers when no valid end record is
// found or the directory cannot be read. Throws EZAException 35 (nothing found) or 40 (a
// Zip64 locator without its record).
void ReadArchiveDirectory(TZAStream& archive, TZADirManager& dir, bool oemNames);
// The rebuild alone (the directory offset becomes the archive's size).
void RebuildDirectory(TZAStream& archive, TZADirManager& dir, bool oemNames);

// Writes the central directory and the end records at the archive's current position and
// cuts the archive behind them; records where the directory went in `dir`.
void WriteCentralDirectory(TZAStream& archive, TZADirManager& dir, bool oemNames);

// Applies the extra fields of a header to an item: Zip64 values, AES strength and method,
// the Unicode name fields. Keeps every field but Zip64 in item.Extras.
void ApplyExtraFields(TDirItem& item, const std::string& extraBlock, const std::string& rawName);

// The offset of the first `sig` at or after `from`, searched in overlapping windows.
std::optional<std::uint64_t> FindSignature(TZAStream& s, std::uint64_t from, std::uint32_t sig);

}  // namespace engine
