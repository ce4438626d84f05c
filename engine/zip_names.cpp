#include "engine/zip_names.h"

#include <string>

#include "platform/case_fold.h"
#include "platform/code_page.h"

namespace engine {
namespace {

// Both sides come case-folded, so letters compare by plain equality.
bool Match(const std::u32string& n, std::size_t ni, const std::u32string& p, std::size_t pi) {
  // Iterative wildcard match with one backtrack point: linear in practice.
  std::size_t starP = std::string::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starN = ni;
    } else if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
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

std::string LowerName(std::string_view utf8) { return platform::FoldCase(utf8); }

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
  return Match(platform::FoldToCodePoints(subject), 0, platform::FoldToCodePoints(pattern), 0);
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
