#pragma once
// One genealogy project as archived: the project being built (KWPlus::Current) and one
// catalogue entry alike. A plain value; copying copies Files too.
#include <cstdint>
#include <string>
#include <vector>

#include "model/kwplus_file.h"
#include "platform/date_time.h"

namespace kw {

struct KWPlusProjekt {
  std::vector<KWPlusFile> Files;  // insertion order
  std::string DescriptorPath;     // the descriptor this record was read from
  std::string ID;                 // "{GUID}" of the archive
  std::int32_t LiczbaOsob = 0;    // persons in the data file
  std::int32_t LiczbaZw = 0;      // relations (families) in the data file
  std::string Plik;               // the data file's full path as the user chose it
  std::string Nazwa;              // archive name given by the user
  std::string Komentarz;
  bool Protection = false;        // protected by a password
  std::int32_t Size = 0;          // archive size in kilobytes (truncated)
  std::int32_t SizeKWFile = 0;    // data file size in kilobytes (truncated)
  std::int32_t FileCount = 0;     // members in the archive
  platform::TDateTime Created = 0;  // from the descriptor's Data and Godzina; 0 = not set

  bool operator==(const KWPlusProjekt&) const = default;
};

}  // namespace kw
