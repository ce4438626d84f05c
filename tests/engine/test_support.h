#pragma once
// Helpers shared by the engine's cipher and compression tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/crypto/cpu_features.h"
#include "engine/crypto/random_source.h"

namespace engine::test {

inline std::vector<std::uint8_t> Hex(std::string_view hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

inline std::string ToHex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// Deterministic bytes (xorshift), for inputs and for repeatable salts.
class FixedRandom final : public TZARandomSource {
 public:
  explicit FixedRandom(std::uint64_t seed) : state_(seed | 1) {}
  void Fill(std::span<std::uint8_t> out) override {
    for (auto& b : out) b = static_cast<std::uint8_t>(Next() >> 24);
  }
  std::uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }

 private:
  std::uint64_t state_;
};

inline std::vector<std::uint8_t> RandomBytes(std::size_t n, std::uint64_t seed) {
  std::vector<std::uint8_t> bytes(n);
  FixedRandom(seed).Fill(bytes);
  return bytes;
}

// Forces the portable cipher code for the lifetime of the guard (objects made meanwhile).
class ScopedCryptoPath {
 public:
  explicit ScopedCryptoPath(bool portable) { ForcePortableCrypto(portable); }
  ~ScopedCryptoPath() { ForcePortableCrypto(false); }
  ScopedCryptoPath(const ScopedCryptoPath&) = delete;
  ScopedCryptoPath& operator=(const ScopedCryptoPath&) = delete;
};

// Both implementations: the CPU's instructions (when present) and the portable code.
inline constexpr bool kBothPaths[] = {false, true};
inline const char* PathName(bool portable) { return portable ? "portable" : "instructions"; }

}  // namespace engine::test
