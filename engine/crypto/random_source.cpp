#include "engine/crypto/random_source.h"

#include <cstring>

namespace engine {

std::vector<std::uint8_t> MakeSalt(TZARandomSource& random, std::size_t length) {
  // Rejecting 255 keeps the 255 remaining values equally likely.
  std::vector<std::uint8_t> salt;
  salt.reserve(length);
  std::uint8_t pool[64];
  while (salt.size() < length) {
    random.Fill(pool);
    for (const std::uint8_t b : pool) {
      if (b != 255 && salt.size() < length) salt.push_back(b);
    }
  }
  return salt;
}

void SecureWipe(std::span<std::uint8_t> bytes) noexcept {
  if (bytes.empty()) return;
  std::memset(bytes.data(), 0, bytes.size());
  // The empty asm with the memory clobber keeps the stores of key material alive.
  __asm__ __volatile__("" : : "r"(bytes.data()) : "memory");
}

}  // namespace engine
