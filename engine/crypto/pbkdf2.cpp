#include "engine/crypto/pbkdf2.h"

#include <algorithm>
#include <stdexcept>

#include "engine/crypto/hmac_sha1.h"

namespace engine {
namespace {

void StoreDigest(const TSha1::State& state, std::uint8_t* out) {
  for (std::size_t i = 0; i < TSha1::kDigestSize; ++i) {
    out[i] = static_cast<std::uint8_t>(state[i / 4] >> (24 - 8 * (i % 4)));
  }
}

}  // namespace

TPBKDF2::TPBKDF2(std::string_view password, std::span<const std::uint8_t> salt,
                 unsigned iterations)
    : password_(password), salt_(salt.begin(), salt.end()), iterations_(iterations) {
  if (iterations == 0) throw std::invalid_argument("PBKDF2 needs at least one iteration");
}

TPBKDF2::TPBKDF2(std::string_view password, std::size_t saltLength, unsigned iterations,
                 TZARandomSource& random)
    : TPBKDF2(password, MakeSalt(random, saltLength), iterations) {}

TPBKDF2::~TPBKDF2() {
  SecureWipe({reinterpret_cast<std::uint8_t*>(password_.data()), password_.size()});
}

std::vector<std::uint8_t> TPBKDF2::GetBytes(std::size_t count) const {
  const THmacSha1 keyed(
      {reinterpret_cast<const std::uint8_t*>(password_.data()), password_.size()});
  std::vector<std::uint8_t> out(count);
  // Each later iteration hashes one 20-byte value: one padded block for the inner and one
  // for the outer hash, resumed from the keyed states.
  std::array<std::uint8_t, TSha1::kBlockSize> block{};
  block[TSha1::kDigestSize] = 0x80;
  constexpr std::uint32_t kBits = (TSha1::kBlockSize + TSha1::kDigestSize) * 8;
  block[62] = static_cast<std::uint8_t>(kBits >> 8);
  block[63] = static_cast<std::uint8_t>(kBits);

  for (std::uint32_t index = 1; (index - 1) * TSha1::kDigestSize < count; ++index) {
    THmacSha1 first = keyed;
    first.Update(salt_);
    const std::uint8_t indexBytes[4] = {static_cast<std::uint8_t>(index >> 24),
                                        static_cast<std::uint8_t>(index >> 16),
                                        static_cast<std::uint8_t>(index >> 8),
                                        static_cast<std::uint8_t>(index)};
    first.Update(indexBytes);
    TSha1::Digest u = first.Final();
    TSha1::Digest t = u;
    for (unsigned i = 1; i < iterations_; ++i) {
      std::copy(u.begin(), u.end(), block.begin());
      TSha1::State state = keyed.InnerState();
      TSha1::Compress(state, block.data(), 1);
      StoreDigest(state, block.data());
      state = keyed.OuterState();
      TSha1::Compress(state, block.data(), 1);
      StoreDigest(state, u.data());
      for (std::size_t k = 0; k < u.size(); ++k) t[k] ^= u[k];
    }
    const std::size_t at = (index - 1) * TSha1::kDigestSize;
    const std::size_t take = std::min(TSha1::kDigestSize, count - at);
    std::copy_n(t.begin(), take, out.begin() + static_cast<std::ptrdiff_t>(at));
    SecureWipe(t);
    SecureWipe(u);
  }
  SecureWipe(block);
  return out;
}

}  // namespace engine
