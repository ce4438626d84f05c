#include "engine/za_directory.h"

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
  if (n < Count()) {
    items_.resize(static_cast<std::size_t>(n));
    indexValid_ = false;
  } else {
    items_.resize(static_cast<std::size_t>(n));
    indexValid_ = false;
  }
}

TDirItem& TZADirArray::Item(int i) {
  if (i < 0 || i >= Count()) throw EZAException(3);
  return items_[static_cast<std::size_t>(i)];
}

const TDirItem& TZADirArray::Item(int i) const {
  if (i < 0 || i >= Count()) throw EZAException(3);
  return items_[static_cast<std::size_t>(i)];
}

TDirItem TZADirArray::GetItem(int i) const {
  if (i < 0 || i >= Count()) throw EZAException(2);
  return items_[static_cast<std::size_t>(i)];
}

void TZADirArray::SetItem(int i, const TDirItem& item) {
  if (i == Count()) {
    Append(item);
    return;
  }
  if (i < 0 || i > Count()) throw EZAException(1);
  TDirItem& slot = items_[static_cast<std::size_t>(i)];
  if (indexValid_) {
    auto it = index_.find(LowerName(slot.Name));
    if (it != index_.end() && it->second == i) index_.erase(it);
    index_.emplace(LowerName(item.Name), i);
  }
  slot = item;
}

void TZADirArray::Append(const TDirItem& item) {
  items_.push_back(item);
  if (indexValid_) index_.emplace(LowerName(item.Name), Count() - 1);
}

void TZADirArray::Delete(int i) {
  if (i < 0 || i >= Count()) throw EZAException(4);
  items_.erase(items_.begin() + i);
  indexValid_ = false;
}

void TZADirArray::Assign(const TZADirArray& other) {
  items_ = other.items_;
  index_ = other.index_;
  indexValid_ = other.indexValid_;
}

void TZADirArray::ClearSelected() {
  for (auto& item : items_) item.Selected = false;
}

void TZADirArray::Reindex() const {
  index_.clear();
  index_.reserve(items_.size());
  for (int i = 0; i < Count(); ++i) {
    index_.emplace(LowerName(items_[static_cast<std::size_t>(i)].Name), i);
  }
  indexValid_ = true;
}

int TZADirArray::Find(std::string_view name) const {
  if (!indexValid_) Reindex();
  auto it = index_.find(LowerName(name));
  return it == index_.end() ? -1 : it->second;
}

void TZADirArray::SetName(int i, const std::string& name) {
  TDirItem& item = Item(i);
  int other = Find(name);
  if (other >= 0 && other != i) throw EZAException(59);
  if (indexValid_) {
    auto it = index_.find(LowerName(item.Name));
    if (it != index_.end() && it->second == i) index_.erase(it);
    index_[LowerName(name)] = i;
  }
  item.Name = name;
}

}  // namespace engine
