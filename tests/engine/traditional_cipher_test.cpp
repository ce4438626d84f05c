// Traditional ZIP encryption: keys, keystream, the 12-byte header and its check byte.
#include <gtest/gtest.h>

#include "engine/compression.h"
#include "engine/crypto/crc32.h"
#include "engine/crypto/member_cipher.h"
#include "engine/crypto/traditional_cipher.h"
#include "test_support.h"
#include "zip_fixture.h"

namespace engine::test {
namespace {

// Members written by Info-ZIP's zip -P: flag bit 3 is set, so the check byte is the high byte
// of the DOS time, not of the CRC.
TEST(TraditionalCipher, ReadsMembersOfAnotherToolByDosTimeCheck) {
  const auto original = ReadTestFile("text.txt");
  struct Case {
    const char* file;
    const char* password;
  };
  for (const Case c : {Case{"trad.zip", "tajne haslo"}, Case{"trad_stored.zip", "haslo"}}) {
    const LocalMember member = ParseFirstLocalMember(ReadTestFile(c.file));
    ASSERT_TRUE(member.flags & 0x08) << c.file;
    const std::uint8_t check = TZATraditionalCipher::CheckByte(member.crc32, member.dosTime, true);
    EXPECT_EQ(check, member.dosTime >> 8);
    ASSERT_NE(check, member.crc32 >> 24) << "fixture must tell the two check bytes apart";

    TZATraditionalCipher cipher(c.password);
    ASSERT_TRUE(cipher.CheckHeader(std::span(member.data).first<12>(), check)) << c.file;
    TZATraditionalMemberCipher memberCipher(cipher);
    TZAMemoryReadStream archive{std::span(member.data).subspan(12)};
    TZAMemoryWriteStream destination;
    TZADecompressRequest request;
    request.method = member.method;
    request.dataLength = member.data.size() - memberCipher.Overhead();
    request.cipher = &memberCipher;
    const auto result = DecompressMemberData(request, archive, destination);
    EXPECT_TRUE(result.Decoded()) << c.file;
    EXPECT_EQ(result.crc32, member.crc32) << c.file;
    EXPECT_EQ(destination.Bytes(), original) << c.file;
  }
}

TEST(TraditionalCipher, WrongPasswordFailsTheCheckByte) {
  const LocalMember member = ParseFirstLocalMember(ReadTestFile("trad.zip"));
  const std::uint8_t check = TZATraditionalCipher::CheckByte(member.crc32, member.dosTime, true);
  for (const char* wrong : {"", "tajne hasl", "Tajne haslo"}) {
    TZATraditionalCipher cipher(wrong);
    EXPECT_FALSE(cipher.CheckHeader(std::span(member.data).first<12>(), check)) << wrong;
  }
}

// Written by us: ten random bytes, then CRC bits 16-23 and 24-31; the whole member decrypts
// and byte 11 checks against the CRC when there is no data descriptor.
TEST(TraditionalCipher, WrittenMemberCarriesCrcCheckBytesAndRoundTrips) {
  const auto plain = RandomBytes(200000, 21);
  FixedRandom random(8);
  TZATraditionalCipher writer("Zażółć gęślą");
  TZATraditionalMemberCipher writeCipher(writer, random);
  TZAMemoryReadStream source(plain);
  TZAMemoryWriteStream archive;
  TZACompressRequest request;
  request.sourceSize = plain.size();
  request.cipher = &writeCipher;
  const auto written = CompressMemberData(request, source, archive);
  ASSERT_TRUE(written.Complete());
  EXPECT_EQ(written.crc32, Crc32(plain));
  EXPECT_EQ(written.compressedSize, archive.Bytes().size());

  const auto& stored = archive.Bytes();
  auto header = std::vector<std::uint8_t>(stored.begin(), stored.begin() + 12);
  TZATraditionalCipher reader("Zażółć gęślą");
  reader.DecryptBuffer(header);
  std::vector<std::uint8_t> randomPart(10);
  FixedRandom(8).Fill(randomPart);
  EXPECT_EQ(std::vector(header.begin(), header.begin() + 10), randomPart);
  EXPECT_EQ(header[10], static_cast<std::uint8_t>(written.crc32 >> 16));
  EXPECT_EQ(header[11], static_cast<std::uint8_t>(written.crc32 >> 24));
  EXPECT_EQ(TZATraditionalCipher::CheckByte(written.crc32, 0xABCD, false), written.crc32 >> 24);

  TZATraditionalCipher checker("Zażółć gęślą");
  ASSERT_TRUE(checker.CheckHeader(std::span(stored).first<12>(),
                                  TZATraditionalCipher::CheckByte(written.crc32, 0, false)));
  TZATraditionalMemberCipher readCipher(checker);
  TZAMemoryReadStream in{std::span(stored).subspan(12)};
  TZAMemoryWriteStream out;
  TZADecompressRequest back;
  back.dataLength = stored.size() - 12;
  back.cipher = &readCipher;
  const auto result = DecompressMemberData(back, in, out);
  EXPECT_TRUE(result.Decoded());
  EXPECT_EQ(out.Bytes(), plain);
}

// A source that changes between the CRC pre-pass and the data pass would leave a header
// whose check bytes do not match the data: the result says so.
TEST(TraditionalCipher, SourceChangedBetweenPassesIsReported) {
  class ChangingSource final : public TZASourceStream {
   public:
    std::size_t Read(std::span<std::uint8_t> buffer) override {
      const std::size_t n = std::min<std::size_t>(buffer.size(), 1000 - at_);
      for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<std::uint8_t>(pass_ + i);
      at_ += n;
      return n;
    }
    std::uint64_t Size() const override { return 1000; }
    void Rewind() override {
      at_ = 0;
      ++pass_;
    }

   private:
    std::size_t at_ = 0;
    int pass_ = 0;
  } source;
  TZATraditionalCipher cipher("pw");
  FixedRandom random(1);
  TZATraditionalMemberCipher memberCipher(cipher, random);
  TZAMemoryWriteStream archive;
  TZACompressRequest request;
  request.sourceSize = source.Size();
  request.cipher = &memberCipher;
  const auto result = CompressMemberData(request, source, archive);
  EXPECT_TRUE(result.sourceChanged);
  EXPECT_FALSE(result.Complete());
}

}  // namespace
}  // namespace engine::test
