// The system source lives apart from the salt helpers so that code which only injects its
// own source does not pull in the platform's random service.
#include "engine/crypto/random_source.h"

#include "platform/random.h"

namespace engine {

void TZASystemRandom::Fill(std::span<std::uint8_t> out) {
  platform::SecureRandomBytes(std::as_writable_bytes(out));
}

TZARandomSource& SystemRandom() {
  static TZASystemRandom source;
  return source;
}

}  // namespace engine
