#include "engine/crypto/hmac_sha1.h"

#include <algorithm>

#include "engine/crypto/random_source.h"

namespace engine {

THmacSha1::THmacSha1(std::span<const std::uint8_t> key) noexcept {
  std::array<std::uint8_t, TSha1::kBlockSize> block{};
  if (key.size() > TSha1::kBlockSize) {
    const TSha1::Digest hashed = TSha1::Hash(key);
    std::copy(hashed.begin(), hashed.end(), block.begin());
  } else {
    std::copy(key.begin(), key.end(), block.begin());
  }
  for (auto& b : block) b ^= 0x36;
  innerState_ = TSha1::kInitialState;
  TSha1::Compress(innerState_, block.data(), 1);
  for (auto& b : block) b ^= 0x36 ^ 0x5C;
  outerState_ = TSha1::kInitialState;
  TSha1::Compress(outerState_, block.data(), 1);
  SecureWipe(block);
  inner_ = TSha1::Resume(innerState_, TSha1::kBlockSize);
}

THmacSha1::~THmacSha1() {
  SecureWipe({reinterpret_cast<std::uint8_t*>(innerState_.data()), sizeof innerState_});
  SecureWipe({reinterpret_cast<std::uint8_t*>(outerState_.data()), sizeof outerState_});
}

TSha1::Digest THmacSha1::Final() noexcept {
  const TSha1::Digest innerDigest = inner_.Final();
  TSha1 outer = TSha1::Resume(outerState_, TSha1::kBlockSize);
  outer.Update(innerDigest);
  inner_ = TSha1::Resume(innerState_, TSha1::kBlockSize);
  return outer.Final();
}

TSha1::Digest THmacSha1::Compute(std::span<const std::uint8_t> key,
                                 std::span<const std::uint8_t> message) noexcept {
  THmacSha1 hmac(key);
  hmac.Update(message);
  return hmac.Final();
}

}  // namespace engine
