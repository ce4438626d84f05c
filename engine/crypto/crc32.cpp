#include "engine/crypto/crc32.h"

#include <zlib.h>

#include <algorithm>

namespace engine {
namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

}  // namespace

const std::array<std::uint32_t, 256> kCrc32Table = MakeTable();

void TCrc32::Update(std::span<const std::uint8_t> bytes) noexcept {
  // zlib works on the complemented register and takes at most 4 GiB per call.
  uLong crc = ~reg_;
  while (!bytes.empty()) {
    const std::size_t n = std::min<std::size_t>(bytes.size(), 1u << 30);
    crc = crc32(crc, bytes.data(), static_cast<uInt>(n));
    bytes = bytes.subspan(n);
  }
  reg_ = ~static_cast<std::uint32_t>(crc);
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) noexcept {
  TCrc32 crc;
  crc.Update(bytes);
  return crc.Value();
}

std::uint32_t Crc32(std::string_view bytes) noexcept {
  return Crc32({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

}  // namespace engine
