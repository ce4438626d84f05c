#include "engine/zip_names.h"

#include <vector>

#include "platform/code_page.h"

namespace engine {
namespace {

// Code points of a UTF-8 text; invalid bytes pass through as themselves.
std::vector<char32_t> Decode(std::string_view s) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + static_cast<std::size_t>(len) > s.size()) {
      out.push_back(c);
      ++i;
      continue;
    }
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((d & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if (!ok) {
      out.push_back(c);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += static_cast<std::size_t>(len);
  }
  return out;
}

void Append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t Lower(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c >= 0x100 && c <= 0x137 && c % 2 == 0) return c + 1;
  if (c >= 0x139 && c <= 0x148 && c % 2 == 1) return c + 1;
  if (c >= 0x14A && c <= 0x177 && c % 2 == 0) return c + 1;
  if (c >= 0x179 && c <= 0x17E && c % 2 == 1) return c + 1;
  return c;
}

bool Match(const std::vector<char32_t>& n, std::size_t ni, const std::vector<char32_t>& p,
           std::size_t pi) {
  // Iterative wildcard match with one backtrack point: linear in practice.
  std::size_t starP = std::string::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starN = ni;
    } else if (pi < p.size() && (p[pi] == '?' || Lower(p[pi]) == Lower(n[ni]))) {
      ++pi;
      ++ni;
    } else if (starP != std::string::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

EncodedName EncodeName(std::string_view utf8Name, bool oemNames) {
  if (platform::FitsCodePage(utf8Name, platform::CodePage::kAnsi)) {
    return {platform::Utf8ToCodePage(
                utf8Name, oemNames ? platform::CodePage::kOem : platform::CodePage::kAnsi),
            false};
  }
  std::string bytes(utf8Name.substr(0, 254));
  // Never cut inside a character.
  while (bytes.size() < utf8Name.size() && !bytes.empty() &&
         (static_cast<unsigned char>(utf8Name[bytes.size()]) & 0xC0) == 0x80) {
    bytes.pop_back();
  }
  return {bytes, true};
}

std::string DecodeName(std::string_view bytes, std::uint16_t flags, bool oemNames) {
  if (!platform::IsAscii(bytes) && platform::IsValidUtf8(bytes)) return std::string(bytes);
  if ((flags & 0x0800) == 0 && oemNames) {
    return platform::CodePageToUtf8(bytes, platform::CodePage::kOem);
  }
  return platform::CodePageToUtf8(bytes, platform::CodePage::kAnsi);
}

std::string LowerName(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  bool ascii = true;
  for (char ch : utf8) {
    if (static_cast<unsigned char>(ch) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) {
    for (char ch : utf8) out += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch + 32) : ch;
    return out;
  }
  for (char32_t c : Decode(utf8)) Append(out, Lower(c));
  return out;
}

bool HasWildcards(std::string_view mask) {
  return mask.find_first_of("*?") != std::string_view::npos;
}

bool MaskMatches(std::string_view name, std::string_view mask) {
  if (mask.empty()) return false;
  std::string pattern(mask);
  if (auto pos = pattern.find("*.*"); pos != std::string::npos) {
    pattern = pattern.substr(0, pos) + '*' + pattern.substr(pos + 3);
  }
  std::string subject(name);
  bool needNoExtension = false;
  if (!pattern.empty() && pattern.back() == '.') {
    pattern.pop_back();
    needNoExtension = true;
  }
  if (!subject.empty() && subject.back() == '.') subject.pop_back();
  if (needNoExtension) {
    std::string_view namePart = NamePart(subject);
    if (namePart.find('.') != std::string_view::npos) return false;
  }
  return Match(Decode(subject), 0, Decode(pattern), 0);
}

std::string_view NamePart(std::string_view path) {
  auto pos = path.find_last_of("\\/");
  return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

std::string_view FolderPart(std::string_view path) {
  auto pos = path.find_last_of("\\/");
  return pos == std::string_view::npos ? std::string_view{} : path.substr(0, pos + 1);
}

}  // namespace engine
