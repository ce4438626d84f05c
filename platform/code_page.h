#pragma once
// Conversions between UTF-8 (the program's inner form) and the Windows code pages met at
// the edges: ANSI cp1250 (INI files, MD5 input, passwords) and OEM cp852 (ZIP names).
// Characters a page cannot hold become "?", as Windows does.
#include <string>
#include <string_view>

namespace platform {

enum class CodePage { kAnsi = 1250, kOem = 852 };

std::string Utf8ToCodePage(std::string_view utf8, CodePage page);
std::string CodePageToUtf8(std::string_view bytes, CodePage page);
bool FitsCodePage(std::string_view utf8, CodePage page);  // every character representable
bool IsValidUtf8(std::string_view text);
bool IsAscii(std::string_view text);

// UTF-16 LE / BE (byte-order mark files) to UTF-8; malformed pairs become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf16BeToUtf8(std::string_view bytes);
// UTF-8 to UTF-16 bytes without a byte-order mark; invalid UTF-8 bytes become U+FFFD.
std::string Utf8ToUtf16Le(std::string_view utf8);
std::string Utf8ToUtf16Be(std::string_view utf8);

}  // namespace platform
