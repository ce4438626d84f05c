// Opens arbitrary bytes as an archive, lists every member and tests each one into a
// discarding stream. Damaged input must end in EZAExceptions or a rebuilt directory:
// never a crash, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/zip_archiver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  engine::TZipArchiver zip("Fuzz");
  zip.Options.Recurse = true;
  zip.SetPassword("pw");
  zip.OnPassword = [](engine::TZABaseArchiver*, const std::string&, std::string&, bool& skip) {
    skip = true;
  };
  zip.OnProcessFileFailure = [](engine::TZABaseArchiver*, const std::string&,
                                engine::TZAProcessOperation, int, int, const std::string&,
                                engine::TZAAction& action) { action = engine::fxaIgnore; };
  try {
    zip.OpenArchive(std::make_unique<engine::TMemoryStream>(std::vector<std::uint8_t>(data, data + size)),
                    engine::TZipArchiver::kModeRead);
    engine::TZAArchiveItem item;
    for (bool f = zip.FindFirst("*.*", item); f; f = zip.FindNext(item)) {
    }
    (void)zip.FileCount();
    zip.TestFiles("*.*");
    zip.CloseArchive();
  } catch (const engine::EZAException&) {
  }
  return 0;
}
