// Parsing, querying, changing and writing out the text of an INI file.
#include "platform/ini_text.h"

#include <stdexcept>

#include "platform/code_page.h"

namespace platform {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlankChar(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankChar(s.back())) s.remove_suffix(1);
  return s;
}

char32_t FoldCodePoint(char32_t cp) {
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;
  if ((cp >= 0x100 && cp <= 0x12F) || (cp >= 0x132 && cp <= 0x137) ||
      (cp >= 0x14A && cp <= 0x177)) {
    return cp | 1;  // upper case even, lower case odd
  }
  if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E)) {
    return (cp & 1) != 0 ? cp + 1 : cp;  // upper case odd, lower case even
  }
  if (cp == 0x178) return 0xFF;
  return cp;
}

// A value written into one line: line breaks would split it into lines of their own.
std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

bool IsBlankLine(std::string_view line) { return Trim(line).empty(); }

}  // namespace

std::string FoldIniName(std::string_view utf8) {
  std::string out(utf8);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
    } else if ((c == 0xC3 || c == 0xC4 || c == 0xC5) && i + 1 < out.size()) {
      const auto next = static_cast<unsigned char>(out[i + 1]);
      if ((next & 0xC0) != 0x80) continue;
      const char32_t cp = (char32_t{c & 0x1Fu} << 6) | (next & 0x3Fu);
      const char32_t lower = FoldCodePoint(cp);
      out[i] = static_cast<char>(0xC0 | (lower >> 6));
      out[i + 1] = static_cast<char>(0x80 | (lower & 0x3F));
      ++i;
    }
  }
  return out;
}

namespace {

// Sign and radix prefix of an integer text; `text` keeps the digits.
struct IntegerPrefix {
  bool negative = false;
  std::uint32_t base = 10;
};

IntegerPrefix SplitIntegerPrefix(std::string_view& text, bool dollarHex) {
  IntegerPrefix prefix;
  text = Trim(text);
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    prefix.negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    prefix.base = 16;
    text.remove_prefix(2);
  } else if (dollarHex && text.size() > 1 && text[0] == '$') {
    prefix.base = 16;
    text.remove_prefix(1);
  }
  return prefix;
}

// The value of one digit in the base, or nullopt.
std::optional<std::uint32_t> DigitValue(char c, std::uint32_t base) {
  if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
  if (base == 16 && c >= 'a' && c <= 'f') return static_cast<std::uint32_t>(c - 'a' + 10);
  if (base == 16 && c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
  return std::nullopt;
}

}  // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
  const auto [negative, base] = SplitIntegerPrefix(text, true);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    const auto digit = DigitValue(c, base);
    if (!digit) return std::nullopt;
    value = value * base + *digit;
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (base == 16) {
    // Hexadecimal covers the 32 bits: 0xFFFFFFFF is -1.
    const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(bits)) : bits;
  }
  if (negative) {
    if (value > 0x80000000ull) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
  }
  if (value > 0x7FFFFFFFull) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::int32_t ParseProfileInt(std::string_view text) {
  const auto [negative, base] = SplitIntegerPrefix(text, false);
  std::uint32_t value = 0;  // unsigned: wraps without undefined behaviour
  for (const char c : text) {
    const auto digit = DigitValue(c, base);
    if (!digit) break;
    value = value * base + *digit;
  }
  return static_cast<std::int32_t>(negative ? 0u - value : value);
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  return ParseImpl(bytes, nullptr, true, nullptr);
}

IniDocument IniDocument::ParseSection(std::string_view bytes, std::string_view section,
                                      bool atEndOfFile, bool& complete) {
  const std::string folded = FoldIniName(Trim(section));
  IniDocument doc = ParseImpl(bytes, &folded, atEndOfFile, &complete);
  doc.partial_ = true;
  return doc;
}

IniDocument IniDocument::ParseImpl(std::string_view bytes, const std::string* stopAfter,
                                   bool atEndOfFile, bool* complete) {
  IniDocument doc;
  std::string converted;  // the whole text, for UTF-16 files
  std::string_view text = bytes;
  if (bytes.substr(0, 3) == kUtf8Bom) {
    doc.encoding_ = IniEncoding::kUtf8Bom;
    text.remove_prefix(3);
  } else if (bytes.substr(0, 2) == kUtf16LeBom || bytes.substr(0, 2) == kUtf16BeBom) {
    const bool little = bytes.substr(0, 2) == kUtf16LeBom;
    doc.encoding_ = little ? IniEncoding::kUtf16LeBom : IniEncoding::kUtf16BeBom;
    // Only whole code units; a half unit at the end of a partial read waits for more.
    std::string_view body = bytes.substr(2);
    if (!atEndOfFile) body = body.substr(0, body.size() & ~std::size_t{1});
    converted = little ? Utf16LeToUtf8(body) : Utf16BeToUtf8(body);
    text = converted;
  }
  const bool ansi = doc.encoding_ == IniEncoding::kAnsi;

  bool sawCrLf = false, sawLf = false, stop = false;
  std::size_t start = 0;
  while (start < text.size() && !stop) {
    const std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos && !atEndOfFile) break;  // an incomplete last line
    const std::size_t end = nl == std::string_view::npos ? text.size() : nl;
    std::string_view raw = text.substr(start, end - start);
    if (nl != std::string_view::npos) {
      if (!raw.empty() && raw.back() == '\r') {
        sawCrLf = true;
      } else {
        sawLf = true;
      }
    }
    // Stray CRs before the line end go too, so a line never ends in one and the text
    // keeps its line-end style when written out.
    while (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::string line = ansi && !IsAscii(raw) ? CodePageToUtf8(raw, CodePage::kAnsi)
                                             : std::string(raw);
    doc.AddLine(std::move(line), stopAfter, stop);
    start = end + 1;
  }
  doc.lfOnly_ = sawLf && !sawCrLf;
  if (complete != nullptr) *complete = stop || atEndOfFile;
  return doc;
}

void IniDocument::AddLine(std::string line, const std::string* stopAfter, bool& stop) {
  const std::string_view trimmed = Trim(line);
  if (!trimmed.empty() && trimmed.front() == '[') {
    const auto close = trimmed.rfind(']');
    if (close != std::string_view::npos) {
      if (stopAfter != nullptr && stopSeen_) {
        stop = true;
        return;
      }
      Section section;
      section.name = std::string(Trim(trimmed.substr(1, close - 1)));
      const std::string folded = FoldIniName(section.name);
      if (stopAfter != nullptr && folded == *stopAfter) stopSeen_ = true;
      section.header = std::move(line);
      sectionIndex_.emplace(folded, sections_.size());
      sections_.push_back(std::move(section));
      return;
    }
  }
  if (sections_.empty()) {
    // Keys before the first section belong to no section and are never found.
    preamble_.push_back(std::move(line));
    return;
  }
  Section& section = sections_.back();
  Line entry;
  const auto eq = trimmed.find('=');
  if (eq != std::string_view::npos && trimmed.front() != ';') {
    entry.isKey = true;
    entry.key = std::string(Trim(trimmed.substr(0, eq)));
    entry.value = std::string(Trim(trimmed.substr(eq + 1)));
    section.keyIndex.emplace(FoldIniName(entry.key), section.lines.size());
  }
  entry.text = std::move(line);
  section.lines.push_back(std::move(entry));
}

std::string IniDocument::Serialize() const {
  const std::string_view eol = lfOnly_ ? "\n" : "\r\n";
  std::string text;
  std::size_t size = 0;
  for (const auto& line : preamble_) size += line.size() + 2;
  for (const auto& section : sections_) {
    size += section.header.size() + 2;
    for (const auto& line : section.lines) size += line.text.size() + 2;
  }
  text.reserve(size);
  for (const auto& line : preamble_) text.append(line).append(eol);
  for (const auto& section : sections_) {
    text.append(section.header).append(eol);
    for (const auto& line : section.lines) text.append(line.text).append(eol);
  }
  switch (encoding_) {
    case IniEncoding::kAnsi:
      return Utf8ToCodePage(text, CodePage::kAnsi);
    case IniEncoding::kUtf8Bom:
      return std::string(kUtf8Bom) + text;
    case IniEncoding::kUtf16LeBom:
      return std::string(kUtf16LeBom) + Utf8ToUtf16Le(text);
    case IniEncoding::kUtf16BeBom:
      return std::string(kUtf16BeBom) + Utf8ToUtf16Be(text);
  }
  return text;
}

IniDocument::Section* IniDocument::FindSection(std::string_view section) {
  const auto it = sectionIndex_.find(FoldIniName(Trim(section)));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const IniDocument::Section* IniDocument::FindSection(std::string_view section) const {
  const auto it = sectionIndex_.find(FoldIniName(Trim(section)));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const std::string* IniDocument::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return nullptr;
  const auto it = s->keyIndex.find(FoldIniName(Trim(key)));
  return it == s->keyIndex.end() ? nullptr : &s->lines[it->second].value;
}

bool IniDocument::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

std::vector<std::string> IniDocument::Sections() const {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    // Only the first of sections with the same name.
    if (sectionIndex_.at(FoldIniName(sections_[i].name)) == i) names.push_back(sections_[i].name);
  }
  return names;
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const Section* s = FindSection(section);
  if (s == nullptr) return keys;
  for (std::size_t i = 0; i < s->lines.size(); ++i) {
    const Line& line = s->lines[i];
    if (line.isKey && s->keyIndex.at(FoldIniName(line.key)) == i) keys.push_back(line.key);
  }
  return keys;
}

void IniDocument::CheckWritable() const {
  if (partial_) throw std::logic_error("INI text read up to one section cannot be changed");
}

void IniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
  CheckWritable();
  Section* s = FindSection(section);
  if (s == nullptr) {
    Section fresh;
    fresh.name = OneLine(Trim(section));
    fresh.header = "[" + fresh.name + "]";
    sectionIndex_.emplace(FoldIniName(fresh.name), sections_.size());
    sections_.push_back(std::move(fresh));
    s = &sections_.back();
  }
  const std::string lineValue = OneLine(value);
  const std::string folded = FoldIniName(Trim(key));
  if (const auto it = s->keyIndex.find(folded); it != s->keyIndex.end()) {
    Line& line = s->lines[it->second];
    line.value = std::string(Trim(lineValue));
    line.text = line.key + "=" + lineValue;
    return;
  }
  Line line;
  line.isKey = true;
  line.key = OneLine(Trim(key));
  line.value = std::string(Trim(lineValue));
  line.text = line.key + "=" + lineValue;
  // After the section's last line that is not blank; blank lines hold no keys, so no
  // stored index moves.
  std::size_t at = s->lines.size();
  while (at > 0 && IsBlankLine(s->lines[at - 1].text)) --at;
  s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  s->keyIndex.emplace(folded, at);
}

void IniDocument::EraseSection(std::string_view section) {
  CheckWritable();
  const std::string folded = FoldIniName(Trim(section));
  std::erase_if(sections_, [&](const Section& s) { return FoldIniName(s.name) == folded; });
  Reindex();
}

void IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  CheckWritable();
  const std::string sectionName = FoldIniName(Trim(section));
  const std::string keyName = FoldIniName(Trim(key));
  for (Section& s : sections_) {
    if (FoldIniName(s.name) != sectionName) continue;
    std::erase_if(s.lines,
                  [&](const Line& line) { return line.isKey && FoldIniName(line.key) == keyName; });
  }
  Reindex();
}

void IniDocument::Reindex() {
  sectionIndex_.clear();
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    Section& s = sections_[i];
    sectionIndex_.emplace(FoldIniName(s.name), i);
    s.keyIndex.clear();
    for (std::size_t j = 0; j < s.lines.size(); ++j) {
      if (s.lines[j].isKey) s.keyIndex.emplace(FoldIniName(s.lines[j].key), j);
    }
  }
}

}  // namespace platform
