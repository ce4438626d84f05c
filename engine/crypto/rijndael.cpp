#include "engine/crypto/rijndael.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "engine/crypto/cpu_features.h"
#include "engine/crypto/random_source.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KW_AES_NI 1
#endif

namespace engine {
namespace {

// --- The key schedule's S-box, computed rather than looked up: inversion in GF(2^8) as x^254
// and the affine map, on eight bytes at once in a 64-bit word. Slow but rare (once per key);
// no memory access depends on a key byte.

constexpr std::uint64_t kLow = 0x0101010101010101ull;

std::uint64_t Xtime8(std::uint64_t a) {
  return ((a & 0x7F7F7F7F7F7F7F7Full) << 1) ^ (((a >> 7) & kLow) * 0x1B);
}

std::uint64_t Mul8(std::uint64_t a, std::uint64_t b) {
  std::uint64_t r = 0;
  for (int i = 0; i < 8; ++i) {
    r ^= a & (((b >> i) & kLow) * 0xFF);
    a = Xtime8(a);
  }
  return r;
}

std::uint64_t RotateBytesLeft(std::uint64_t x, int k) {
  const std::uint64_t high = kLow * ((0xFFu << k) & 0xFFu);
  const std::uint64_t low = kLow * ((1u << k) - 1u);
  return ((x << k) & high) | ((x >> (8 - k)) & low);
}

// The AES S-box applied to each of the eight bytes of x.
std::uint64_t SubBytes8(std::uint64_t x) {
  const std::uint64_t x2 = Mul8(x, x);
  const std::uint64_t x3 = Mul8(x2, x);
  const std::uint64_t x6 = Mul8(x3, x3);
  const std::uint64_t x12 = Mul8(x6, x6);
  const std::uint64_t x14 = Mul8(x12, x2);
  const std::uint64_t x15 = Mul8(x12, x3);
  const std::uint64_t x30 = Mul8(x15, x15);
  const std::uint64_t x60 = Mul8(x30, x30);
  const std::uint64_t x120 = Mul8(x60, x60);
  const std::uint64_t x240 = Mul8(x120, x120);
  const std::uint64_t inv = Mul8(x240, x14);  // x^254: the inverse, and 0 for 0
  return inv ^ RotateBytesLeft(inv, 1) ^ RotateBytesLeft(inv, 2) ^ RotateBytesLeft(inv, 3) ^
         RotateBytesLeft(inv, 4) ^ (kLow * 0x63);
}

std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

void Store64(std::uint8_t* p, std::uint64_t v) { std::memcpy(p, &v, 8); }

// --- Bitsliced rounds: four blocks at once. Plane k holds bit k of all 64 bytes; byte p
// (row r = p % 4, column c = p / 4) of block b sits at bit 4p + b, so a column is a 16-bit
// lane and a row a nibble of it. The S-box is the Boyar-Peralta circuit (113 gates); the
// other steps are shifts and XORs. Nothing depends on secret bytes but the values.

using Planes = std::array<std::uint64_t, 8>;

// 8x8 bit transpose: bit 8r + c <-> bit 8c + r.
std::uint64_t Transpose8(std::uint64_t x) {
  std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
  x ^= t ^ (t << 7);
  t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
  x ^= t ^ (t << 14);
  t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
  x ^= t ^ (t << 28);
  return x;
}

// blocks: four 16-byte blocks one after another.
Planes Pack(const std::uint8_t* blocks) {
  Planes planes{};
  for (int g = 0; g < 8; ++g) {
    std::uint64_t w = 0;
    for (int m = 0; m < 8; ++m) {
      const int i = 8 * g + m;  // bit index 4p + b
      w |= std::uint64_t{blocks[16 * (i % 4) + i / 4]} << (8 * m);
    }
    w = Transpose8(w);  // byte k: bit k of the eight bytes
    for (int k = 0; k < 8; ++k) planes[k] |= ((w >> (8 * k)) & 0xFFu) << (8 * g);
  }
  return planes;
}

void Unpack(const Planes& planes, std::uint8_t* blocks) {
  for (int g = 0; g < 8; ++g) {
    std::uint64_t w = 0;
    for (int k = 0; k < 8; ++k) w |= ((planes[k] >> (8 * g)) & 0xFFu) << (8 * k);
    w = Transpose8(w);
    for (int m = 0; m < 8; ++m) {
      const int i = 8 * g + m;
      blocks[16 * (i % 4) + i / 4] = static_cast<std::uint8_t>(w >> (8 * m));
    }
  }
}

void SubBytesSliced(Planes& s) {
  // Inputs most significant bit first, as the circuit is written.
  const std::uint64_t u0 = s[7], u1 = s[6], u2 = s[5], u3 = s[4];
  const std::uint64_t u4 = s[3], u5 = s[2], u6 = s[1], u7 = s[0];
  // Top linear transform.
  const std::uint64_t t1 = u0 ^ u3, t2 = u0 ^ u5, t3 = u0 ^ u6, t4 = u3 ^ u5, t5 = u4 ^ u6;
  const std::uint64_t t6 = t1 ^ t5, t7 = u1 ^ u2, t8 = u7 ^ t6, t9 = u7 ^ t7, t10 = t6 ^ t7;
  const std::uint64_t t11 = u1 ^ u5, t12 = u2 ^ u5, t13 = t3 ^ t4, t14 = t6 ^ t11;
  const std::uint64_t t15 = t5 ^ t11, t16 = t5 ^ t12, t17 = t9 ^ t16, t18 = u3 ^ u7;
  const std::uint64_t t19 = t7 ^ t18, t20 = t1 ^ t19, t21 = u6 ^ u7, t22 = t7 ^ t21;
  const std::uint64_t t23 = t2 ^ t22, t24 = t2 ^ t10, t25 = t20 ^ t17, t26 = t3 ^ t16;
  const std::uint64_t t27 = t1 ^ t12, d = u7;
  // Shared nonlinear middle.
  const std::uint64_t m1 = t13 & t6, m2 = t23 & t8, m3 = t14 ^ m1, m4 = t19 & d, m5 = m4 ^ m1;
  const std::uint64_t m6 = t3 & t16, m7 = t22 & t9, m8 = t26 ^ m6, m9 = t20 & t17;
  const std::uint64_t m10 = m9 ^ m6, m11 = t1 & t15, m12 = t4 & t27, m13 = m12 ^ m11;
  const std::uint64_t m14 = t2 & t10, m15 = m14 ^ m11, m16 = m3 ^ m2, m17 = m5 ^ t24;
  const std::uint64_t m18 = m8 ^ m7, m19 = m10 ^ m15, m20 = m16 ^ m13, m21 = m17 ^ m15;
  const std::uint64_t m22 = m18 ^ m13, m23 = m19 ^ t25, m24 = m22 ^ m23, m25 = m22 & m20;
  const std::uint64_t m26 = m21 ^ m25, m27 = m20 ^ m21, m28 = m23 ^ m25, m29 = m28 & m27;
  const std::uint64_t m30 = m26 & m24, m31 = m20 & m23, m32 = m27 & m31, m33 = m27 ^ m25;
  const std::uint64_t m34 = m21 & m22, m35 = m24 & m34, m36 = m24 ^ m25, m37 = m21 ^ m29;
  const std::uint64_t m38 = m32 ^ m33, m39 = m23 ^ m30, m40 = m35 ^ m36, m41 = m38 ^ m40;
  const std::uint64_t m42 = m37 ^ m39, m43 = m37 ^ m38, m44 = m39 ^ m40, m45 = m42 ^ m41;
  const std::uint64_t m46 = m44 & t6, m47 = m40 & t8, m48 = m39 & d, m49 = m43 & t16;
  const std::uint64_t m50 = m38 & t9, m51 = m37 & t17, m52 = m42 & t15, m53 = m45 & t27;
  const std::uint64_t m54 = m41 & t10, m55 = m44 & t13, m56 = m40 & t23, m57 = m39 & t19;
  const std::uint64_t m58 = m43 & t3, m59 = m38 & t22, m60 = m37 & t20, m61 = m42 & t1;
  const std::uint64_t m62 = m45 & t4, m63 = m41 & t2;
  // Bottom linear transform.
  const std::uint64_t l0 = m61 ^ m62, l1 = m50 ^ m56, l2 = m46 ^ m48, l3 = m47 ^ m55;
  const std::uint64_t l4 = m54 ^ m58, l5 = m49 ^ m61, l6 = m62 ^ l5, l7 = m46 ^ l3;
  const std::uint64_t l8 = m51 ^ m59, l9 = m52 ^ m53, l10 = m53 ^ l4, l11 = m60 ^ l2;
  const std::uint64_t l12 = m48 ^ m51, l13 = m50 ^ l0, l14 = m52 ^ m61, l15 = m55 ^ l1;
  const std::uint64_t l16 = m56 ^ l0, l17 = m57 ^ l1, l18 = m58 ^ l8, l19 = m63 ^ l4;
  const std::uint64_t l20 = l0 ^ l1, l21 = l1 ^ l7, l22 = l3 ^ l12, l23 = l18 ^ l2;
  const std::uint64_t l24 = l15 ^ l9, l25 = l6 ^ l10, l26 = l7 ^ l9, l27 = l8 ^ l10;
  const std::uint64_t l28 = l11 ^ l14, l29 = l11 ^ l17;
  s[7] = l6 ^ l24;
  s[6] = ~(l16 ^ l26);
  s[5] = ~(l19 ^ l28);
  s[4] = l6 ^ l21;
  s[3] = l20 ^ l22;
  s[2] = l25 ^ l29;
  s[1] = ~(l13 ^ l27);
  s[0] = ~(l6 ^ l23);
}

// Row r moves r columns to the left: nibble r of every lane rotates right by r lanes.
void ShiftRowsSliced(Planes& s) {
  constexpr std::uint64_t kRow = 0x000F000F000F000Full;
  for (auto& x : s) {
    x = (x & kRow) | std::rotr(x & (kRow << 4), 16) | std::rotr(x & (kRow << 8), 32) |
        std::rotr(x & (kRow << 12), 48);
  }
}

// Within each column lane: row r takes row r + 1 (Up1) or row r + 2 (Up2).
std::uint64_t Up1(std::uint64_t x) {
  return ((x >> 4) & 0x0FFF0FFF0FFF0FFFull) | ((x << 12) & 0xF000F000F000F000ull);
}
std::uint64_t Up2(std::uint64_t x) {
  return ((x >> 8) & 0x00FF00FF00FF00FFull) | ((x << 8) & 0xFF00FF00FF00FF00ull);
}

// b_r = 2(a_r ^ a_r+1) ^ a_r+1 ^ (a_r+2 ^ a_r+3).
void MixColumnsSliced(Planes& s) {
  Planes t;
  for (int k = 0; k < 8; ++k) t[k] = s[k] ^ Up1(s[k]);
  const std::array<std::uint64_t, 8> twice = {t[7],         t[0] ^ t[7], t[1], t[2] ^ t[7],
                                              t[3] ^ t[7], t[4],        t[5], t[6]};
  for (int k = 0; k < 8; ++k) s[k] = twice[k] ^ Up1(s[k]) ^ Up2(t[k]);
}

void AddRoundKeySliced(Planes& s, const std::uint64_t* key) {
  for (int k = 0; k < 8; ++k) s[k] ^= key[k];
}

// Four blocks from `in` to `out` (64 bytes each; may be the same).
void EncryptSliced(const std::uint64_t* keys, int rounds, const std::uint8_t* in,
                   std::uint8_t* out) {
  Planes s = Pack(in);
  AddRoundKeySliced(s, keys);
  for (int round = 1; round < rounds; ++round) {
    SubBytesSliced(s);
    ShiftRowsSliced(s);
    MixColumnsSliced(s);
    AddRoundKeySliced(s, keys + 8 * round);
  }
  SubBytesSliced(s);
  ShiftRowsSliced(s);
  AddRoundKeySliced(s, keys + 8 * rounds);
  Unpack(s, out);
  SecureWipe({reinterpret_cast<std::uint8_t*>(s.data()), sizeof s});
}

// A round key spread over the planes, the same for all four blocks.
void SliceRoundKey(const std::uint8_t* roundKey, std::uint64_t* planes) {
  for (int k = 0; k < 8; ++k) {
    std::uint64_t plane = 0;
    for (int p = 0; p < 16; ++p) {
      plane |= (std::uint64_t{0} - ((roundKey[p] >> k) & 1u)) & (0xFull << (4 * p));
    }
    planes[k] = plane;
  }
}

// FIPS-197 key expansion; the words are stored byte by byte in order, which is also the
// round-key layout the AES instructions take.
void ExpandKey(std::span<const std::uint8_t> key, std::uint8_t* w, int rounds) {
  const int nk = static_cast<int>(key.size() / 4);
  const int total = 4 * (rounds + 1);
  std::memcpy(w, key.data(), key.size());
  std::uint8_t rcon = 1;
  for (int i = nk; i < total; ++i) {
    std::uint8_t t[8] = {};
    std::memcpy(t, w + 4 * (i - 1), 4);
    if (i % nk == 0 || (nk > 6 && i % nk == 4)) {
      if (i % nk == 0) {
        const std::uint8_t first = t[0];
        t[0] = t[1];
        t[1] = t[2];
        t[2] = t[3];
        t[3] = first;
      }
      Store64(t, SubBytes8(Load64(t)));
      if (i % nk == 0) {
        t[0] ^= rcon;
        rcon = static_cast<std::uint8_t>((rcon << 1) ^ ((rcon >> 7) * 0x1B));
      }
    }
    for (int b = 0; b < 4; ++b) w[4 * i + b] = w[4 * (i - nk) + b] ^ t[b];
    SecureWipe(t);
  }
}

void CounterBlock(std::uint64_t counter, std::uint8_t* block) {
  for (int i = 0; i < 8; ++i) block[i] = static_cast<std::uint8_t>(counter >> (8 * i));
  std::memset(block + 8, 0, 8);
}

#ifdef KW_AES_NI
#define KW_AES_TARGET __attribute__((target("aes,sse4.1")))

KW_AES_TARGET void EncryptAesNi(const std::uint8_t* rk, int rounds, const std::uint8_t* in,
                                std::uint8_t* out) {
  const auto* keys = reinterpret_cast<const __m128i*>(rk);
  __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)),
                            _mm_load_si128(keys));
  for (int r = 1; r < rounds; ++r) b = _mm_aesenc_si128(b, _mm_load_si128(keys + r));
  b = _mm_aesenclast_si128(b, _mm_load_si128(keys + rounds));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), b);
}

// XORs `blocks` whole blocks of data with the keystream after `counter`, eight blocks at a
// time so that the AES units stay busy.
KW_AES_TARGET void CounterXorAesNi(const std::uint8_t* rk, int rounds, std::uint64_t& counter,
                                   std::uint8_t* data, std::size_t blocks) {
  const auto* keys = reinterpret_cast<const __m128i*>(rk);
  __m128i k[15];
  for (int r = 0; r <= rounds; ++r) k[r] = _mm_load_si128(keys + r);
  constexpr int kLanes = 8;
  for (; blocks >= kLanes; blocks -= kLanes, data += 16 * kLanes) {
    __m128i b[kLanes];
    for (int j = 0; j < kLanes; ++j) {
      b[j] = _mm_xor_si128(_mm_set_epi64x(0, static_cast<long long>(++counter)), k[0]);
    }
    for (int r = 1; r < rounds; ++r) {
      for (int j = 0; j < kLanes; ++j) b[j] = _mm_aesenc_si128(b[j], k[r]);
    }
    for (int j = 0; j < kLanes; ++j) {
      auto* p = reinterpret_cast<__m128i*>(data + 16 * j);
      b[j] = _mm_aesenclast_si128(b[j], k[rounds]);
      _mm_storeu_si128(p, _mm_xor_si128(_mm_loadu_si128(p), b[j]));
    }
  }
  for (; blocks != 0; --blocks, data += 16) {
    __m128i b = _mm_xor_si128(_mm_set_epi64x(0, static_cast<long long>(++counter)), k[0]);
    for (int r = 1; r < rounds; ++r) b = _mm_aesenc_si128(b, k[r]);
    b = _mm_aesenclast_si128(b, k[rounds]);
    auto* p = reinterpret_cast<__m128i*>(data);
    _mm_storeu_si128(p, _mm_xor_si128(_mm_loadu_si128(p), b));
  }
}
#endif

}  // namespace

TCipher_Rijndael::TCipher_Rijndael(std::span<const std::uint8_t> key) {
  if (key.size() != 16 && key.size() != 24 && key.size() != 32) {
    throw std::invalid_argument("AES key must be 16, 24 or 32 bytes long");
  }
  rounds_ = static_cast<int>(key.size() / 4) + 6;
  ExpandKey(key, roundKeys_.data(), rounds_);
  useAesNi_ = UseAesInstructions();
  if (!useAesNi_) {
    for (int r = 0; r <= rounds_; ++r) SliceRoundKey(roundKeys_.data() + 16 * r, slicedKeys_.data() + 8 * r);
  }
}

TCipher_Rijndael::~TCipher_Rijndael() {
  SecureWipe(roundKeys_);
  SecureWipe({reinterpret_cast<std::uint8_t*>(slicedKeys_.data()), sizeof slicedKeys_});
  SecureWipe(keystream_);
}

void TCipher_Rijndael::ResetCounter() noexcept {
  counter_ = 0;
  used_ = available_ = 0;
  SecureWipe(keystream_);
}

void TCipher_Rijndael::EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const noexcept {
#ifdef KW_AES_NI
  if (useAesNi_) {
    EncryptAesNi(roundKeys_.data(), rounds_, in, out);
    return;
  }
#endif
  std::uint8_t blocks[64] = {};
  std::memcpy(blocks, in, 16);
  EncryptSliced(slicedKeys_.data(), rounds_, blocks, blocks);
  std::memcpy(out, blocks, 16);
  SecureWipe(blocks);
}

void TCipher_Rijndael::Refill() noexcept {
#ifdef KW_AES_NI
  if (useAesNi_) {
    CounterBlock(++counter_, keystream_.data());
    EncryptAesNi(roundKeys_.data(), rounds_, keystream_.data(), keystream_.data());
    available_ = 16;
    used_ = 0;
    return;
  }
#endif
  for (int b = 0; b < 4; ++b) CounterBlock(++counter_, keystream_.data() + 16 * b);
  EncryptSliced(slicedKeys_.data(), rounds_, keystream_.data(), keystream_.data());
  available_ = 64;
  used_ = 0;
}

void TCipher_Rijndael::EncryptBuffer(std::span<std::uint8_t> bytes) noexcept {
  std::uint8_t* p = bytes.data();
  std::size_t n = bytes.size();
  while (used_ < available_ && n != 0) {
    *p++ ^= keystream_[used_++];
    --n;
  }
#ifdef KW_AES_NI
  if (useAesNi_ && n >= 16) {
    const std::size_t whole = n / 16;
    CounterXorAesNi(roundKeys_.data(), rounds_, counter_, p, whole);
    p += 16 * whole;
    n -= 16 * whole;
  }
#endif
  while (n >= keystream_.size()) {
    Refill();
    for (std::size_t i = 0; i < available_; ++i) p[i] ^= keystream_[i];
    used_ = available_;
    p += available_;
    n -= available_;
  }
  while (n != 0) {
    Refill();
    const std::size_t take = std::min(n, available_);
    for (std::size_t i = 0; i < take; ++i) p[i] ^= keystream_[i];
    used_ = take;
    p += take;
    n -= take;
  }
}

}  // namespace engine
