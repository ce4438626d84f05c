#pragma once
// Where salts and traditional header bytes come from. Production uses the operating
// system's cryptographic source; tests inject a fixed source to make members repeatable.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace engine {

class TZARandomSource {
 public:
  virtual ~TZARandomSource() = default;
  virtual void Fill(std::span<std::uint8_t> out) = 0;
};

// The operating system's source (platform::SecureRandomBytes).
class TZASystemRandom final : public TZARandomSource {
 public:
  void Fill(std::span<std::uint8_t> out) override;
};

// The process-wide system source, the default of every cipher.
TZARandomSource& SystemRandom();

// A salt of `length` bytes, each uniform over 0..254 (the value range AES salts have always
// had in these archives).
std::vector<std::uint8_t> MakeSalt(TZARandomSource& random, std::size_t length);

// Wipes key material in a way the optimiser keeps.
void SecureWipe(std::span<std::uint8_t> bytes) noexcept;

}  // namespace engine
