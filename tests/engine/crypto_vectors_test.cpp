// Published test vectors for every primitive, on both implementations of AES and SHA-1.
#include <gtest/gtest.h>

#include <string>

#include "engine/crypto/crc32.h"
#include "engine/crypto/hmac_sha1.h"
#include "engine/crypto/pbkdf2.h"
#include "engine/crypto/rijndael.h"
#include "engine/crypto/sha1.h"
#include "test_support.h"

namespace engine::test {
namespace {

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

// --- CRC-32 -------------------------------------------------------------------------------

TEST(Crc32, KnownValues) {
  EXPECT_EQ(Crc32(std::string_view("abc")), 0x352441C2u);
  EXPECT_EQ(Crc32(std::string_view("123456789")), 0xCBF43926u);
  EXPECT_EQ(Crc32(std::string_view("")), 0u);
}

// The table step (used by the traditional cipher) and zlib's bulk routine must agree.
TEST(Crc32, TableStepAgreesWithBulkInPieces) {
  const auto data = RandomBytes(10000, 11);
  std::uint32_t reg = kCrc32Initial;
  for (const std::uint8_t b : data) reg = Crc32Step(reg, b);
  TCrc32 pieces;
  for (std::size_t at = 0; at < data.size(); at += 777) {
    pieces.Update(std::span(data).subspan(at, std::min<std::size_t>(777, data.size() - at)));
  }
  EXPECT_EQ(~reg, Crc32(data));
  EXPECT_EQ(pieces.Value(), Crc32(data));
}

// --- SHA-1 (FIPS 180 examples) -----------------------------------------------------------

struct ShaRow {
  const char* name;
  std::string message;
  const char* digest;
};

class Sha1Vectors : public ::testing::TestWithParam<ShaRow> {};

INSTANTIATE_TEST_SUITE_P(
    Fips180, Sha1Vectors,
    ::testing::Values(
        ShaRow{"empty", "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        ShaRow{"abc", "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        ShaRow{"two_blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
               "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        ShaRow{"million_a", std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"}),
    RowName<ShaRow>);

TEST_P(Sha1Vectors, DigestOnBothPaths) {
  for (const bool portable : kBothPaths) {
    ScopedCryptoPath path(portable);
    EXPECT_EQ(ToHex(TSha1::Hash(GetParam().message)), GetParam().digest) << PathName(portable);
    // Fed in odd pieces, the padding and block buffering must not change the digest.
    TSha1 sha;
    const std::string_view m = GetParam().message;
    for (std::size_t at = 0; at < m.size(); at += 97) sha.Update(m.substr(at, 97));
    EXPECT_EQ(ToHex(sha.Final()), GetParam().digest) << PathName(portable) << " in pieces";
  }
}

// --- HMAC-SHA1 (RFC 2202) ------------------------------------------------------------------

struct HmacRow {
  const char* name;
  std::vector<std::uint8_t> key;
  std::vector<std::uint8_t> data;
  const char* mac;
};

class HmacSha1Vectors : public ::testing::TestWithParam<HmacRow> {};

INSTANTIATE_TEST_SUITE_P(
    Rfc2202, HmacSha1Vectors,
    ::testing::Values(
        HmacRow{"case1", std::vector<std::uint8_t>(20, 0x0b), Bytes("Hi There"),
                "b617318655057264e28bc0b6fb378c8ef146be00"},
        HmacRow{"case2", Bytes("Jefe"), Bytes("what do ya want for nothing?"),
                "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
        HmacRow{"case3", std::vector<std::uint8_t>(20, 0xaa), std::vector<std::uint8_t>(50, 0xdd),
                "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
        HmacRow{"case4", Hex("0102030405060708090a0b0c0d0e0f10111213141516171819"),
                std::vector<std::uint8_t>(50, 0xcd), "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
        HmacRow{"case5", std::vector<std::uint8_t>(20, 0x0c), Bytes("Test With Truncation"),
                "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04"},
        HmacRow{"case6_long_key", std::vector<std::uint8_t>(80, 0xaa),
                Bytes("Test Using Larger Than Block-Size Key - Hash Key First"),
                "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
        HmacRow{"case7_long_key_and_data", std::vector<std::uint8_t>(80, 0xaa),
                Bytes("Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
                "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"}),
    RowName<HmacRow>);

TEST_P(HmacSha1Vectors, CodeOnBothPaths) {
  for (const bool portable : kBothPaths) {
    ScopedCryptoPath path(portable);
    THmacSha1 hmac(GetParam().key);
    EXPECT_EQ(ToHex(hmac.Final()), ToHex(THmacSha1::Compute(GetParam().key, {})))
        << "an empty message after construction";
    hmac.Update(GetParam().data);
    EXPECT_EQ(ToHex(hmac.Final()), GetParam().mac) << PathName(portable);
    // After Final the same object computes the next message with the same key.
    hmac.Update(GetParam().data);
    EXPECT_EQ(ToHex(hmac.Final()), GetParam().mac) << PathName(portable) << " reused";
  }
}

// --- PBKDF2-HMAC-SHA1 (RFC 6070) ---------------------------------------------------------

struct Pbkdf2Row {
  const char* name;
  std::string password;
  std::string salt;
  unsigned iterations;
  const char* derived;
};

class Pbkdf2Vectors : public ::testing::TestWithParam<Pbkdf2Row> {};

INSTANTIATE_TEST_SUITE_P(
    Rfc6070, Pbkdf2Vectors,
    ::testing::Values(
        Pbkdf2Row{"c1", "password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
        Pbkdf2Row{"c2", "password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
        Pbkdf2Row{"c4096", "password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
        Pbkdf2Row{"two_blocks_25_bytes", "passwordPASSWORDpassword",
                  "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
                  "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
        Pbkdf2Row{"embedded_nul", std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096,
                  "56fa6aa75548099dcc37d7f03425e0c3"}),
    RowName<Pbkdf2Row>);

TEST_P(Pbkdf2Vectors, DerivedKeyOnBothPaths) {
  const auto& row = GetParam();
  const std::size_t length = std::string_view(row.derived).size() / 2;
  for (const bool portable : kBothPaths) {
    ScopedCryptoPath path(portable);
    const TPBKDF2 kdf(row.password, Bytes(row.salt), row.iterations);
    EXPECT_EQ(ToHex(kdf.GetBytes(length)), row.derived) << PathName(portable);
  }
}

TEST(Pbkdf2, NewSaltComesFromTheRandomSourceInRange) {
  FixedRandom random(5);
  const TPBKDF2 kdf("x", 12, 1, random);
  EXPECT_EQ(kdf.GetSalt().size(), 12u);
  for (const std::uint8_t b : kdf.GetSalt()) EXPECT_LT(b, 255);
}

// --- AES (FIPS-197 appendices B and C) ---------------------------------------------------

struct AesRow {
  const char* name;
  const char* key;
  const char* plain;
  const char* cipher;
};

class AesVectors : public ::testing::TestWithParam<AesRow> {};

INSTANTIATE_TEST_SUITE_P(
    Fips197, AesVectors,
    ::testing::Values(
        AesRow{"B_128", "2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
               "3925841d02dc09fbdc118597196a0b32"},
        AesRow{"C1_128", "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
               "69c4e0d86a7b0430d8cdb78070b4c55a"},
        AesRow{"C2_192", "000102030405060708090a0b0c0d0e0f1011121314151617",
               "00112233445566778899aabbccddeeff", "dda97ca4864cdfe06eaf70a0ec0d7191"},
        AesRow{"C3_256", "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
               "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"}),
    RowName<AesRow>);

TEST_P(AesVectors, BlockOnBothPaths) {
  for (const bool portable : kBothPaths) {
    ScopedCryptoPath path(portable);
    const TCipher_Rijndael aes(Hex(GetParam().key));
    EXPECT_EQ(aes.UsesAesInstructions(), !portable && CpuHasAesInstructions());
    const auto plain = Hex(GetParam().plain);
    std::uint8_t out[16];
    aes.EncryptBlock(plain.data(), out);
    EXPECT_EQ(ToHex(out), GetParam().cipher) << PathName(portable);
  }
}

TEST(Aes, RejectsOtherKeyLengths) {
  for (const std::size_t length : {0u, 15u, 17u, 31u, 33u}) {
    EXPECT_THROW(TCipher_Rijndael(std::vector<std::uint8_t>(length)), std::invalid_argument)
        << length;
  }
}

// Counter mode: the first keystream block is AES(counter 1), bytes 0-7 little-endian.
TEST(AesCounterMode, KeystreamIsAesOfLittleEndianCounter) {
  const auto key = Hex("000102030405060708090a0b0c0d0e0f");
  for (const bool portable : kBothPaths) {
    ScopedCryptoPath path(portable);
    TCipher_Rijndael aes(key);
    std::vector<std::uint8_t> stream(16 * 300, 0);
    aes.EncryptBuffer(stream);
    for (std::uint64_t block : {1u, 2u, 255u, 256u, 300u}) {
      std::uint8_t counter[16] = {};
      for (int i = 0; i < 8; ++i) counter[i] = static_cast<std::uint8_t>(block >> (8 * i));
      std::uint8_t expected[16];
      aes.EncryptBlock(counter, expected);
      EXPECT_EQ(ToHex(std::span(stream).subspan(16 * (block - 1), 16)), ToHex(expected))
          << PathName(portable) << " block " << block;
    }
  }
}

// The keystream position carries across calls: 7 + 9 bytes encrypt like 16 in one call, and
// any other cut of a longer buffer gives the same bytes.
TEST(AesCounterMode, BufferCutsDoNotChangeTheResult) {
  const auto key = RandomBytes(32, 3);
  const auto plain = RandomBytes(1000, 4);
  for (const bool portable : kBothPaths) {
    ScopedCryptoPath path(portable);
    auto whole = plain;
    TCipher_Rijndael(key).EncryptBuffer(whole);

    auto split = std::vector<std::uint8_t>(plain.begin(), plain.begin() + 16);
    TCipher_Rijndael twoCalls(key);
    twoCalls.EncryptBuffer(std::span(split).first(7));
    twoCalls.EncryptBuffer(std::span(split).subspan(7, 9));
    EXPECT_EQ(ToHex(split), ToHex(std::span(whole).first(16))) << PathName(portable);

    for (const std::size_t cut : {1u, 15u, 17u, 129u, 500u}) {
      auto pieces = plain;
      TCipher_Rijndael aes(key);
      for (std::size_t at = 0; at < pieces.size(); at += cut) {
        aes.EncryptBuffer(std::span(pieces).subspan(at, std::min(cut, pieces.size() - at)));
      }
      EXPECT_EQ(pieces, whole) << PathName(portable) << " pieces of " << cut;
    }
    auto back = whole;
    TCipher_Rijndael(key).DecryptBuffer(back);
    EXPECT_EQ(back, plain);
  }
}

}  // namespace
}  // namespace engine::test
