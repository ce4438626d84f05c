#pragma once
// HMAC-SHA1 (RFC 2104): the authentication code of AES members and the PRF of PBKDF2.
#include <span>
#include <string_view>

#include "engine/crypto/sha1.h"

namespace engine {

class THmacSha1 {
 public:
  explicit THmacSha1(std::span<const std::uint8_t> key) noexcept;
  THmacSha1(const THmacSha1&) = default;
  THmacSha1& operator=(const THmacSha1&) = default;
  ~THmacSha1();  // wipes the keyed states
  void Update(std::span<const std::uint8_t> bytes) noexcept { inner_.Update(bytes); }
  // The 20-byte code of everything given since construction or the last Final; the object
  // then starts a new message with the same key.
  TSha1::Digest Final() noexcept;

  static TSha1::Digest Compute(std::span<const std::uint8_t> key,
                               std::span<const std::uint8_t> message) noexcept;

  // The keyed inner and outer states after their pad blocks (PBKDF2 iterates from them).
  const TSha1::State& InnerState() const noexcept { return innerState_; }
  const TSha1::State& OuterState() const noexcept { return outerState_; }

 private:
  TSha1::State innerState_;
  TSha1::State outerState_;
  TSha1 inner_;
};

}  // namespace engine
