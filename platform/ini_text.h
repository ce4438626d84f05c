#pragma once
// The text of a private-profile INI file, held line by line: parsed from the file's bytes,
// queried and changed in memory, turned back into bytes in the file's own encoding.
// Lines that are not touched keep their exact text (comments, blank lines, order, spacing).
// Lookups use the lower-cased names through hash maps, so a descriptor-sized file (tens of
// thousands of keys) parses, reads and writes in linear time.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

enum class IniEncoding { kAnsi, kUtf8Bom, kUtf16LeBom, kUtf16BeBom };

// Section and key names compare after this folding: ASCII and the Latin letters of
// U+00C0..U+017F (the Polish letters among them) lowered; everything else kept.
std::string FoldIniName(std::string_view utf8);

// A value that is an integer in the profile reader's sense: optional sign, then decimal
// digits or "0x" / "$" and hexadecimal digits, nothing else, within 32 bits.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);
// The system's GetPrivateProfileInt reading: blanks, a sign, then "0x" and hexadecimal
// digits or decimal digits as far as they go, wrapping at 32 bits; no digits give 0.
std::int32_t ParseProfileInt(std::string_view text);

class IniDocument {
 public:
  IniDocument() = default;

  // The whole text. Bytes with a UTF-8 or UTF-16 byte-order mark are read in that
  // encoding, others in the ANSI code page.
  static IniDocument Parse(std::string_view bytes);
  // Only until the first section named `section` ends (the next section header after it).
  // `complete` tells whether that end, or the end of `bytes`, was reached with all lines
  // whole; false means more bytes are needed to see the whole section. The result is
  // read-only: changing it throws std::logic_error, since the rest of the file is missing.
  static IniDocument ParseSection(std::string_view bytes, std::string_view section,
                                  bool atEndOfFile, bool& complete);

  // The bytes of the file: its byte-order mark and encoding, its line ends (CR LF unless
  // the text had only LF ends).
  std::string Serialize() const;
  IniEncoding Encoding() const { return encoding_; }
  bool IsPartial() const { return partial_; }

  // The trimmed value of the first such key in the first such section.
  const std::string* Find(std::string_view section, std::string_view key) const;
  bool SectionExists(std::string_view section) const;
  std::vector<std::string> Sections() const;                   // each name once
  std::vector<std::string> Keys(std::string_view section) const;  // of the first section

  // Changes the first such key of the first such section; a new key goes after the last
  // line of its section that is not blank, a new section at the end of the text.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  void EraseSection(std::string_view section);  // every section of that name
  void DeleteKey(std::string_view section, std::string_view key);  // every such key

 private:
  struct Line {
    std::string text;   // as read (UTF-8, without its line end); rebuilt when changed
    bool isKey = false;
    std::string key;    // as written in the file, trimmed
    std::string value;  // trimmed
  };
  struct Section {
    std::string header;  // the header line's text
    std::string name;    // trimmed, as written
    std::vector<Line> lines;
    std::unordered_map<std::string, std::size_t> keyIndex;  // folded key -> first line
  };

  static IniDocument ParseImpl(std::string_view bytes, const std::string* stopAfter,
                               bool atEndOfFile, bool* complete);
  void AddLine(std::string line, const std::string* stopAfter, bool& stop);
  Section* FindSection(std::string_view section);
  const Section* FindSection(std::string_view section) const;
  void Reindex();
  void CheckWritable() const;

  IniEncoding encoding_ = IniEncoding::kAnsi;
  bool lfOnly_ = false;
  bool partial_ = false;
  std::vector<std::string> preamble_;  // lines before the first section header
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;  // folded name -> first
  bool stopSeen_ = false;  // ParseSection: the wanted section has begun
};

}  // namespace platform
