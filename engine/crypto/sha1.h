#pragma once
// SHA-1 (FIPS 180-4). Used only inside HMAC-SHA1 and PBKDF2 of AES members.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace engine {

class TSha1 {
 public:
  static constexpr std::size_t kBlockSize = 64;
  static constexpr std::size_t kDigestSize = 20;
  using Digest = std::array<std::uint8_t, kDigestSize>;
  using State = std::array<std::uint32_t, 5>;

  TSha1() noexcept;
  void Update(std::span<const std::uint8_t> bytes) noexcept;
  void Update(std::string_view bytes) noexcept;
  // Finishes the digest; the object starts afresh afterwards.
  Digest Final() noexcept;

  static Digest Hash(std::span<const std::uint8_t> bytes) noexcept;
  static Digest Hash(std::string_view bytes) noexcept;

  // The compression function over whole 64-byte blocks (HMAC and PBKDF2 reuse states).
  static void Compress(State& state, const std::uint8_t* blocks, std::size_t blockCount) noexcept;
  static constexpr State kInitialState = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u,
                                          0xC3D2E1F0u};

  // Continues a message whose first `bytesHashed` bytes (whole blocks) gave `state`.
  static TSha1 Resume(const State& state, std::uint64_t bytesHashed) noexcept;

 private:
  State state_;
  std::array<std::uint8_t, kBlockSize> buffer_{};
  std::uint64_t length_ = 0;
};

}  // namespace engine
