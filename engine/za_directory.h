#pragma once
// The open archive's member directory with its case-insensitive name index, and the manager
// that owns it, its rollback copy and the end-of-directory records.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/dir_item.h"
#include "engine/zip_records.h"

namespace engine {

class TZADirArray {
 public:
  int Count() const noexcept { return static_cast<int>(items_.size()); }
  void Clear();
  void SetCount(int n);
  TDirItem& Item(int i);                  // NativeError 3 outside
  const TDirItem& Item(int i) const;      // NativeError 3 outside
  TDirItem GetItem(int i) const;          // NativeError 2 outside
  void SetItem(int i, const TDirItem& item);  // NativeError 1 outside; appends at Count
  void Append(const TDirItem& item);
  void Delete(int i);                     // NativeError 4 outside
  void Assign(const TZADirArray& other);
  void ClearSelected();
  int Find(std::string_view name) const;  // case-insensitive; -1 when absent
  void SetName(int i, const std::string& name);  // NativeError 59 on a taken name

 private:
  void Reindex() const;
  std::vector<TDirItem> items_;
  // Lower-cased name -> index; rebuilt lazily after a delete shifts the indexes.
  mutable std::unordered_map<std::string, int> index_;
  mutable bool indexValid_ = true;
};

struct TZADirManager {
  TZADirArray Current;
  TZADirArray Rollback;
  bool Zip64 = false;             // a Zip64 end record was found
  std::uint64_t StubSize = 0;     // bytes in front of the first member
  EndRecord End;
  Zip64EndRecord End64;
  std::string Comment;            // archive comment, raw bytes
  std::uint64_t DirectoryOffset = 0;  // central directory offset last read or written
};

}  // namespace engine
