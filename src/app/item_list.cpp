#include "app/item_list.hpp"

#include <algorithm>

namespace tessaly {

void ItemList::notify(const ItemListChange& change) {
  for (const auto& [id, observer] : observers_) observer(change);
}

int ItemList::append(ItemRow row) {
  std::lock_guard lock(mutex_);
  const int index = static_cast<int>(rows_.size());
  rows_.push_back(row);
  if (!observers_.empty()) notify({.kind = ItemListChange::Kind::Appended, .index = index, .rows = {std::move(row)}});
  return index;
}

void ItemList::appendAll(std::vector<ItemRow> rows) {
  if (rows.empty()) return;
  std::lock_guard lock(mutex_);
  const int index = static_cast<int>(rows_.size());
  rows_.insert(rows_.end(), rows.begin(), rows.end());
  if (!observers_.empty()) notify({.kind = ItemListChange::Kind::Appended, .index = index, .rows = std::move(rows)});
}

ItemRow ItemList::row(int index) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<int>(rows_.size())) return {};
  return rows_[static_cast<std::size_t>(index)];
}

int ItemList::count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_.size());
}

std::vector<ItemRow> ItemList::snapshot() const {
  std::lock_guard lock(mutex_);
  return rows_;
}

void ItemList::erase(std::vector<int> indexes) {
  std::sort(indexes.begin(), indexes.end(), std::greater<>());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  std::lock_guard lock(mutex_);
  // From the highest index down, so each reported index is valid when it is reported.
  for (int index : indexes) {
    if (index < 0 || index >= static_cast<int>(rows_.size())) continue;
    rows_.erase(rows_.begin() + index);
    if (!observers_.empty()) notify({.kind = ItemListChange::Kind::Removed, .index = index});
  }
}

void ItemList::clear() {
  std::lock_guard lock(mutex_);
  rows_.clear();
  if (!observers_.empty()) notify({.kind = ItemListChange::Kind::Cleared});
}

bool ItemList::setCell(int index, int column, const std::string& text) {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<int>(rows_.size()) || column < 0 || column > 3) return false;
  ItemRow& r = rows_[static_cast<std::size_t>(index)];
  std::string* cells[] = {&r.title, &r.price, &r.address, &r.id};
  *cells[column] = text;
  if (!observers_.empty()) notify({.kind = ItemListChange::Kind::CellChanged, .index = index, .column = column, .text = text});
  return true;
}

int ItemList::addObserver(Observer observer) {
  std::lock_guard lock(mutex_);
  const int id = nextObserverId_++;
  observers_.emplace_back(id, std::move(observer));
  // A new observer starts from the current rows.
  observers_.back().second({.kind = ItemListChange::Kind::Replaced, .rows = rows_});
  return id;
}

void ItemList::removeObserver(int id) {
  std::lock_guard lock(mutex_);
  std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

}  // namespace tessaly
