#pragma once
// PBKDF2 (RFC 2898) with HMAC-SHA1: the key derivation of AES members.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/crypto/random_source.h"

namespace engine {

class TPBKDF2 {
 public:
  // password: its 8-bit bytes as given (the ANSI code page of the archive's users).
  TPBKDF2(std::string_view password, std::span<const std::uint8_t> salt, unsigned iterations);
  // With a new salt of `saltLength` bytes from `random` (bytes 0..254, see MakeSalt).
  TPBKDF2(std::string_view password, std::size_t saltLength, unsigned iterations,
          TZARandomSource& random);
  ~TPBKDF2();
  TPBKDF2(const TPBKDF2&) = delete;
  TPBKDF2& operator=(const TPBKDF2&) = delete;

  // The first `count` bytes of the derived key.
  std::vector<std::uint8_t> GetBytes(std::size_t count) const;
  std::vector<std::uint8_t> GetSalt() const { return salt_; }

 private:
  std::string password_;
  std::vector<std::uint8_t> salt_;
  unsigned iterations_;
};

}  // namespace engine
