#pragma once
// MD5 message digest (RFC 1321). Member names of archives are MD5 digests of recorded
// paths; nothing here is used for secrecy.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kw {

// The 16 digest bytes of `bytes`, in digest order.
std::array<std::uint8_t, 16> Md5Digest(std::string_view bytes);

// The digest written as 32 upper-case hexadecimal digits ("900150983CD24FB0D6963F7D28E17F72").
std::string Md5HexUpper(std::string_view bytes);

// Incremental form, for data that arrives in pieces.
class Md5 {
 public:
  Md5();
  void Update(std::string_view bytes);
  // Finishes the digest; the object starts afresh afterwards.
  std::array<std::uint8_t, 16> Final();

 private:
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 4> state_{};
  std::array<std::uint8_t, 64> buffer_{};
  std::uint64_t length_ = 0;  // bytes hashed so far
};

}  // namespace kw
