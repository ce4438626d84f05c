// The Deflate glue: block cutting and flushes, raw framing, stored copy, the read side's
// statuses, limits, cancellation and short writes.
#include <gtest/gtest.h>
#include <zlib.h>

#include "engine/compression.h"
#include "engine/crypto/crc32.h"
#include "test_support.h"

namespace engine::test {
namespace {

constexpr std::size_t kLevel1Block = 524288;

// Text-like bytes that compress well but not to nothing.
std::vector<std::uint8_t> Compressible(std::size_t n, std::uint64_t seed) {
  static constexpr std::string_view kWords[] = {"archiwum ", "kronika ", "rodzina ", "plik ",
                                                "zdjecie ", "osoba ", "1887 ", "Krakow "};
  FixedRandom random(seed);
  std::vector<std::uint8_t> bytes;
  while (bytes.size() < n) {
    const auto word = kWords[random.Next() % 8];
    bytes.insert(bytes.end(), word.begin(), word.end());
  }
  bytes.resize(n);
  return bytes;
}

TZACompressResult Compress(std::span<const std::uint8_t> source, int level, int method,
                           std::vector<std::uint8_t>& out, TZADataProgress progress = {}) {
  TZAMemoryReadStream in(source);
  TZAMemoryWriteStream archive;
  TZACompressRequest request;
  request.level = level;
  request.method = method;
  request.sourceSize = source.size();
  request.progress = std::move(progress);
  const auto result = CompressMemberData(request, in, archive);
  out = archive.Bytes();
  return result;
}

// What zlib produces in raw mode for the same cutting: sync flush after every block but the
// last, finish on the last. Returns the output and where each block's output ends.
std::vector<std::uint8_t> ReferenceDeflate(std::span<const std::uint8_t> source, int level,
                                           std::size_t block, std::vector<std::size_t>* ends) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::vector<std::uint8_t> out(deflateBound(&z, source.size()) + 64 * (source.size() / block + 1));
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  for (std::size_t at = 0; at < source.size(); at += block) {
    const std::size_t n = std::min(block, source.size() - at);
    z.next_in = const_cast<Bytef*>(source.data() + at);
    z.avail_in = static_cast<uInt>(n);
    const bool last = at + n == source.size();
    EXPECT_EQ(deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH), last ? Z_STREAM_END : Z_OK);
    if (ends != nullptr) ends->push_back(out.size() - z.avail_out);
  }
  out.resize(out.size() - z.avail_out);
  deflateEnd(&z);
  return out;
}

// Raw inflate of the whole stored data; `finished` tells whether the final block was seen.
std::vector<std::uint8_t> RawInflate(std::span<const std::uint8_t> data, bool& finished) {
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> buffer(65536);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  int rc = Z_OK;
  do {
    z.next_out = buffer.data();
    z.avail_out = static_cast<uInt>(buffer.size());
    rc = inflate(&z, Z_NO_FLUSH);
    out.insert(out.end(), buffer.begin(), buffer.end() - z.avail_out);
  } while (rc == Z_OK);
  finished = rc == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  return out;
}

TEST(Compression, BlockSizeByLevel) {
  const std::size_t expected[] = {1048576, 524288,  524288,  524288,  1048576,
                                  1048576, 1048576, 1572864, 1572864, 1572864};
  for (int level = 0; level <= 9; ++level) EXPECT_EQ(CompressionBlockSize(level), expected[level]) << level;
}

// Exactly one block at level 1: one deflate call with finish - a single finished raw stream,
// no zlib header, no Adler-32, no sync marker.
TEST(Compression, OneBlockIsOneFinishedRawStream) {
  const auto source = Compressible(kLevel1Block, 1);
  std::vector<std::uint8_t> stored;
  const auto result = Compress(source, 1, kMethodDeflate, stored);
  EXPECT_TRUE(result.Complete());
  EXPECT_EQ(result.method, kMethodDeflate);
  EXPECT_EQ(result.uncompressedSize, source.size());
  EXPECT_EQ(result.compressedSize, stored.size());
  EXPECT_EQ(result.crc32, Crc32(source));
  EXPECT_EQ(stored, ReferenceDeflate(source, 1, kLevel1Block, nullptr));
  bool finished = false;
  EXPECT_EQ(RawInflate(stored, finished), source);
  EXPECT_TRUE(finished);
}

// One byte more: two blocks; the first ends in the sync-flush marker (an empty stored block,
// 00 00 FF FF), the second is finished.
TEST(Compression, SecondBlockFollowsSyncFlushMarker) {
  const auto source = Compressible(kLevel1Block + 1, 2);
  std::vector<std::uint8_t> stored;
  const auto result = Compress(source, 1, kMethodDeflate, stored);
  ASSERT_TRUE(result.Complete());
  std::vector<std::size_t> ends;
  EXPECT_EQ(stored, ReferenceDeflate(source, 1, kLevel1Block, &ends));
  ASSERT_EQ(ends.size(), 2u);
  ASSERT_GE(ends[0], 4u);
  EXPECT_EQ(ToHex(std::span(stored).subspan(ends[0] - 4, 4)), "0000ffff");
  bool finished = false;
  EXPECT_EQ(RawInflate(stored, finished), source);
  EXPECT_TRUE(finished);
}

// Every level cuts by its own block size and decodes through DecompressMemberData.
TEST(Compression, EveryLevelRoundTrips) {
  const auto source = Compressible(1572864 * 2 + 100, 3);
  for (int level = 1; level <= 9; level += 4) {
    std::vector<std::uint8_t> stored;
    ASSERT_TRUE(Compress(source, level, kMethodDeflate, stored).Complete());
    EXPECT_EQ(stored, ReferenceDeflate(source, level, CompressionBlockSize(level), nullptr)) << level;
    TZAMemoryReadStream in(stored);
    TZAMemoryWriteStream out;
    TZADecompressRequest request;
    request.dataLength = stored.size();
    const auto back = DecompressMemberData(request, in, out);
    EXPECT_TRUE(back.Decoded()) << level;
    EXPECT_TRUE(back.streamFinished);
    EXPECT_EQ(back.crc32, Crc32(source));
    EXPECT_EQ(out.Bytes(), source) << level;
  }
}

TEST(Compression, StoredMemberIsTheSourceWithItsCrc) {
  const auto source = RandomBytes(200000, 4);
  std::vector<std::uint8_t> stored;
  const auto result = Compress(source, 0, kMethodStored, stored);
  EXPECT_EQ(result.method, kMethodStored);
  EXPECT_EQ(stored, source);
  EXPECT_EQ(result.crc32, Crc32(source));

  // Read back in pieces of at most 65,535 bytes.
  std::vector<std::uint64_t> reported;
  TZAMemoryReadStream in(stored);
  TZAMemoryWriteStream out;
  TZADecompressRequest request;
  request.method = kMethodStored;
  request.dataLength = stored.size();
  request.progress = [&](std::uint64_t done, bool&) { reported.push_back(done); };
  const auto back = DecompressMemberData(request, in, out);
  EXPECT_TRUE(back.Decoded());
  EXPECT_EQ(out.Bytes(), source);
  EXPECT_EQ(reported, (std::vector<std::uint64_t>{65535, 131070, 196605, 200000}));
}

TEST(Compression, EmptySourceIsStoredWithCrcZero) {
  std::vector<std::uint8_t> stored;
  const auto result = Compress({}, 6, kMethodDeflate, stored);
  EXPECT_EQ(result.method, kMethodStored);
  EXPECT_TRUE(stored.empty());
  EXPECT_EQ(result.crc32, 0u);
  EXPECT_TRUE(result.Complete());
}

TEST(Compression, ArgumentsOutsideTheirRange) {
  std::vector<std::uint8_t> stored;
  const auto source = RandomBytes(10, 1);
  try {
    Compress(source, 10, kMethodDeflate, stored);
    ADD_FAILURE() << "level 10 accepted";
  } catch (const ECompressionError& e) {
    EXPECT_STREQ(e.what(), "error -2");
  }
  EXPECT_THROW(Compress(source, 1, 12, stored), std::invalid_argument);
}

// The read side's statuses and their messages.
struct DecodeRow {
  const char* name;
  int method;
  std::vector<std::uint8_t> data;
  std::uint64_t dataLength;  // may claim more than `data` holds
  std::uint64_t limit;
  TZADecodeStatus status;
  std::size_t written;  // kPartial: some prefix of the data, not checked
};

constexpr std::size_t kPartial = SIZE_MAX;

class DecodeStatuses : public ::testing::TestWithParam<DecodeRow> {};

std::vector<std::uint8_t> DeflatedHello() {
  const auto text = Bytes("hello hello hello hello");
  return ReferenceDeflate(text, 6, 1 << 20, nullptr);
}

std::vector<std::uint8_t> DeflatedHelloWithout(std::size_t lastBytes) {
  auto data = DeflatedHello();
  data.resize(data.size() - lastBytes);
  return data;
}

INSTANTIATE_TEST_SUITE_P(
    Read, DecodeStatuses,
    ::testing::Values(
        DecodeRow{"deflate64", 9, {1, 2, 3}, 3, UINT64_MAX, TZADecodeStatus::kDeflate64, 0},
        DecodeRow{"method12", 12, {1, 2, 3}, 3, UINT64_MAX, TZADecodeStatus::kUnsupportedMethod, 0},
        DecodeRow{"corrupt", 8, {0xFF, 0xFF, 0xFF, 0xFF}, 4, UINT64_MAX, TZADecodeStatus::kCorrupt, 0},
        DecodeRow{"deflate_over_limit", 8, DeflatedHello(), DeflatedHello().size(), 10,
                  TZADecodeStatus::kLimitExceeded, 10},
        DecodeRow{"deflate_at_limit", 8, DeflatedHello(), DeflatedHello().size(), 23,
                  TZADecodeStatus::kOk, 23},
        DecodeRow{"stored_over_limit", 0, std::vector<std::uint8_t>(100, 7), 100, 99,
                  TZADecodeStatus::kLimitExceeded, 99},
        DecodeRow{"stored_truncated", 0, std::vector<std::uint8_t>(100, 7), 150, UINT64_MAX,
                  TZADecodeStatus::kTruncated, 100},
        DecodeRow{"deflate_finished_before_declared_end", 8, DeflatedHello(),
                  DeflatedHello().size() + 5, UINT64_MAX, TZADecodeStatus::kOk, 23},
        DecodeRow{"deflate_truncated", 8, DeflatedHelloWithout(3), DeflatedHello().size(),
                  UINT64_MAX, TZADecodeStatus::kTruncated, kPartial},
        // An unfinished stream that simply runs out ends normally (size and CRC are the
        // caller's to check): the buffer error with no input left is not a failure.
        DecodeRow{"deflate_unfinished", 8,
                  DeflatedHelloWithout(3),
                  DeflatedHello().size() - 3, UINT64_MAX, TZADecodeStatus::kOk, kPartial}),
    [](const ::testing::TestParamInfo<DecodeRow>& row) { return std::string(row.param.name); });

TEST_P(DecodeStatuses, StatusAndBytesWritten) {
  const auto& row = GetParam();
  TZAMemoryReadStream in(row.data);
  TZAMemoryWriteStream out;
  TZADecompressRequest request;
  request.method = row.method;
  request.dataLength = row.dataLength;
  request.outputLimit = row.limit;
  const auto result = DecompressMemberData(request, in, out);
  EXPECT_EQ(result.status, row.status);
  if (row.written != kPartial) {
    EXPECT_EQ(out.Bytes().size(), row.written);
  }
  EXPECT_EQ(result.uncompressedSize, out.Bytes().size());
  EXPECT_EQ(result.crc32, Crc32(out.Bytes()));
}

TEST(Compression, DecodeMessages) {
  EXPECT_STREQ(DecodeStatusMessage(TZADecodeStatus::kDeflate64),
               "Deflate64 compression method is not supported");
  EXPECT_STREQ(DecodeStatusMessage(TZADecodeStatus::kUnsupportedMethod),
               "Invalid size or check sum of file or unsupported compression format");
  EXPECT_STREQ(DecodeStatusMessage(TZADecodeStatus::kCorrupt),
               "Invalid size or check sum of file or unsupported compression format");
}

// Cancel after the first block: the data stops there, and the unfinished stream's complaint
// at the end is not an error.
TEST(Compression, CancelStopsAfterTheCurrentBlock) {
  const auto source = Compressible(kLevel1Block * 3, 5);
  std::vector<std::uint64_t> reported;
  std::vector<std::uint8_t> stored;
  const auto result = Compress(source, 1, kMethodDeflate, stored, [&](std::uint64_t done, bool& cancel) {
    reported.push_back(done);
    cancel = true;
  });
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(reported, (std::vector<std::uint64_t>{kLevel1Block}));
  std::vector<std::size_t> ends;
  ReferenceDeflate(source, 1, kLevel1Block, &ends);
  EXPECT_EQ(stored.size(), ends[0]);
  EXPECT_EQ(result.compressedSize, ends[0]);
}

TEST(Compression, ShortWriteEndsTheMemberAndIsNotCounted) {
  const auto source = RandomBytes(kLevel1Block * 2, 6);  // incompressible: blocks stay large
  TZAMemoryReadStream in(source);
  TZAMemoryWriteStream archive(kLevel1Block + 1000);
  TZACompressRequest request;
  request.sourceSize = source.size();
  const auto result = CompressMemberData(request, in, archive);
  EXPECT_TRUE(result.writeFailed);
  EXPECT_LT(result.compressedSize, archive.Bytes().size());

  TZAMemoryReadStream stored(source);
  TZAMemoryWriteStream small(1000);
  TZADecompressRequest back;
  back.method = kMethodStored;
  back.dataLength = source.size();
  const auto decoded = DecompressMemberData(back, stored, small);
  EXPECT_EQ(decoded.status, TZADecodeStatus::kWriteFailed);
  EXPECT_EQ(decoded.uncompressedSize, 1000u);
}

// A source that ends before its announced size: what was read is finished properly and the
// result says the read was short.
TEST(Compression, ShortReadFinishesWhatWasRead) {
  class ShortSource final : public TZASourceStream {
   public:
    explicit ShortSource(std::span<const std::uint8_t> bytes) : inner_(bytes) {}
    std::size_t Read(std::span<std::uint8_t> buffer) override { return inner_.Read(buffer); }
    std::uint64_t Size() const override { return inner_.Size() + 5000; }
    void Rewind() override { inner_.Rewind(); }

   private:
    TZAMemoryReadStream inner_;
  };
  const auto source = Compressible(kLevel1Block + 300, 7);
  ShortSource in(source);
  TZAMemoryWriteStream archive;
  TZACompressRequest request;
  request.sourceSize = in.Size();
  const auto result = CompressMemberData(request, in, archive);
  EXPECT_TRUE(result.shortRead);
  EXPECT_EQ(result.uncompressedSize, source.size());
  EXPECT_EQ(result.crc32, Crc32(source));
  bool finished = false;
  EXPECT_EQ(RawInflate(archive.Bytes(), finished), source);
  EXPECT_TRUE(finished);
}

}  // namespace
}  // namespace engine::test
