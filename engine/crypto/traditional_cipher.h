#pragma once
// The traditional encryption of the ZIP application note: three 32-bit keys updated with
// every plain byte, a keystream byte from the third key, a 12-byte encryption header in
// front of the data. Weak by today's measure; kept so that such archives can be read and
// written.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "engine/crypto/random_source.h"

namespace engine {

class TZATraditionalCipher {
 public:
  static constexpr std::size_t kHeaderSize = 12;
  using Header = std::array<std::uint8_t, kHeaderSize>;

  // Keys initialised and updated with each password byte.
  explicit TZATraditionalCipher(std::string_view password) noexcept;
  ~TZATraditionalCipher();

  // The encrypted header for a member: ten random bytes, then bits 16-23 and 24-31 of its
  // CRC-32. Advances the keys as writing the header does.
  Header MakeHeader(std::uint32_t crc32, TZARandomSource& random = SystemRandom());
  // Decrypts a header read from the archive (advancing the keys) and compares its byte 11
  // with `checkByte`.
  bool CheckHeader(std::span<const std::uint8_t, kHeaderSize> header, std::uint8_t checkByte) noexcept;
  // What byte 11 must hold: the CRC's high byte, or with a data descriptor (flag bit 3) the
  // high byte of the member's DOS time.
  static std::uint8_t CheckByte(std::uint32_t crc32, std::uint16_t dosTime,
                                bool hasDataDescriptor) noexcept;

  void EncryptBuffer(std::span<std::uint8_t> bytes) noexcept;
  void DecryptBuffer(std::span<std::uint8_t> bytes) noexcept;

 private:
  void UpdateKeys(std::uint8_t plain) noexcept;
  std::uint8_t KeystreamByte() const noexcept;

  std::uint32_t key0_ = 0x12345678u;
  std::uint32_t key1_ = 0x23456789u;
  std::uint32_t key2_ = 0x34567890u;
};

}  // namespace engine
