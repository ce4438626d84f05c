#pragma once
// AES (FIPS-197) with 128-, 192- or 256-bit keys, in the counter mode of AES members: a
// 16-byte counter block, zero at the start, incremented before each block (bytes 0-7 a
// little-endian integer, bytes 8-15 zero), so the first keystream block is AES(counter 1).
// The keystream position carries across calls: buffer sizes never change the result.
//
// With AES-NI the blocks are encrypted by the CPU; otherwise by bitsliced portable code, four
// blocks at a time, whose S-box is a Boolean circuit: no table is indexed by secret bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace engine {

class TCipher_Rijndael {
 public:
  // key: 16, 24 or 32 bytes; any other length throws std::invalid_argument.
  explicit TCipher_Rijndael(std::span<const std::uint8_t> key);
  ~TCipher_Rijndael();
  TCipher_Rijndael(const TCipher_Rijndael&) = delete;
  TCipher_Rijndael& operator=(const TCipher_Rijndael&) = delete;

  // Counter mode: XOR with the keystream, in place; encryption and decryption are the same.
  void EncryptBuffer(std::span<std::uint8_t> bytes) noexcept;
  void DecryptBuffer(std::span<std::uint8_t> bytes) noexcept { EncryptBuffer(bytes); }
  // Back to counter 0 and the start of the keystream.
  void ResetCounter() noexcept;

  // One plain AES block (the published vectors check this).
  void EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const noexcept;

  bool UsesAesInstructions() const noexcept { return useAesNi_; }

 private:
  void Refill() noexcept;  // the next keystream block(s) into keystream_

  alignas(16) std::array<std::uint8_t, 240> roundKeys_{};
  std::array<std::uint64_t, 15 * 8> slicedKeys_{};  // portable path: round keys as bit planes
  int rounds_ = 0;
  bool useAesNi_ = false;
  std::uint64_t counter_ = 0;
  std::array<std::uint8_t, 64> keystream_{};  // one block (AES-NI) or four (portable)
  std::size_t available_ = 0;
  std::size_t used_ = 0;
};

}  // namespace engine
