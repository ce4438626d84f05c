#pragma once
// The text of a genealogy data file as the reader scans it, and the two scans. Kept apart
// from KWPlus so the benchmark and the tests can run them on a text alone.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kw {

// Decoded as UTF-8 (a leading byte-order mark dropped, malformed bytes become U+FFFD),
// lines split at CR, LF or CR LF and joined again with CR LF after every line.
std::string DataFileText(std::string_view bytes);

// Calls `add` with each non-empty value after a "Plik=" or "Plik2=" marker (found anywhere,
// letter case exact), in text order. The character after the marker is taken as the
// opening quote; the value runs to the next double quote. A value without its closing
// quote raises DataFileError naming `path`, after the values before it were passed on.
void ScanFileReferences(std::string_view text, std::string_view path,
                        const std::function<void(std::string_view)>& add);

// The count after the first `marker` ("<Osoby Liczba="): the marker, one character taken
// as the opening quote, then at most ten characters cut before their first double quote,
// read as a decimal integer. nullopt when the marker is absent; DataFileError when the
// ten characters hold no closing quote or the digits are not a 32-bit integer.
std::optional<std::int32_t> ReadCount(std::string_view text, std::string_view marker,
                                      std::string_view path);

}  // namespace kw
