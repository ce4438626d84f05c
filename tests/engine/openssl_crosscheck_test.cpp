// Our primitives against OpenSSL on random inputs, on both implementations.
#ifdef KW_HAVE_OPENSSL
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <string>

#include "engine/crypto/hmac_sha1.h"
#include "engine/crypto/pbkdf2.h"
#include "engine/crypto/rijndael.h"
#include "engine/crypto/sha1.h"
#include "model/md5.h"
#include "test_support.h"

namespace engine::test {
namespace {

std::vector<std::uint8_t> OpenSslDigest(const EVP_MD* md, std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> out(EVP_MAX_MD_SIZE);
  unsigned length = 0;
  EXPECT_EQ(EVP_Digest(data.data(), data.size(), out.data(), &length, md, nullptr), 1);
  out.resize(length);
  return out;
}

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

TEST(OpenSslCrossCheck, Sha1AndMd5) {
  FixedRandom lengths(1);
  for (int i = 0; i < 300; ++i) {
    const std::size_t n = i < 200 ? static_cast<std::size_t>(i) : lengths.Next() % 100000;
    const auto data = RandomBytes(n, 100 + i);
    const auto md5 = kw::Md5Digest(AsText(data));
    EXPECT_EQ(ToHex(md5), ToHex(OpenSslDigest(EVP_md5(), data))) << n;
    for (const bool portable : kBothPaths) {
      ScopedCryptoPath path(portable);
      EXPECT_EQ(ToHex(TSha1::Hash(data)), ToHex(OpenSslDigest(EVP_sha1(), data)))
          << PathName(portable) << " " << n;
    }
  }
}

TEST(OpenSslCrossCheck, HmacSha1) {
  FixedRandom sizes(2);
  for (int i = 0; i < 200; ++i) {
    const auto key = RandomBytes(sizes.Next() % 150, 200 + i);
    const auto data = RandomBytes(sizes.Next() % 5000, 400 + i);
    std::uint8_t expected[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    ASSERT_NE(HMAC(EVP_sha1(), key.data(), static_cast<int>(key.size()), data.data(), data.size(),
                   expected, &length),
              nullptr);
    for (const bool portable : kBothPaths) {
      ScopedCryptoPath path(portable);
      EXPECT_EQ(ToHex(THmacSha1::Compute(key, data)), ToHex(std::span(expected, length)))
          << PathName(portable) << " key " << key.size() << " data " << data.size();
    }
  }
}

TEST(OpenSslCrossCheck, Pbkdf2HmacSha1) {
  FixedRandom sizes(3);
  for (int i = 0; i < 40; ++i) {
    const auto password = RandomBytes(sizes.Next() % 80, 600 + i);
    const auto salt = RandomBytes(sizes.Next() % 20, 700 + i);
    const unsigned iterations = 1 + static_cast<unsigned>(sizes.Next() % 1200);
    const std::size_t length = 1 + sizes.Next() % 70;
    std::vector<std::uint8_t> expected(length);
    ASSERT_EQ(PKCS5_PBKDF2_HMAC_SHA1(reinterpret_cast<const char*>(password.data()),
                                     static_cast<int>(password.size()), salt.data(),
                                     static_cast<int>(salt.size()), static_cast<int>(iterations),
                                     static_cast<int>(length), expected.data()),
              1);
    for (const bool portable : kBothPaths) {
      ScopedCryptoPath path(portable);
      const TPBKDF2 kdf(AsText(password), salt, iterations);
      EXPECT_EQ(ToHex(kdf.GetBytes(length)), ToHex(expected)) << PathName(portable) << " " << i;
    }
  }
}

// The counter stream: OpenSSL's AES (ECB) over our counter blocks - 1, 2, 3 ... as a
// little-endian integer in bytes 0-7 - XORed with the data, against EncryptBuffer in random
// cuts.
TEST(OpenSslCrossCheck, AesCounterStream) {
  FixedRandom sizes(4);
  for (int i = 0; i < 30; ++i) {
    const std::size_t keyBytes = 16 + 8 * (i % 3);
    const auto key = RandomBytes(keyBytes, 800 + i);
    const auto plain = RandomBytes(1 + sizes.Next() % 20000, 900 + i);
    const std::size_t blocks = (plain.size() + 15) / 16;
    std::vector<std::uint8_t> counters(blocks * 16, 0);
    for (std::size_t b = 0; b < blocks; ++b) {
      for (int k = 0; k < 8; ++k) counters[16 * b + k] = static_cast<std::uint8_t>((b + 1) >> (8 * k));
    }
    const EVP_CIPHER* ecb = keyBytes == 16 ? EVP_aes_128_ecb() : keyBytes == 24 ? EVP_aes_192_ecb() : EVP_aes_256_ecb();
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ASSERT_EQ(EVP_EncryptInit_ex(ctx, ecb, nullptr, key.data(), nullptr), 1);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    std::vector<std::uint8_t> keystream(counters.size());
    int written = 0;
    ASSERT_EQ(EVP_EncryptUpdate(ctx, keystream.data(), &written, counters.data(), static_cast<int>(counters.size())), 1);
    EVP_CIPHER_CTX_free(ctx);
    auto expected = plain;
    for (std::size_t k = 0; k < expected.size(); ++k) expected[k] ^= keystream[k];

    for (const bool portable : kBothPaths) {
      ScopedCryptoPath path(portable);
      auto data = plain;
      TCipher_Rijndael aes(key);
      for (std::size_t at = 0; at < data.size();) {
        const std::size_t n = std::min<std::size_t>(1 + sizes.Next() % 300, data.size() - at);
        aes.EncryptBuffer(std::span(data).subspan(at, n));
        at += n;
      }
      EXPECT_EQ(data, expected) << PathName(portable) << " key " << keyBytes << " size " << plain.size();
    }
  }
}

}  // namespace
}  // namespace engine::test
#endif
