#include "engine/za_directory.h"

#include <algorithm>

#include "engine/za_exception.h"
#include "engine/zip_names.h"

namespace engine {

void TZADirArray::Clear() {
  items_.clear();
  index_.clear();
  indexValid_ = true;
}

void TZADirArray::SetCount(int n) {
  if (n <= 0) {
    Clear();
    return;
  }
  const auto old = items_.size();
  items_.resize(static_cast<std::size_t>(n));
  for (std::size_t k = old; k < items_.size(); ++k) items_[k] = std::make_shared<TDirItem>();
  indexValid_ = false;
}

TDirItem& TZADirArray::Item(int i) {
  if (i < 0 || i >= Count()) throw EZAException(3);
  auto& slot = items_[static_cast<std::size_t>(i)];
  if (slot.use_count() > 1) slot = std::make_shared<TDirItem>(*slot);  // copy on write
  return *slot;
}

const TDirItem& TZADirArray::At(int i) const {
  if (i < 0 || i >= Count()) throw EZAException(3);
  return *items_[static_cast<std::size_t>(i)];
}

bool TZADirArray::Shares(const TZADirArray& other, int i) const noexcept {
  return i >= 0 && i < Count() && i < other.Count() &&
         items_[static_cast<std::size_t>(i)] == other.items_[static_cast<std::size_t>(i)];
}

std::shared_ptr<const TDirItem> TZADirArray::Ptr(int i) const {
  if (i < 0 || i >= Count()) throw EZAException(3);
  return items_[static_cast<std::size_t>(i)];
}

TDirItem TZADirArray::GetItem(int i) const {
  if (i < 0 || i >= Count()) throw EZAException(2);
  return *items_[static_cast<std::size_t>(i)];
}

void TZADirArray::SetItem(int i, const TDirItem& item) {
  if (i == Count()) {
    Append(item);
    return;
  }
  if (i < 0 || i > Count()) throw EZAException(1);
  auto& slot = items_[static_cast<std::size_t>(i)];
  if (indexValid_) {
    auto it = index_.find(LowerName(slot->Name));
    if (it != index_.end() && it->second == i) index_.erase(it);
    index_.emplace(LowerName(item.Name), i);
  }
  slot = std::make_shared<TDirItem>(item);
}

void TZADirArray::Append(const TDirItem& item) {
  items_.push_back(std::make_shared<TDirItem>(item));
  if (indexValid_) index_.emplace(LowerName(item.Name), Count() - 1);
}

void TZADirArray::Delete(int i) {
  if (i < 0 || i >= Count()) throw EZAException(4);
  items_.erase(items_.begin() + i);
  indexValid_ = false;
}

void TZADirArray::Assign(const TZADirArray& other) {
  // Keep the common prefix: after an append only the new records differ.
  std::size_t same = 0;
  const std::size_t n = std::min(items_.size(), other.items_.size());
  while (same < n && items_[same] == other.items_[same]) ++same;
  items_.resize(same);
  items_.insert(items_.end(), other.items_.begin() + static_cast<std::ptrdiff_t>(same),
                other.items_.end());
  index_.clear();
  indexValid_ = false;  // rebuilt on the first lookup
}

void TZADirArray::ClearSelected() {
  for (int i = 0; i < Count(); ++i) {
    if (At(i).Selected) Item(i).Selected = false;
  }
}

void TZADirArray::Reindex() const {
  index_.clear();
  index_.reserve(items_.size());
  for (int i = 0; i < Count(); ++i) {
    index_.emplace(LowerName(items_[static_cast<std::size_t>(i)]->Name), i);
  }
  indexValid_ = true;
}

int TZADirArray::Find(std::string_view name) const {
  if (!indexValid_) Reindex();
  auto it = index_.find(LowerName(name));
  return it == index_.end() ? -1 : it->second;
}

void TZADirArray::SetName(int i, const std::string& name) {
  int other = Find(name);
  if (other >= 0 && other != i) throw EZAException(59);
  TDirItem& item = Item(i);
  if (indexValid_) {
    auto it = index_.find(LowerName(item.Name));
    if (it != index_.end() && it->second == i) index_.erase(it);
    index_[LowerName(name)] = i;
  }
  item.Name = name;
}

}  // namespace engine
