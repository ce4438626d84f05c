#pragma once
// The ZIP CRC-32: reflected polynomial 0xEDB88320, register starting at 0xFFFFFFFF, final
// value complemented. The single table step is also the key update of the traditional cipher.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace engine {

inline constexpr std::uint32_t kCrc32Initial = 0xFFFFFFFFu;

extern const std::array<std::uint32_t, 256> kCrc32Table;

// One table step of the register with one byte, without the initial and final complement.
inline std::uint32_t Crc32Step(std::uint32_t reg, std::uint8_t byte) noexcept {
  return kCrc32Table[(reg ^ byte) & 0xFFu] ^ (reg >> 8);
}

// A running CRC-32 over data given in pieces (bulk work by zlib's crc32).
class TCrc32 {
 public:
  void Update(std::span<const std::uint8_t> bytes) noexcept;
  // The CRC-32 of everything given so far (the complemented register).
  std::uint32_t Value() const noexcept { return ~reg_; }
  void Reset() noexcept { reg_ = kCrc32Initial; }

 private:
  std::uint32_t reg_ = kCrc32Initial;
};

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) noexcept;
std::uint32_t Crc32(std::string_view bytes) noexcept;

}  // namespace engine
