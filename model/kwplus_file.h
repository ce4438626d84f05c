#pragma once
// One file of a project: the data file itself, a multimedia file it refers to, or a file
// of its monograph folder. A plain value.
#include <cstdint>
#include <string>

namespace kw {

struct KWPlusFile {
  std::string Path;      // the referenced path with A-Z lowered (other letters keep case)
  std::string Location;  // where the file is now; Path unless the search found it elsewhere
  std::string FileName;  // after the last backslash or colon of Path
  std::string Folder;    // Path's folder, no trailing backslash except a drive root ("c:\")
  std::string Type;      // "KWFILE", "MULTIMEDIA", "MONOGRAFIA" (from a descriptor: as read)
  std::string Target;    // the restore's destination path; empty when added
  bool Exists = false;   // was a file (not a folder) when added
  bool Skipped = false;  // larger than the size limit: left out of the archive
  std::int64_t ByteSize = 0;  // bytes when added; 0 when not found

  bool operator==(const KWPlusFile&) const = default;
};

}  // namespace kw
