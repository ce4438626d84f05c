// The genealogy data file's text and its scans on arbitrary bytes: no read past the text,
// malformed input only ever raises DataFileError.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/data_file_text.h"
#include "model/kwplus.h"
#include "model/text_compare.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = kw::DataFileText(bytes);
  std::size_t total = 0;
  try {
    kw::ScanFileReferences(text, "fuzz", [&](std::string_view value) { total += value.size(); });
  } catch (const kw::DataFileError&) {
  }
  for (std::string_view marker : {"<Osoby Liczba=", "<Rodziny Liczba="}) {
    try {
      (void)kw::ReadCount(text, marker, "fuzz");
    } catch (const kw::DataFileError&) {
    }
  }
  const std::string_view half = bytes.substr(0, size / 2);
  (void)kw::CompareOrdinal(half, bytes.substr(size / 2));
  (void)kw::CompareTextLocale(half, bytes.substr(size / 2));
  return total > size * 2 ? 1 : 0;
}
