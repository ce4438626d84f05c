#include "engine/crypto/rijndael.h"

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

// --- Portable AES. The S-box is computed, not looked up: inversion in GF(2^8) as x^254 and
// the affine map, on eight bytes at once in a 64-bit word. No memory access depends on a
// secret byte, so cache timing reveals nothing about key or data.

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

void SubBytesState(std::uint8_t* s) {
  Store64(s, SubBytes8(Load64(s)));
  Store64(s + 8, SubBytes8(Load64(s + 8)));
}

void ShiftRows(std::uint8_t* s) {
  std::uint8_t t[16];
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) t[r + 4 * c] = s[r + 4 * ((c + r) % 4)];
  }
  std::memcpy(s, t, 16);
}

std::uint32_t Rotr32(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void MixColumns(std::uint8_t* s) {
  for (int c = 0; c < 4; ++c) {
    std::uint32_t w;
    std::memcpy(&w, s + 4 * c, 4);  // byte 0 of the column in the low bits
    const std::uint32_t x2 = ((w & 0x7F7F7F7Fu) << 1) ^ (((w >> 7) & 0x01010101u) * 0x1B);
    w = x2 ^ Rotr32(x2 ^ w, 8) ^ Rotr32(w, 16) ^ Rotr32(w, 24);
    std::memcpy(s + 4 * c, &w, 4);
  }
}

void AddRoundKey(std::uint8_t* s, const std::uint8_t* k) {
  for (int i = 0; i < 16; ++i) s[i] ^= k[i];
}

void EncryptPortable(const std::uint8_t* rk, int rounds, const std::uint8_t* in,
                     std::uint8_t* out) {
  std::uint8_t s[16];
  std::memcpy(s, in, 16);
  AddRoundKey(s, rk);
  for (int round = 1; round < rounds; ++round) {
    SubBytesState(s);
    ShiftRows(s);
    MixColumns(s);
    AddRoundKey(s, rk + 16 * round);
  }
  SubBytesState(s);
  ShiftRows(s);
  AddRoundKey(s, rk + 16 * rounds);
  std::memcpy(out, s, 16);
  SecureWipe(s);
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
}

TCipher_Rijndael::~TCipher_Rijndael() {
  SecureWipe(roundKeys_);
  SecureWipe(keystream_);
}

void TCipher_Rijndael::ResetCounter() noexcept {
  counter_ = 0;
  used_ = 16;
  SecureWipe(keystream_);
}

void TCipher_Rijndael::EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const noexcept {
#ifdef KW_AES_NI
  if (useAesNi_) {
    EncryptAesNi(roundKeys_.data(), rounds_, in, out);
    return;
  }
#endif
  EncryptPortable(roundKeys_.data(), rounds_, in, out);
}

void TCipher_Rijndael::Keystream(std::uint8_t* out, std::size_t blocks) noexcept {
  for (; blocks != 0; --blocks, out += 16) {
    CounterBlock(++counter_, out);
    EncryptBlock(out, out);
  }
}

void TCipher_Rijndael::EncryptBuffer(std::span<std::uint8_t> bytes) noexcept {
  std::uint8_t* p = bytes.data();
  std::size_t n = bytes.size();
  while (used_ < 16 && n != 0) {
    *p++ ^= keystream_[used_++];
    --n;
  }
  const std::size_t whole = n / 16;
#ifdef KW_AES_NI
  if (useAesNi_ && whole != 0) {
    CounterXorAesNi(roundKeys_.data(), rounds_, counter_, p, whole);
    p += 16 * whole;
    n -= 16 * whole;
  }
#endif
  while (n >= 16) {
    Keystream(keystream_.data(), 1);
    for (int i = 0; i < 16; ++i) p[i] ^= keystream_[i];
    p += 16;
    n -= 16;
  }
  if (n != 0) {
    Keystream(keystream_.data(), 1);
    used_ = 0;
    while (n != 0) {
      *p++ ^= keystream_[used_++];
      --n;
    }
  }
}

}  // namespace engine
