#include "engine/compression.h"

#include <zlib.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/crypto/crc32.h"

namespace engine {
namespace {

// Reads until `buffer` is full or the stream ends; returns the bytes read.
std::size_t ReadFully(TZAReadStream& stream, std::span<std::uint8_t> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const std::size_t got = stream.Read(buffer.subspan(done));
    if (got == 0) break;
    done += got;
  }
  return done;
}

// Raw Deflate, so the archive's bytes come straight out of zlib: no header to drop from the
// first block, no Adler-32 to drop from the last.
class DeflateStream {
 public:
  explicit DeflateStream(int level) {
    const int rc = deflateInit2(&z_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    if (rc < 0) throw ECompressionError("error " + std::to_string(rc));
  }
  ~DeflateStream() {
    if (!ended_) deflateEnd(&z_);
  }
  DeflateStream(const DeflateStream&) = delete;
  DeflateStream& operator=(const DeflateStream&) = delete;
  z_stream* operator->() { return &z_; }
  z_stream* get() { return &z_; }
  int End() {
    ended_ = true;
    return deflateEnd(&z_);
  }

 private:
  z_stream z_{};
  bool ended_ = false;
};

class InflateStream {
 public:
  InflateStream() {
    if (inflateInit2(&z_, -MAX_WBITS) < 0) throw EDecompressionError("error");
  }
  ~InflateStream() { inflateEnd(&z_); }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
  z_stream* operator->() { return &z_; }
  z_stream* get() { return &z_; }

 private:
  z_stream z_{};
};

// Writes one piece of member data, counting only what was written whole.
class MemberWriter {
 public:
  explicit MemberWriter(TZAWriteStream& archive, TZACompressResult& result)
      : archive_(archive), result_(result) {}
  bool Put(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return true;
    if (archive_.Write(bytes) != bytes.size()) {
      result_.writeFailed = true;
      return false;
    }
    result_.compressedSize += bytes.size();
    return true;
  }

 private:
  TZAWriteStream& archive_;
  TZACompressResult& result_;
};

std::size_t DeflateOutputSize(std::size_t n) {
  const std::size_t size = n + n / 10 + 12;
  return (size + 255) / 256 * 256;
}

}  // namespace

std::size_t CompressionBlockSize(int level) noexcept {
  if (level >= 1 && level <= 3) return 524288;
  if (level >= 7 && level <= 9) return 1572864;
  return 1048576;
}

const char* DecodeStatusMessage(TZADecodeStatus status) noexcept {
  switch (status) {
    case TZADecodeStatus::kOk:
      return "";
    case TZADecodeStatus::kDeflate64:
      return "Deflate64 compression method is not supported";
    case TZADecodeStatus::kUnsupportedMethod:
    case TZADecodeStatus::kCorrupt:
    case TZADecodeStatus::kLimitExceeded:
    case TZADecodeStatus::kTruncated:
      return "Invalid size or check sum of file or unsupported compression format";
    case TZADecodeStatus::kCancelled:
      return "Cancelled";
    case TZADecodeStatus::kWriteFailed:
      return "Write to stream error";
  }
  return "";
}

TZACompressResult CompressMemberData(const TZACompressRequest& request, TZASourceStream& source,
                                     TZAWriteStream& archive) {
  // zlib itself refuses such a level with Z_STREAM_ERROR; say so whatever the method.
  if (request.level < 0 || request.level > 9) throw ECompressionError("error " + std::to_string(Z_STREAM_ERROR));
  if (request.method != kMethodStored && request.method != kMethodDeflate) {
    throw std::invalid_argument("CompressMemberData writes methods 0 and 8 only");
  }
  TZACompressResult result;
  result.method = request.sourceSize == 0 ? kMethodStored : request.method;
  MemberWriter writer(archive, result);
  const std::size_t blockSize = static_cast<std::size_t>(
      std::min<std::uint64_t>(CompressionBlockSize(request.level), std::max<std::uint64_t>(request.sourceSize, 1)));
  std::vector<std::uint8_t> in(blockSize);

  // The traditional header carries the CRC, so the source is read once before the data.
  std::uint32_t headerCrc = 0;
  TZAMemberCipher* const cipher = request.cipher;
  if (cipher != nullptr && cipher->HeaderNeedsCrc()) {
    TCrc32 pre;
    std::uint64_t seen = 0;
    while (seen < request.sourceSize) {
      const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, request.sourceSize - seen));
      const std::size_t got = ReadFully(source, std::span(in).first(n));
      pre.Update(std::span(in).first(got));
      seen += got;
      if (got < n) break;
    }
    headerCrc = pre.Value();
    source.Rewind();
  }
  if (cipher != nullptr && !writer.Put(cipher->MakeHeader(headerCrc))) return result;

  std::optional<DeflateStream> deflater;
  std::vector<std::uint8_t> out;
  if (result.method == kMethodDeflate) {
    deflater.emplace(request.level);
    out.resize(DeflateOutputSize(blockSize));
  }

  TCrc32 crc;
  std::uint64_t done = 0;
  while (done < request.sourceSize) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, request.sourceSize - done));
    const std::size_t got = ReadFully(source, std::span(in).first(n));
    const auto block = std::span(in).first(got);
    crc.Update(block);
    done += got;
    result.shortRead = got < n;
    const bool last = result.shortRead || done == request.sourceSize;

    if (result.method == kMethodStored) {
      if (cipher != nullptr) cipher->EncryptBuffer(block);
      if (!writer.Put(block)) break;
    } else {
      z_stream* z = deflater->get();
      z->next_in = block.data();
      z->avail_in = static_cast<uInt>(block.size());
      const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
      for (;;) {
        z->next_out = out.data();
        z->avail_out = static_cast<uInt>(out.size());
        const int rc = deflate(z, flush);
        if (rc < 0 && rc != Z_BUF_ERROR) throw ECompressionError("error " + std::to_string(rc));
        const auto produced = std::span(out).first(out.size() - z->avail_out);
        if (cipher != nullptr) cipher->EncryptBuffer(produced);
        if (!writer.Put(produced)) break;
        if (rc == Z_STREAM_END || rc == Z_BUF_ERROR) break;
        if (flush == Z_SYNC_FLUSH && z->avail_out != 0) break;
      }
      if (result.writeFailed) break;
    }
    if (request.progress) {
      bool cancel = false;
      request.progress(done, cancel);
      if (cancel && !last) {
        result.cancelled = true;
        break;
      }
    }
    if (result.shortRead) break;
  }
  result.uncompressedSize = done;
  result.crc32 = crc.Value();
  if (cipher != nullptr && cipher->HeaderNeedsCrc() && headerCrc != result.crc32) {
    result.sourceChanged = true;
  }

  if (cipher != nullptr && !result.cancelled && !result.writeFailed) writer.Put(cipher->MakeTrailer());
  if (deflater) {
    const int rc = deflater->End();
    // An unfinished stream (cancel, full device) makes deflateEnd complain; that is expected.
    if (rc < 0 && !result.cancelled && !result.writeFailed) {
      throw ECompressionError("error " + std::to_string(rc));
    }
  }
  return result;
}

namespace {

// Hands decoded bytes to the destination, keeping the CRC and the declared-size limit.
class DecodedWriter {
 public:
  DecodedWriter(TZAWriteStream& destination, std::uint64_t limit, TZADecompressResult& result)
      : destination_(destination), limit_(limit), result_(result) {}
  bool Put(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return true;
    bool overLimit = false;
    if (bytes.size() > limit_ - result_.uncompressedSize) {
      bytes = bytes.first(static_cast<std::size_t>(limit_ - result_.uncompressedSize));
      overLimit = true;
    }
    const std::size_t written = bytes.empty() ? 0 : destination_.Write(bytes);
    crc_.Update(bytes.first(written));
    result_.uncompressedSize += written;
    result_.crc32 = crc_.Value();
    if (written != bytes.size()) {
      result_.status = TZADecodeStatus::kWriteFailed;
      return false;
    }
    if (overLimit) {
      result_.status = TZADecodeStatus::kLimitExceeded;
      return false;
    }
    return true;
  }

 private:
  TZAWriteStream& destination_;
  std::uint64_t limit_;
  TZADecompressResult& result_;
  TCrc32 crc_;
};

bool ReportProgress(const TZADecompressRequest& request, TZADecompressResult& result) {
  if (!request.progress) return true;
  bool cancel = false;
  request.progress(result.storedBytesRead, cancel);
  if (cancel) result.status = TZADecodeStatus::kCancelled;
  return !cancel;
}

}  // namespace

TZADecompressResult DecompressMemberData(const TZADecompressRequest& request,
                                         TZAReadStream& archive, TZAWriteStream& destination) {
  TZADecompressResult result;
  if (request.method == kMethodDeflate64) {
    result.status = TZADecodeStatus::kDeflate64;
    return result;
  }
  if (request.method != kMethodStored && request.method != kMethodDeflate) {
    result.status = TZADecodeStatus::kUnsupportedMethod;
    return result;
  }
  DecodedWriter writer(destination, request.outputLimit, result);
  std::uint64_t remaining = request.dataLength;

  if (request.method == kMethodStored) {
    std::vector<std::uint8_t> piece(static_cast<std::size_t>(
        std::min<std::uint64_t>(kStoredPieceSize, std::max<std::uint64_t>(remaining, 1))));
    while (remaining != 0) {
      const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), remaining));
      const std::size_t got = ReadFully(archive, std::span(piece).first(n));
      const auto bytes = std::span(piece).first(got);
      result.storedBytesRead += got;
      remaining -= got;
      if (request.cipher != nullptr) request.cipher->DecryptBuffer(bytes);
      if (!writer.Put(bytes)) return result;
      if (got < n) {
        result.status = TZADecodeStatus::kTruncated;
        return result;
      }
      if (!ReportProgress(request, result)) return result;
    }
    return result;
  }

  InflateStream inflater;
  z_stream* z = inflater.get();
  std::vector<std::uint8_t> in(static_cast<std::size_t>(
      std::min<std::uint64_t>(kReadBlockSize, std::max<std::uint64_t>(remaining, 1))));
  std::vector<std::uint8_t> out(kReadBlockSize);
  while (remaining != 0 && !result.streamFinished) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(in.size(), remaining));
    const std::size_t got = ReadFully(archive, std::span(in).first(n));
    result.storedBytesRead += got;
    remaining -= got;
    if (request.cipher != nullptr) request.cipher->DecryptBuffer(std::span(in).first(got));
    z->next_in = in.data();
    z->avail_in = static_cast<uInt>(got);
    do {
      z->next_out = out.data();
      z->avail_out = static_cast<uInt>(out.size());
      const int rc = inflate(z, Z_NO_FLUSH);
      if (!writer.Put(std::span(out).first(out.size() - z->avail_out))) return result;
      if (rc == Z_STREAM_END) {
        result.streamFinished = true;
        break;
      }
      // A buffer error with no input left only means "give me more"; the end of the member's
      // data then ends it normally (the caller checks size and CRC).
      if (rc == Z_BUF_ERROR && z->avail_in == 0) break;
      if (rc < 0 || rc == Z_NEED_DICT) {
        result.status = TZADecodeStatus::kCorrupt;
        return result;
      }
    } while (z->avail_in != 0 || z->avail_out == 0);
    // The archive ending early matters only while the stream still wants data.
    if (got < n && !result.streamFinished) {
      result.status = TZADecodeStatus::kTruncated;
      return result;
    }
    if (!ReportProgress(request, result)) return result;
  }
  return result;
}

}  // namespace engine
