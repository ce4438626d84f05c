#pragma once
// The open archive's member directory with its case-insensitive name index, and the manager
// that owns it, its rollback copy and the end-of-directory records.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/dir_item.h"
#include "engine/zip_records.h"

namespace engine {

// Items are shared between the current directory and its rollback copy until one side
// changes them, so copying a directory of thousands of members at every BeginUpdate costs
// a vector of pointers, not thousands of records.
class TZADirArray {
 public:
  int Count() const noexcept { return static_cast<int>(items_.size()); }
  void Clear();
  void SetCount(int n);
  TDirItem& Item(int i);                  // for changing in place; NativeError 3 outside
  const TDirItem& Item(int i) const { return At(i); }
  const TDirItem& At(int i) const;        // read only; NativeError 3 outside
  // True when item i is still the very record the other directory holds at i.
  bool Shares(const TZADirArray& other, int i) const noexcept;
  // The shared record itself (the directory writer keys its cache on it).
  std::shared_ptr<const TDirItem> Ptr(int i) const;
  // Item i's record without a bounds check or a reference count (loops over all members).
  const TDirItem* Raw(int i) const noexcept { return items_[static_cast<std::size_t>(i)].get(); }
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
  std::vector<std::shared_ptr<TDirItem>> items_;
  // Lower-cased name -> index; rebuilt lazily after a delete shifts the indexes.
  mutable std::unordered_map<std::string, int> index_;
  mutable bool indexValid_ = true;
};

// The central directory bytes last written, record by record, for the members they were
// made from: an append rewrites the directory by copying them and encoding only the new
// member's record.
struct TZADirectoryBytes {
  std::vector<std::shared_ptr<const TDirItem>> items;
  std::vector<std::size_t> ends;  // end of item i's record in `bytes`
  std::string bytes;
  bool oemNames = false;
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
  TZADirectoryBytes WrittenDirectory;
};

}  // namespace engine
