// The AES member cipher: layout, key derivation, counter stream, authentication code, and
// members made by another tool.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "engine/compression.h"
#include "engine/crypto/aes_crypto_transform.h"
#include "engine/crypto/hmac_sha1.h"
#include "engine/crypto/member_cipher.h"
#include "engine/crypto/pbkdf2.h"
#include "engine/crypto/rijndael.h"
#include "test_support.h"
#include "zip_fixture.h"

namespace engine::test {
namespace {

struct Strength {
  const char* name;
  int bits;
  std::size_t saltSize;
  std::uint8_t strengthByte;
};

class AesMemberByStrength : public ::testing::TestWithParam<Strength> {};

INSTANTIATE_TEST_SUITE_P(Keys, AesMemberByStrength,
                         ::testing::Values(Strength{"AES128", 128, 8, 1}, Strength{"AES192", 192, 12, 2},
                                           Strength{"AES256", 256, 16, 3}),
                         [](const ::testing::TestParamInfo<Strength>& row) { return std::string(row.param.name); });

// Writes one member's stored data (header, data, code) the way the archiver does.
std::vector<std::uint8_t> WriteAesMember(std::span<const std::uint8_t> plain, int bits,
                                         std::string_view password, TZARandomSource& random,
                                         int method = kMethodDeflate) {
  TAESCryptoTransform transform(bits, method, 2, random);
  transform.SetTransformMode(kTransformEncryption);
  transform.SetPassword(password);
  TZAAesMemberCipher cipher(transform);
  TZAMemoryReadStream source(plain);
  TZAMemoryWriteStream archive;
  TZACompressRequest request;
  request.method = method;
  request.sourceSize = plain.size();
  request.cipher = &cipher;
  const auto result = CompressMemberData(request, source, archive);
  EXPECT_TRUE(result.Complete());
  EXPECT_EQ(result.compressedSize, archive.Bytes().size());
  return archive.Bytes();
}

struct ReadBack {
  bool passwordAccepted = false;
  bool authenticationFailed = true;
  TZADecompressResult result;
  std::vector<std::uint8_t> plain;
};

ReadBack ReadAesMember(std::span<const std::uint8_t> stored, int bits, int method,
                       std::string_view password) {
  ReadBack back;
  TAESCryptoTransform transform(bits, method);
  transform.SetTransformMode(kTransformDecryption);
  transform.SetPassword(password);
  TZAMemoryReadStream archive(stored);
  EXPECT_TRUE(transform.ReadHeader(archive));
  back.passwordAccepted = transform.CheckPassword(password);
  if (!back.passwordAccepted) return back;
  TZAAesMemberCipher cipher(transform);
  TZAMemoryWriteStream destination;
  TZADecompressRequest request;
  request.method = method;
  request.dataLength = stored.size() - cipher.Overhead();
  request.cipher = &cipher;
  back.result = DecompressMemberData(request, archive, destination);
  EXPECT_TRUE(transform.ReadAuthenticationCode(archive));
  back.authenticationFailed = transform.AuthenticationFailed();
  back.plain = destination.Bytes();
  return back;
}

TEST_P(AesMemberByStrength, RoundTripAndLayout) {
  const auto& strength = GetParam();
  const auto plain = RandomBytes(70000, 9);
  FixedRandom random(1);
  for (const int method : {kMethodStored, kMethodDeflate}) {
    const auto stored = WriteAesMember(plain, strength.bits, "hasło", random, method);
    if (method == kMethodStored) {
      EXPECT_EQ(stored.size(), strength.saltSize + 2 + plain.size() + 10);
    }
    const auto back = ReadAesMember(stored, strength.bits, method, "hasło");
    ASSERT_TRUE(back.passwordAccepted);
    EXPECT_TRUE(back.result.Decoded());
    EXPECT_FALSE(back.authenticationFailed);
    EXPECT_EQ(back.plain, plain);
  }
}

TEST_P(AesMemberByStrength, ExtraFieldAndSizes) {
  const auto& strength = GetParam();
  TAESCryptoTransform transform(strength.bits, kMethodDeflate);
  EXPECT_EQ(transform.GetHeaderSize(), strength.saltSize + 2);
  EXPECT_EQ(transform.GetAuthenticationCodeSize(), 10u);
  EXPECT_EQ(transform.GetExtraField(),
            (std::vector<std::uint8_t>{0x01, 0x99, 7, 0, 2, 0, 'A', 'E', strength.strengthByte, 8, 0}));
}

// The layout from first principles: PBKDF2 (1000 iterations, 2 * key + 2 bytes) split into
// AES key, HMAC key and verifier; the byte XORed with AES(key, counter 1); the code the first
// 10 bytes of HMAC-SHA1 over the one encrypted byte.
TEST(AesMember, OneByteAes256MemberFromFirstPrinciples) {
  FixedRandom random(77);
  const std::vector<std::uint8_t> plain = {0x5A};
  const auto stored = WriteAesMember(plain, 256, "Zażółć", random, kMethodStored);
  ASSERT_EQ(stored.size(), 16u + 2 + 1 + 10);
  const auto salt = std::span(stored).first(16);
  const auto derived = TPBKDF2("Zażółć", salt, 1000).GetBytes(66);
  const auto aesKey = std::span(derived).first(32);
  const auto hmacKey = std::span(derived).subspan(32, 32);
  EXPECT_EQ(stored[16], derived[64]);
  EXPECT_EQ(stored[17], derived[65]);

  std::uint8_t counter[16] = {1};
  std::uint8_t keystream[16];
  TCipher_Rijndael(aesKey).EncryptBlock(counter, keystream);
  EXPECT_EQ(stored[18], 0x5A ^ keystream[0]);
  const auto code = THmacSha1::Compute(hmacKey, std::span(stored).subspan(18, 1));
  EXPECT_EQ(ToHex(std::span(stored).subspan(19, 10)), ToHex(std::span(code).first(10)));
}

TEST(AesMember, EmptyAes128MemberHoldsSaltVerifierAndCode) {
  FixedRandom random(2);
  const auto stored = WriteAesMember({}, 128, "x", random);
  ASSERT_EQ(stored.size(), 20u);
  const auto back = ReadAesMember(stored, 128, kMethodStored, "x");
  EXPECT_TRUE(back.passwordAccepted);
  EXPECT_FALSE(back.authenticationFailed);
  EXPECT_TRUE(back.plain.empty());
}

// Changing any stored byte after the header - data or code - fails the authentication.
TEST(AesMember, ChangedCodeOrDataFailsAuthentication) {
  FixedRandom random(3);
  const auto plain = RandomBytes(1000, 5);
  const auto stored = WriteAesMember(plain, 128, "pw", random, kMethodStored);
  for (const std::size_t at : {stored.size() - 1, stored.size() - 10, std::size_t{10}, std::size_t{500}}) {
    auto changed = stored;
    changed[at] ^= 0x01;
    const auto back = ReadAesMember(changed, 128, kMethodStored, "pw");
    ASSERT_TRUE(back.passwordAccepted) << at;
    EXPECT_TRUE(back.authenticationFailed) << "byte " << at;
  }
}

TEST(AesMember, WrongPasswordFailsTheVerifierAndARightOneIsAdopted) {
  FixedRandom random(4);
  const auto plain = RandomBytes(300, 6);
  const auto stored = WriteAesMember(plain, 128, "right", random, kMethodStored);

  TAESCryptoTransform transform(128, kMethodStored);
  transform.SetTransformMode(kTransformDecryption);
  transform.SetPassword("");
  ASSERT_TRUE(transform.ReadHeader(std::span(stored).first(10)));
  EXPECT_FALSE(transform.CheckPassword(""));
  EXPECT_FALSE(transform.CheckPassword("wrong"));
  // The user's second answer opens the member without setting the password again.
  ASSERT_TRUE(transform.CheckPassword("right"));
  EXPECT_EQ(transform.GetPassword(), "right");
  auto data = std::vector<std::uint8_t>(stored.begin() + 10, stored.end() - 10);
  transform.DecryptBuffer(data);
  EXPECT_EQ(data, plain);
  ASSERT_TRUE(transform.ReadAuthenticationCode(std::span(stored).last(10)));
  EXPECT_FALSE(transform.AuthenticationFailed());
}

// With an injected source the member is byte-for-byte repeatable; each new member draws a
// new salt, so the same password never gives the same key twice in a row.
TEST(AesMember, SaltsComeFromTheInjectedSource) {
  const auto plain = RandomBytes(100, 8);
  FixedRandom first(42), second(42);
  EXPECT_EQ(WriteAesMember(plain, 128, "pw", first), WriteAesMember(plain, 128, "pw", second));
  const auto a = WriteAesMember(plain, 128, "pw", first);
  const auto b = WriteAesMember(plain, 128, "pw", first);
  EXPECT_NE(std::vector(a.begin(), a.begin() + 8), std::vector(b.begin(), b.begin() + 8));
  EXPECT_NE(std::vector(a.begin() + 10, a.end()), std::vector(b.begin() + 10, b.end()));
}

// The production source: two members written at once with one password differ in salt,
// key and data (no keystream is ever reused), and both decrypt.
TEST(AesMember, SystemSourceGivesEachMemberItsOwnSalt) {
  const auto plain = RandomBytes(4096, 10);
  const auto a = WriteAesMember(plain, 128, "pw", SystemRandom(), kMethodStored);
  const auto b = WriteAesMember(plain, 128, "pw", SystemRandom(), kMethodStored);
  EXPECT_NE(std::vector(a.begin(), a.begin() + 8), std::vector(b.begin(), b.begin() + 8));
  EXPECT_NE(std::vector(a.begin() + 10, a.end() - 10), std::vector(b.begin() + 10, b.end() - 10));
  for (const auto& stored : {a, b}) EXPECT_EQ(ReadAesMember(stored, 128, kMethodStored, "pw").plain, plain);
}

// Salt bytes are 0..254: a source that offers 255 first must be skipped over.
TEST(AesMember, SaltBytesNeverTake255) {
  class Mostly255 final : public TZARandomSource {
   public:
    void Fill(std::span<std::uint8_t> out) override {
      for (auto& b : out) b = (++n_ % 5 == 0) ? static_cast<std::uint8_t>(n_) : 255;
    }

   private:
    unsigned n_ = 0;
  } random;
  const auto salt = MakeSalt(random, 16);
  ASSERT_EQ(salt.size(), 16u);
  for (const std::uint8_t b : salt) EXPECT_NE(b, 255);
}

TEST(AesMember, RejectsOtherKeyLengths) {
  EXPECT_THROW(TAESCryptoTransform(64, 8), std::invalid_argument);
  EXPECT_THROW(TAESCryptoTransform(512, 8), std::invalid_argument);
}

// Members written by 7-Zip (AE-2): AES-128 over Deflate and AES-256 over stored data.
TEST(AesMember, ReadsMembersOfAnotherTool) {
  const auto original = ReadTestFile("text.txt");
  struct Case {
    const char* file;
    int bits;
  };
  for (const Case c : {Case{"aes128.zip", 128}, Case{"aes256_stored.zip", 256}}) {
    const auto zip = ReadTestFile(c.file);
    const LocalMember member = ParseFirstLocalMember(zip);
    ASSERT_EQ(member.method, 99) << c.file;
    ASSERT_EQ(member.extra.size(), 11u);
    const int method = member.extra[9] | member.extra[10] << 8;
    const auto back = ReadAesMember(member.data, c.bits, method, "Sekret1");
    ASSERT_TRUE(back.passwordAccepted) << c.file;
    EXPECT_TRUE(back.result.Decoded()) << c.file;
    EXPECT_FALSE(back.authenticationFailed) << c.file;
    EXPECT_EQ(back.plain, original) << c.file;
  }
}

}  // namespace
}  // namespace engine::test
