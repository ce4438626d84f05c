#include "model/path_text.h"

namespace kw {

namespace {

// Index of the last backslash or colon, or npos.
std::size_t LastDelimiter(std::string_view path) { return path.find_last_of("\\:"); }

}  // namespace

std::string LowerAsciiLetters(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string ExtractFileName(std::string_view path) {
  const std::size_t d = LastDelimiter(path);
  return std::string(d == std::string_view::npos ? path : path.substr(d + 1));
}

std::string ExtractFilePath(std::string_view path) {
  const std::size_t d = LastDelimiter(path);
  return d == std::string_view::npos ? std::string() : std::string(path.substr(0, d + 1));
}

std::string ExtractFileDir(std::string_view path) {
  std::size_t d = LastDelimiter(path);
  if (d == std::string_view::npos) return {};
  // Keep the backslash of a drive root ("c:\") and of "\\" at the start.
  if (d > 0 && path[d] == '\\' && path[d - 1] != '\\' && path[d - 1] != ':') {
    return std::string(path.substr(0, d));
  }
  return std::string(path.substr(0, d + 1));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  const std::size_t d = path.find_last_of(".\\:");
  const std::size_t cut = (d != std::string_view::npos && path[d] == '.') ? d : path.size();
  std::string out(path.substr(0, cut));
  out += ext;
  return out;
}

}  // namespace kw
