#include "engine/crypto/traditional_cipher.h"

#include "engine/crypto/crc32.h"

namespace engine {

TZATraditionalCipher::TZATraditionalCipher(std::string_view password) noexcept {
  for (const char c : password) UpdateKeys(static_cast<std::uint8_t>(c));
}

TZATraditionalCipher::~TZATraditionalCipher() {
  key0_ = key1_ = key2_ = 0;
  __asm__ __volatile__("" : : "r"(this) : "memory");
}

void TZATraditionalCipher::UpdateKeys(std::uint8_t plain) noexcept {
  key0_ = Crc32Step(key0_, plain);
  key1_ = (key1_ + (key0_ & 0xFFu)) * 134775813u + 1u;
  key2_ = Crc32Step(key2_, static_cast<std::uint8_t>(key1_ >> 24));
}

std::uint8_t TZATraditionalCipher::KeystreamByte() const noexcept {
  const std::uint32_t t = (key2_ | 2u) & 0xFFFFu;
  return static_cast<std::uint8_t>((t * (t ^ 1u)) >> 8);
}

void TZATraditionalCipher::EncryptBuffer(std::span<std::uint8_t> bytes) noexcept {
  for (auto& b : bytes) {
    const std::uint8_t plain = b;
    b = plain ^ KeystreamByte();
    UpdateKeys(plain);
  }
}

void TZATraditionalCipher::DecryptBuffer(std::span<std::uint8_t> bytes) noexcept {
  for (auto& b : bytes) {
    b ^= KeystreamByte();
    UpdateKeys(b);
  }
}

TZATraditionalCipher::Header TZATraditionalCipher::MakeHeader(std::uint32_t crc32,
                                                               TZARandomSource& random) {
  Header header{};
  random.Fill(std::span<std::uint8_t>(header).first(10));
  header[10] = static_cast<std::uint8_t>(crc32 >> 16);
  header[11] = static_cast<std::uint8_t>(crc32 >> 24);
  EncryptBuffer(header);
  return header;
}

bool TZATraditionalCipher::CheckHeader(std::span<const std::uint8_t, kHeaderSize> header,
                                       std::uint8_t checkByte) noexcept {
  Header plain{};
  std::copy(header.begin(), header.end(), plain.begin());
  DecryptBuffer(plain);
  return plain[11] == checkByte;
}

std::uint8_t TZATraditionalCipher::CheckByte(std::uint32_t crc32, std::uint16_t dosTime,
                                             bool hasDataDescriptor) noexcept {
  return hasDataDescriptor ? static_cast<std::uint8_t>(dosTime >> 8)
                           : static_cast<std::uint8_t>(crc32 >> 24);
}

}  // namespace engine
