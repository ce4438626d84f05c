#pragma once
// The operating system's cryptographic random source, and GUIDs made from it.
#include <cstddef>
#include <span>
#include <string>

namespace platform {

void SecureRandomBytes(std::span<std::byte> out);  // getrandom(); throws OsError on failure

// A new version-4 GUID in the 38-character braced upper-case form
// "{0B1A6E1C-36D4-4E3A-9F20-7C55A1D2E8B3}".
std::string NewGuidText();

}  // namespace platform
