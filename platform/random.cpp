// The kernel's random source and version-4 GUIDs made from it.
#include "platform/random.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdint>

#include "platform/win_error.h"

namespace platform {

void SecureRandomBytes(std::span<std::byte> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got = getrandom(out.data() + done, out.size() - done, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      throw OsError("Unable to read the system's random source", WinErrorFromErrno(err), err);
    }
    done += static_cast<std::size_t>(got);
  }
}

std::string NewGuidText() {
  std::array<std::byte, 16> bytes{};
  SecureRandomBytes(bytes);
  // RFC 4122 version 4: the version nibble 4, the variant bits 10.
  bytes[6] = (bytes[6] & std::byte{0x0F}) | std::byte{0x40};
  bytes[8] = (bytes[8] & std::byte{0x3F}) | std::byte{0x80};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "{";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    const auto b = std::to_integer<unsigned>(bytes[i]);
    text += kHex[b >> 4];
    text += kHex[b & 0x0F];
  }
  text += '}';
  return text;
}

}  // namespace platform
