#include "model/data_file_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "model/kwplus.h"
#include "platform/utf8.h"

namespace kw {

namespace utf8 = platform::utf8;

namespace {

std::string Where(std::string_view path, std::size_t offset) {
  return " in the data file " + std::string(path) + " (at byte " + std::to_string(offset) + ")";
}

}  // namespace

std::string DataFileText(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::string sanitized;
  if (!utf8::IsValid(bytes)) {
    sanitized = utf8::Sanitize(bytes);
    bytes = sanitized;
  }
  // Every line, the last included, ends with CR LF. The next CR and the next LF are each
  // found with memchr and kept until passed, so the text is walked at memchr speed.
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 32 + 2);
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  auto next = [end](const char* from, char c) {
    const void* hit = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return hit ? static_cast<const char*>(hit) : end;
  };
  const char* cr = next(p, '\r');
  const char* lf = next(p, '\n');
  while (p < end) {
    const char* const lineEnd = std::min(cr, lf);
    text.append(p, lineEnd);
    text += "\r\n";
    if (lineEnd == end) break;
    p = lineEnd + 1;
    if (*lineEnd == '\r' && p < end && *p == '\n') ++p;
    if (cr < p) cr = next(p, '\r');
    if (lf < p) lf = next(p, '\n');
  }
  return text;
}

void ScanFileReferences(std::string_view text, std::string_view path,
                        const std::function<void(std::string_view)>& add) {
  std::size_t p = 0;
  while (true) {
    p = text.find("Plik", p);
    if (p == std::string_view::npos) return;
    std::size_t markerLength = 0;
    if (text.substr(p + 4).starts_with("=")) {
      markerLength = 5;
    } else if (text.substr(p + 4).starts_with("2=")) {
      markerLength = 6;
    } else {
      ++p;
      continue;
    }
    std::size_t start = p + markerLength;
    // The character after the marker is the opening quote; it is not examined.
    if (start < text.size()) start += utf8::SequenceLength(text, start);
    const std::size_t close = start < text.size() ? text.find('"', start) : std::string_view::npos;
    if (close == std::string_view::npos) {
      throw DataFileError("A file reference has no closing quote" + Where(path, p));
    }
    if (close > start) add(text.substr(start, close - start));
    p = close;
  }
}

std::optional<std::int32_t> ReadCount(std::string_view text, std::string_view marker,
                                      std::string_view path) {
  const std::size_t q = text.find(marker);
  if (q == std::string_view::npos) return std::nullopt;
  std::size_t start = q + marker.size();
  if (start < text.size()) start += utf8::SequenceLength(text, start);
  // At most ten characters, cut before their first double quote.
  std::size_t end = start;
  for (int n = 0; n < 10 && end < text.size(); ++n) end += utf8::SequenceLength(text, end);
  const std::string_view window = text.substr(std::min(start, text.size()), end - std::min(start, text.size()));
  const std::size_t quote = window.find('"');
  const std::string name(marker.substr(1, marker.find(' ') - 1));
  if (quote == std::string_view::npos) {
    throw DataFileError("The " + name + " count has no closing quote within ten characters" +
                        Where(path, q));
  }
  std::string_view digits = window.substr(0, quote);
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  if (digits.starts_with("+") && !digits.substr(1).starts_with("-")) digits.remove_prefix(1);
  std::int32_t value = 0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size()) {
    throw DataFileError("The " + name + " count \"" + std::string(window.substr(0, quote)) +
                        "\" is not a number" + Where(path, q));
  }
  return value;
}

}  // namespace kw
