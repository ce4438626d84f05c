#include "engine/crypto/sha1.h"

#include <algorithm>
#include <cstring>

#include "engine/crypto/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KW_SHA_NI 1
#endif

namespace engine {
namespace {

constexpr std::uint32_t Rol(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

std::uint32_t LoadBig(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
}

void CompressPortable(TSha1::State& state, const std::uint8_t* data, std::size_t blocks) {
  for (; blocks != 0; --blocks, data += TSha1::kBlockSize) {
    std::uint32_t w[16];
    for (int i = 0; i < 16; ++i) w[i] = LoadBig(data + 4 * i);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
      std::uint32_t wi = 0;
      if (i < 16) {
        wi = w[i];
      } else {
        wi = Rol(w[(i + 13) & 15] ^ w[(i + 8) & 15] ^ w[(i + 2) & 15] ^ w[i & 15], 1);
        w[i & 15] = wi;
      }
      std::uint32_t f = 0, k = 0;
      if (i < 20) {
        f = d ^ (b & (c ^ d));
        k = 0x5A827999u;
      } else if (i < 40) {
        f = b ^ c ^ d;
        k = 0x6ED9EBA1u;
      } else if (i < 60) {
        f = (b & c) | (d & (b | c));
        k = 0x8F1BBCDCu;
      } else {
        f = b ^ c ^ d;
        k = 0xCA62C1D6u;
      }
      const std::uint32_t t = Rol(a, 5) + f + e + k + wi;
      e = d;
      d = c;
      c = Rol(b, 30);
      b = a;
      a = t;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
  }
}

#ifdef KW_SHA_NI
#define KW_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3")))

// Four rounds of group G (rounds 4G..4G+3) with the message schedule interleaved; m[G % 4]
// holds words 4G..4G+3 when the group starts.
template <int G>
KW_SHA_TARGET inline __attribute__((always_inline)) void ShaGroup(__m128i& abcd, __m128i& e0,
                                                                  __m128i& e1, __m128i* m) {
  constexpr int f = G / 5;
  if constexpr (G == 0) {
    e0 = _mm_add_epi32(e0, m[0]);
    e1 = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, e0, f);
  } else if constexpr (G % 2 == 0) {
    e0 = _mm_sha1nexte_epu32(e0, m[G % 4]);
    e1 = abcd;
    if constexpr (G >= 3 && G <= 18) m[(G + 1) % 4] = _mm_sha1msg2_epu32(m[(G + 1) % 4], m[G % 4]);
    abcd = _mm_sha1rnds4_epu32(abcd, e0, f);
  } else {
    e1 = _mm_sha1nexte_epu32(e1, m[G % 4]);
    e0 = abcd;
    if constexpr (G >= 3 && G <= 18) m[(G + 1) % 4] = _mm_sha1msg2_epu32(m[(G + 1) % 4], m[G % 4]);
    abcd = _mm_sha1rnds4_epu32(abcd, e1, f);
  }
  if constexpr (G >= 1 && G <= 16) m[(G + 3) % 4] = _mm_sha1msg1_epu32(m[(G + 3) % 4], m[G % 4]);
  if constexpr (G >= 2 && G <= 17) m[(G + 2) % 4] = _mm_xor_si128(m[(G + 2) % 4], m[G % 4]);
}

template <int... G>
KW_SHA_TARGET inline __attribute__((always_inline)) void ShaGroups(
    __m128i& abcd, __m128i& e0, __m128i& e1, __m128i* m, const std::uint8_t* data,
    const __m128i& mask, std::integer_sequence<int, G...>) {
  // Groups 0-3 load the block's four message quads first.
  ((G < 4 ? (void)(m[G] = _mm_shuffle_epi8(
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * G)), mask))
          : (void)0,
    ShaGroup<G>(abcd, e0, e1, m)),
   ...);
}

KW_SHA_TARGET void CompressShaNi(TSha1::State& state, const std::uint8_t* data,
                                 std::size_t blocks) {
  const __m128i mask = _mm_set_epi64x(0x0001020304050607LL, 0x08090A0B0C0D0E0FLL);
  __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state.data())),
                                   0x1B);
  __m128i e0 = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
  for (; blocks != 0; --blocks, data += TSha1::kBlockSize) {
    const __m128i abcdSaved = abcd;
    const __m128i e0Saved = e0;
    __m128i e1;
    __m128i m[4];
    ShaGroups(abcd, e0, e1, m, data, mask, std::make_integer_sequence<int, 20>{});
    e0 = _mm_sha1nexte_epu32(e0, e0Saved);
    abcd = _mm_add_epi32(abcd, abcdSaved);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state.data()), _mm_shuffle_epi32(abcd, 0x1B));
  state[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e0, 3));
}
#endif

}  // namespace

void TSha1::Compress(State& state, const std::uint8_t* blocks, std::size_t blockCount) noexcept {
#ifdef KW_SHA_NI
  if (UseShaInstructions()) {
    CompressShaNi(state, blocks, blockCount);
    return;
  }
#endif
  CompressPortable(state, blocks, blockCount);
}

TSha1::TSha1() noexcept : state_(kInitialState) {}

TSha1 TSha1::Resume(const State& state, std::uint64_t bytesHashed) noexcept {
  TSha1 sha;
  sha.state_ = state;
  sha.length_ = bytesHashed;
  return sha;
}

void TSha1::Update(std::span<const std::uint8_t> bytes) noexcept {
  std::size_t used = length_ % kBlockSize;
  length_ += bytes.size();
  if (used != 0) {
    const std::size_t take = std::min(bytes.size(), kBlockSize - used);
    std::memcpy(buffer_.data() + used, bytes.data(), take);
    bytes = bytes.subspan(take);
    if (used + take < kBlockSize) return;
    Compress(state_, buffer_.data(), 1);
  }
  const std::size_t whole = bytes.size() / kBlockSize;
  if (whole != 0) Compress(state_, bytes.data(), whole);
  bytes = bytes.subspan(whole * kBlockSize);
  if (!bytes.empty()) std::memcpy(buffer_.data(), bytes.data(), bytes.size());
}

void TSha1::Update(std::string_view bytes) noexcept {
  Update({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

TSha1::Digest TSha1::Final() noexcept {
  const std::uint64_t bits = length_ * 8;
  std::size_t used = length_ % kBlockSize;
  buffer_[used++] = 0x80;
  if (used > kBlockSize - 8) {
    std::fill(buffer_.begin() + static_cast<std::ptrdiff_t>(used), buffer_.end(), 0);
    Compress(state_, buffer_.data(), 1);
    used = 0;
  }
  std::fill(buffer_.begin() + static_cast<std::ptrdiff_t>(used), buffer_.end() - 8, 0);
  for (int i = 0; i < 8; ++i) buffer_[kBlockSize - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
  Compress(state_, buffer_.data(), 1);
  Digest digest{};
  for (std::size_t i = 0; i < kDigestSize; ++i) {
    digest[i] = static_cast<std::uint8_t>(state_[i / 4] >> (24 - 8 * (i % 4)));
  }
  *this = TSha1();
  return digest;
}

TSha1::Digest TSha1::Hash(std::span<const std::uint8_t> bytes) noexcept {
  TSha1 sha;
  sha.Update(bytes);
  return sha.Final();
}

TSha1::Digest TSha1::Hash(std::string_view bytes) noexcept {
  TSha1 sha;
  sha.Update(bytes);
  return sha.Final();
}

}  // namespace engine
