#pragma once
// Windows path texts as the model builds them: plain concatenation, the file name after
// the last backslash or colon, extensions from the file name's last dot.
#include <string>
#include <string_view>

namespace kw {

std::string LowerAsciiLetters(std::string_view text);  // A-Z only; "Ł" stays
// "c:\a\b.jpg" -> "b.jpg"; "c:b.jpg" -> "b.jpg".
std::string ExtractFileName(std::string_view path);
// "c:\a\b.jpg" -> "c:\a\"; "b.jpg" -> "".
std::string ExtractFilePath(std::string_view path);
// Folder without a trailing backslash except for a drive root: "c:\a\b.jpg" -> "c:\a",
// "c:\b.jpg" -> "c:\".
std::string ExtractFileDir(std::string_view path);
// Replaces the file name's extension (from its last dot) or appends `ext` when it has none.
std::string ChangeFileExt(std::string_view path, std::string_view ext);

}  // namespace kw
