#include "engine/crypto/aes_crypto_transform.h"

#include <algorithm>
#include <stdexcept>

#include "engine/crypto/pbkdf2.h"

namespace engine {

TAESCryptoTransform::TAESCryptoTransform(int keyBits, int actualMethod, int aeVersion,
                                         TZARandomSource& random)
    : keyBytes_(keyBits / 8), actualMethod_(actualMethod), aeVersion_(aeVersion), random_(&random) {
  if (keyBits != 128 && keyBits != 192 && keyBits != 256) {
    throw std::invalid_argument("AES key length must be 128, 192 or 256 bits");
  }
}

TAESCryptoTransform::~TAESCryptoTransform() { Reset(); }

std::vector<std::uint8_t> TAESCryptoTransform::DeriveBytes(std::string_view password) const {
  const TPBKDF2 kdf(password, salt_, kAesKeyDerivationIterations);
  return kdf.GetBytes(2 * static_cast<std::size_t>(keyBytes_) + 2);
}

void TAESCryptoTransform::Start(std::vector<std::uint8_t>& derived) {
  const auto keyEnd = derived.begin() + keyBytes_;
  SecureWipe(aesKey_);
  SecureWipe(hmacKey_);
  aesKey_.assign(derived.begin(), keyEnd);
  hmacKey_.assign(keyEnd, keyEnd + keyBytes_);
  std::copy(keyEnd + keyBytes_, derived.end(), verifier_.begin());
  SecureWipe(derived);
  hmac_.emplace(hmacKey_);
  finishedHmac_.reset();
  cipher_ = std::make_unique<TCipher_Rijndael>(aesKey_);
}

void TAESCryptoTransform::SetPassword(std::string_view password) {
  password_.assign(password);
  if (transformMode_ == kTransformEncryption || salt_.empty()) {
    salt_ = MakeSalt(*random_, SaltSize());
    storedVerifier_.reset();
  }
  auto derived = DeriveBytes(password_);
  Start(derived);
}

bool TAESCryptoTransform::CheckPassword(std::string_view password) {
  if (salt_.size() != SaltSize()) return false;
  const auto expected = storedVerifier_ ? *storedVerifier_ : verifier_;
  if (cipher_ && password == password_) return verifier_ == expected;
  auto derived = DeriveBytes(password);
  const bool same = derived[derived.size() - 2] == expected[0] && derived[derived.size() - 1] == expected[1];
  if (same) {
    // The password that opens the member is the one to decrypt it with.
    password_.assign(password);
    Start(derived);
  }
  SecureWipe(derived);
  return same;
}

void TAESCryptoTransform::Reset() {
  SecureWipe({reinterpret_cast<std::uint8_t*>(password_.data()), password_.size()});
  password_.clear();
  SecureWipe(aesKey_);
  SecureWipe(hmacKey_);
  aesKey_.clear();
  hmacKey_.clear();
  salt_.clear();
  verifier_ = {};
  storedVerifier_.reset();
  hmac_.reset();
  cipher_.reset();
  finishedHmac_.reset();
  storedCode_ = {};
}

void TAESCryptoTransform::EncryptBuffer(std::span<std::uint8_t> bytes) {
  if (!cipher_) throw std::logic_error("AES member cipher used before its password was set");
  // Cipher and HMAC in cache-sized slices, so that the bytes are still in L1 when hashed.
  constexpr std::size_t kSlice = 16384;
  while (!bytes.empty()) {
    const auto slice = bytes.first(std::min(kSlice, bytes.size()));
    cipher_->EncryptBuffer(slice);
    hmac_->Update(slice);
    bytes = bytes.subspan(slice.size());
  }
}

void TAESCryptoTransform::DecryptBuffer(std::span<std::uint8_t> bytes) {
  if (!cipher_) throw std::logic_error("AES member cipher used before its password was set");
  constexpr std::size_t kSlice = 16384;
  while (!bytes.empty()) {
    const auto slice = bytes.first(std::min(kSlice, bytes.size()));
    hmac_->Update(slice);
    cipher_->DecryptBuffer(slice);
    bytes = bytes.subspan(slice.size());
  }
}

std::vector<std::uint8_t> TAESCryptoTransform::GetHeader() const {
  std::vector<std::uint8_t> header = salt_;
  header.insert(header.end(), verifier_.begin(), verifier_.end());
  return header;
}

bool TAESCryptoTransform::ReadHeader(std::span<const std::uint8_t> header) {
  if (header.size() != GetHeaderSize()) return false;
  salt_.assign(header.begin(), header.end() - kVerifierSize);
  // Keys from the current password, as when writing; the stored verifier is kept apart for
  // CheckPassword.
  auto derived = DeriveBytes(password_);
  Start(derived);
  storedVerifier_.emplace();
  std::copy(header.end() - kVerifierSize, header.end(), storedVerifier_->begin());
  return true;
}

bool TAESCryptoTransform::ReadHeader(TZAReadStream& stream) {
  std::vector<std::uint8_t> header(GetHeaderSize());
  if (stream.Read(header) != header.size()) return false;
  return ReadHeader(std::span<const std::uint8_t>(header));
}

std::array<std::uint8_t, TSha1::kDigestSize> TAESCryptoTransform::FinishHmac() {
  if (!hmac_) throw std::logic_error("AES member cipher used before its password was set");
  if (!finishedHmac_) finishedHmac_ = hmac_->Final();
  return *finishedHmac_;
}

std::vector<std::uint8_t> TAESCryptoTransform::GetAuthenticationCode() {
  const auto full = FinishHmac();
  return {full.begin(), full.begin() + kAuthenticationCodeSize};
}

bool TAESCryptoTransform::ReadAuthenticationCode(std::span<const std::uint8_t> code) {
  if (code.size() != kAuthenticationCodeSize) return false;
  std::copy(code.begin(), code.end(), storedCode_.begin());
  return true;
}

bool TAESCryptoTransform::ReadAuthenticationCode(TZAReadStream& stream) {
  std::array<std::uint8_t, kAuthenticationCodeSize> code{};
  if (stream.Read(code) != code.size()) return false;
  return ReadAuthenticationCode(std::span<const std::uint8_t>(code));
}

bool TAESCryptoTransform::AuthenticationFailed() {
  const auto full = FinishHmac();
  // Compared without an early exit, so timing does not tell how many bytes matched.
  std::uint8_t diff = 0;
  for (std::size_t i = 0; i < kAuthenticationCodeSize; ++i) {
    diff = static_cast<std::uint8_t>(diff | (full[i] ^ storedCode_[i]));
  }
  return diff != 0;
}

std::vector<std::uint8_t> TAESCryptoTransform::GetExtraField() const {
  auto lo = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
  auto hi = [](int v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); };
  return {lo(kAesExtraFieldId), hi(kAesExtraFieldId), 7, 0,
          lo(aeVersion_),        hi(aeVersion_),       'A', 'E',
          static_cast<std::uint8_t>(Strength()), lo(actualMethod_), hi(actualMethod_)};
}

}  // namespace engine
