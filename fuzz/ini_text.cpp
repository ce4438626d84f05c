// INI texts and code pages on arbitrary bytes: no crash, and writing out what was read
// is stable (reading it again and writing it gives the same bytes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "platform/ini_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  for (const auto page : {platform::CodePage::kAnsi, platform::CodePage::kOem}) {
    const std::string utf8 = platform::CodePageToUtf8(bytes, page);
    if (!platform::IsValidUtf8(utf8)) std::abort();
    if (platform::Utf8ToCodePage(utf8, page) != bytes) std::abort();  // every byte maps
    (void)platform::Utf8ToCodePage(bytes, page);  // bytes as (often invalid) UTF-8
  }
  (void)platform::Utf16LeToUtf8(bytes);
  (void)platform::ParseIniInteger(bytes);
  (void)platform::ParseProfileInt(bytes);

  platform::IniDocument doc = platform::IniDocument::Parse(bytes);
  const std::string once = doc.Serialize();
  const std::string twice = platform::IniDocument::Parse(once).Serialize();
  if (once != twice) std::abort();

  bool complete = false;
  (void)platform::IniDocument::ParseSection(bytes, "Ogolne", size % 2 == 0, complete);

  // A written key is found again, whatever the text around it.
  doc.Write("Ogolne", "Nazwa", "Kopia");
  const platform::IniDocument again = platform::IniDocument::Parse(doc.Serialize());
  const std::string* value = again.Find("ogolne", "NAZWA");
  if (value == nullptr) std::abort();
  return 0;
}
