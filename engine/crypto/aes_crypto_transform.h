#pragma once
// The per-member AES cipher of the archive (WinZip AE layout): salt and 2-byte password
// verifier before the data, AES counter mode over the (compressed) data, HMAC-SHA1 over the
// encrypted bytes, its first 10 bytes after the data, and the 0x9901 extra field.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/crypto/hmac_sha1.h"
#include "engine/crypto/random_source.h"
#include "engine/crypto/rijndael.h"
#include "engine/data_stream.h"

namespace engine {

inline constexpr int kTransformEncryption = 0;
inline constexpr int kTransformDecryption = 1;

inline constexpr unsigned kAesKeyDerivationIterations = 1000;
inline constexpr std::uint16_t kAesExtraFieldId = 0x9901;

class TZACryptoTransform {
 public:
  virtual ~TZACryptoTransform() = default;

  virtual void SetPassword(std::string_view password) = 0;
  virtual bool CheckPassword(std::string_view password) = 0;
  virtual std::vector<std::uint8_t> GetKey() const = 0;
  virtual std::string GetPassword() const = 0;
  virtual void SetTransformMode(int mode) { transformMode_ = mode; }
  virtual void Reset() = 0;
  virtual void DecryptBuffer(std::span<std::uint8_t> bytes) = 0;
  virtual void EncryptBuffer(std::span<std::uint8_t> bytes) = 0;
  virtual std::vector<std::uint8_t> GetHeader() const = 0;
  // Reads salt and verifier; false when the stream ended early.
  virtual bool ReadHeader(TZAReadStream& stream) = 0;
  virtual std::size_t GetHeaderSize() const = 0;
  virtual std::vector<std::uint8_t> GetAuthenticationCode() = 0;
  // Reads the stored code; false when the stream ended early.
  virtual bool ReadAuthenticationCode(TZAReadStream& stream) = 0;
  virtual std::size_t GetAuthenticationCodeSize() const = 0;
  virtual bool AuthenticationFailed() = 0;
  virtual std::vector<std::uint8_t> GetExtraField() const = 0;

  int TransformMode() const noexcept { return transformMode_; }

 protected:
  int transformMode_ = kTransformEncryption;
};

// Writing: SetTransformMode(0); SetPassword(p); GetHeader; EncryptBuffer on each block;
// GetAuthenticationCode. Reading: SetTransformMode(1); SetPassword(p); ReadHeader;
// CheckPassword(p) (again with other passwords as the user gives them); DecryptBuffer on each
// block; ReadAuthenticationCode; AuthenticationFailed.
class TAESCryptoTransform final : public TZACryptoTransform {
 public:
  static constexpr std::size_t kAuthenticationCodeSize = 10;
  static constexpr std::size_t kVerifierSize = 2;

  // keyBits 128, 192 or 256 (else std::invalid_argument); actualMethod 0 or 8; aeVersion as
  // written to the extra field (2). Salts come from `random` (the system source by default).
  TAESCryptoTransform(int keyBits, int actualMethod, int aeVersion = 2,
                      TZARandomSource& random = SystemRandom());
  ~TAESCryptoTransform() override;

  // Encrypting (or no salt yet): a new salt; then derives the keys and starts cipher and HMAC.
  void SetPassword(std::string_view password) override;
  // Derives from `password` and the stored salt; true when its verifier equals the one read.
  // A password that passes becomes the one the member is decrypted with.
  bool CheckPassword(std::string_view password) override;
  std::vector<std::uint8_t> GetKey() const override { return aesKey_; }
  std::string GetPassword() const override { return password_; }
  void Reset() override;
  void DecryptBuffer(std::span<std::uint8_t> bytes) override;
  void EncryptBuffer(std::span<std::uint8_t> bytes) override;
  std::vector<std::uint8_t> GetHeader() const override;
  bool ReadHeader(TZAReadStream& stream) override;
  std::size_t GetHeaderSize() const override { return SaltSize() + kVerifierSize; }
  std::vector<std::uint8_t> GetAuthenticationCode() override;
  bool ReadAuthenticationCode(TZAReadStream& stream) override;
  std::size_t GetAuthenticationCodeSize() const override { return kAuthenticationCodeSize; }
  bool AuthenticationFailed() override;
  // Header id 0x9901, size 7, version, "AE", strength, actual method (11 bytes).
  std::vector<std::uint8_t> GetExtraField() const override;

  // The same steps from bytes in memory (salt + verifier; the 10-byte code).
  bool ReadHeader(std::span<const std::uint8_t> header);
  bool ReadAuthenticationCode(std::span<const std::uint8_t> code);

  int KeyBytes() const noexcept { return keyBytes_; }
  std::size_t SaltSize() const noexcept { return static_cast<std::size_t>(keyBytes_) / 2; }
  int Strength() const noexcept { return keyBytes_ / 8 - 1; }  // 1, 2, 3
  int AeVersion() const noexcept { return aeVersion_; }
  int ActualMethod() const noexcept { return actualMethod_; }
  const std::vector<std::uint8_t>& Salt() const noexcept { return salt_; }

 private:
  std::vector<std::uint8_t> DeriveBytes(std::string_view password) const;
  void Start(std::vector<std::uint8_t>& derived);  // keys, HMAC and cipher; wipes `derived`
  std::array<std::uint8_t, TSha1::kDigestSize> FinishHmac();

  int keyBytes_;
  int actualMethod_;
  int aeVersion_;
  TZARandomSource* random_;
  std::string password_;
  std::vector<std::uint8_t> salt_;
  std::vector<std::uint8_t> aesKey_;
  std::vector<std::uint8_t> hmacKey_;
  std::array<std::uint8_t, kVerifierSize> verifier_{};  // derived from the password
  std::optional<std::array<std::uint8_t, kVerifierSize>> storedVerifier_;  // read from the archive
  std::optional<THmacSha1> hmac_;
  std::unique_ptr<TCipher_Rijndael> cipher_;
  std::optional<std::array<std::uint8_t, TSha1::kDigestSize>> finishedHmac_;
  std::array<std::uint8_t, kAuthenticationCodeSize> storedCode_{};
};

}  // namespace engine
