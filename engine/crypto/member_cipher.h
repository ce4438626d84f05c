#pragma once
// The cipher step of the member data loop: what goes before the data, how each block is
// encrypted or decrypted, what goes after. One adapter per encryption method; the caller
// keeps the underlying cipher (it checks passwords and the authentication code itself).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/crypto/aes_crypto_transform.h"
#include "engine/crypto/random_source.h"
#include "engine/crypto/traditional_cipher.h"

namespace engine {

class TZAMemberCipher {
 public:
  virtual ~TZAMemberCipher() = default;
  // True when the header needs the member's CRC-32 (the source is then read twice).
  virtual bool HeaderNeedsCrc() const = 0;
  virtual std::vector<std::uint8_t> MakeHeader(std::uint32_t crc32) = 0;
  virtual void EncryptBuffer(std::span<std::uint8_t> bytes) = 0;
  virtual void DecryptBuffer(std::span<std::uint8_t> bytes) = 0;
  // Written after the data (AES: the authentication code).
  virtual std::vector<std::uint8_t> MakeTrailer() = 0;
  // Bytes of header and trailer together (stored size minus data size).
  virtual std::size_t Overhead() const = 0;
};

// AES: header = salt + verifier (SetPassword must have been called when writing; when
// reading, the caller has read and checked the header), trailer = the 10-byte code.
class TZAAesMemberCipher final : public TZAMemberCipher {
 public:
  explicit TZAAesMemberCipher(TZACryptoTransform& transform) : transform_(transform) {}
  bool HeaderNeedsCrc() const override { return false; }
  std::vector<std::uint8_t> MakeHeader(std::uint32_t) override { return transform_.GetHeader(); }
  void EncryptBuffer(std::span<std::uint8_t> bytes) override { transform_.EncryptBuffer(bytes); }
  void DecryptBuffer(std::span<std::uint8_t> bytes) override { transform_.DecryptBuffer(bytes); }
  std::vector<std::uint8_t> MakeTrailer() override { return transform_.GetAuthenticationCode(); }
  std::size_t Overhead() const override {
    return transform_.GetHeaderSize() + transform_.GetAuthenticationCodeSize();
  }

 private:
  TZACryptoTransform& transform_;
};

// Traditional: header = the 12 encrypted bytes carrying the CRC check bytes; no trailer.
class TZATraditionalMemberCipher final : public TZAMemberCipher {
 public:
  explicit TZATraditionalMemberCipher(TZATraditionalCipher& cipher,
                                      TZARandomSource& random = SystemRandom())
      : cipher_(cipher), random_(random) {}
  bool HeaderNeedsCrc() const override { return true; }
  std::vector<std::uint8_t> MakeHeader(std::uint32_t crc32) override {
    const auto header = cipher_.MakeHeader(crc32, random_);
    return {header.begin(), header.end()};
  }
  void EncryptBuffer(std::span<std::uint8_t> bytes) override { cipher_.EncryptBuffer(bytes); }
  void DecryptBuffer(std::span<std::uint8_t> bytes) override { cipher_.DecryptBuffer(bytes); }
  std::vector<std::uint8_t> MakeTrailer() override { return {}; }
  std::size_t Overhead() const override { return TZATraditionalCipher::kHeaderSize; }

 private:
  TZATraditionalCipher& cipher_;
  TZARandomSource& random_;
};

}  // namespace engine
