#pragma once
// The member data loop over zlib: raw Deflate (no zlib header, no Adler-32) or stored data,
// the CRC-32 of the uncompressed bytes, the cipher step, progress and cancellation.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>

#include "engine/crypto/member_cipher.h"
#include "engine/data_stream.h"

namespace engine {

class EZlibError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// "error " + zlib's result code, e.g. "error -2".
class ECompressionError : public EZlibError {
 public:
  using EZlibError::EZlibError;
};
// "error".
class EDecompressionError : public EZlibError {
 public:
  using EZlibError::EZlibError;
};

inline constexpr int kMethodStored = 0;
inline constexpr int kMethodDeflate = 8;
inline constexpr int kMethodDeflate64 = 9;

inline constexpr std::size_t kReadBlockSize = 1048576;    // stored data per read, inflate output
inline constexpr std::size_t kStoredPieceSize = 65535;    // copy piece of stored members

// Source bytes per deflate block at a level: 0 and 4-6 1 MiB, 1-3 512 KiB, 7-9 1.5 MiB.
std::size_t CompressionBlockSize(int level) noexcept;

// Called between blocks with the bytes done so far (source bytes when compressing, stored
// bytes when decompressing); setting `cancel` stops the loop after that block.
using TZADataProgress = std::function<void(std::uint64_t bytesDone, bool& cancel)>;

struct TZACompressRequest {
  int level = 1;                  // 0..9, zlib's level for method 8
  int method = kMethodDeflate;    // 0 or 8; an empty source is always stored (0)
  std::uint64_t sourceSize = 0;   // the size the blocks are cut by (normally source.Size())
  TZAMemberCipher* cipher = nullptr;
  TZADataProgress progress;
};

struct TZACompressResult {
  int method = kMethodStored;          // the method actually written
  std::uint64_t compressedSize = 0;    // bytes written, encryption header and trailer included
  std::uint64_t uncompressedSize = 0;  // source bytes read and written
  std::uint32_t crc32 = 0;
  bool cancelled = false;
  bool shortRead = false;      // the source ended before sourceSize
  bool writeFailed = false;    // a write was short; the member's data ends there
  bool sourceChanged = false;  // the CRC pre-pass and the data pass read different bytes
  bool Complete() const noexcept { return !cancelled && !shortRead && !writeFailed && !sourceChanged; }
};

// Writes one member's data to `archive`. Throws ECompressionError for a zlib failure (a level
// outside 0..9 is "error -2", as zlib reports it) and std::invalid_argument for a method
// other than 0 and 8.
TZACompressResult CompressMemberData(const TZACompressRequest& request, TZASourceStream& source,
                                     TZAWriteStream& archive);

enum class TZADecodeStatus {
  kOk,                 // decoded (size and CRC are the caller's to check)
  kDeflate64,          // method 9: "Deflate64 compression method is not supported"
  kUnsupportedMethod,  // neither 0 nor 8
  kCorrupt,            // inflate failed: the data cannot be decoded
  kLimitExceeded,      // the data decodes to more than outputLimit bytes
  kTruncated,          // the archive ended before dataLength bytes
  kCancelled,
  kWriteFailed,        // the destination took fewer bytes than given
};

// The message the engine shows for a status ("" for kOk).
const char* DecodeStatusMessage(TZADecodeStatus status) noexcept;

struct TZADecompressRequest {
  int method = kMethodDeflate;
  std::uint64_t dataLength = 0;  // stored bytes without the encryption header and trailer
  // Never writes more than this (the member's declared uncompressed size).
  std::uint64_t outputLimit = std::numeric_limits<std::uint64_t>::max();
  TZAMemberCipher* cipher = nullptr;  // decrypts each block before inflating
  TZADataProgress progress;
};

struct TZADecompressResult {
  TZADecodeStatus status = TZADecodeStatus::kOk;
  std::uint64_t uncompressedSize = 0;  // bytes written to the destination
  std::uint32_t crc32 = 0;             // CRC-32 of those bytes
  std::uint64_t storedBytesRead = 0;
  bool streamFinished = false;  // method 8: the final Deflate block was seen
  bool Decoded() const noexcept { return status == TZADecodeStatus::kOk; }
};

// Reads `dataLength` stored bytes from `archive` (positioned at the data, after any
// encryption header) and writes the uncompressed bytes to `destination`. Throws
// EDecompressionError when zlib cannot be initialised.
TZADecompressResult DecompressMemberData(const TZADecompressRequest& request,
                                         TZAReadStream& archive, TZAWriteStream& destination);

}  // namespace engine
