#include "gui/item_list_model.hpp"

#include "gui/qt_text.hpp"

namespace tessaly {

int ItemListModel::columnWidth(int column) {
  static constexpr int kWidths[kColumns] = {500, 100, 50, 100};
  return column >= 0 && column < kColumns ? kWidths[column] : 0;
}

ItemListModel::ItemListModel(ItemList& items, QObject* parent)
    : QAbstractTableModel(parent), items_(items) {
  // Runs on the changing thread, inside the change: queue it and, when the queue was
  // empty, ask the UI thread for one flush. A burst of crawler rows becomes one update.
  observerId_ = items_.addObserver([this](const ItemListChange& change) {
    bool first = false;
    {
      std::lock_guard lock(pendingMutex_);
      first = pending_.empty();
      pending_.push_back(change);
    }
    if (first) QMetaObject::invokeMethod(this, &ItemListModel::applyPending, Qt::QueuedConnection);
  });
  applyPending();
}

ItemListModel::~ItemListModel() {
  // After this returns no change reaches the observer; queued flushes die with the model.
  items_.removeObserver(observerId_);
}

void ItemListModel::applyPending() {
  std::deque<ItemListChange> changes;
  {
    std::lock_guard lock(pendingMutex_);
    changes.swap(pending_);
  }
  if (changes.empty()) return;
  const int before = static_cast<int>(rows_.size());
  for (const auto& change : changes) apply(change);
  if (static_cast<int>(rows_.size()) != before) emit countChanged(static_cast<int>(rows_.size()));
}

void ItemListModel::apply(const ItemListChange& change) {
  using Kind = ItemListChange::Kind;
  switch (change.kind) {
    case Kind::Appended: {
      if (change.rows.empty()) return;
      const int first = static_cast<int>(rows_.size());
      beginInsertRows({}, first, first + static_cast<int>(change.rows.size()) - 1);
      rows_.insert(rows_.end(), change.rows.begin(), change.rows.end());
      endInsertRows();
      return;
    }
    case Kind::Removed:
      if (change.index < 0 || change.index >= static_cast<int>(rows_.size())) return;
      beginRemoveRows({}, change.index, change.index);
      rows_.erase(rows_.begin() + change.index);
      endRemoveRows();
      return;
    case Kind::Cleared:
      beginResetModel();
      rows_.clear();
      endResetModel();
      return;
    case Kind::Replaced:
      beginResetModel();
      rows_ = change.rows;
      endResetModel();
      return;
    case Kind::CellChanged: {
      if (change.index < 0 || change.index >= static_cast<int>(rows_.size())) return;
      ItemRow& r = rows_[static_cast<std::size_t>(change.index)];
      std::string* cells[] = {&r.title, &r.price, &r.address, &r.id};
      if (change.column < 0 || change.column >= kColumns) return;
      *cells[change.column] = change.text;
      const QModelIndex cell = index(change.index, change.column);
      emit dataChanged(cell, cell);
      return;
    }
  }
}

int ItemListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ItemListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const ItemRow& r = rows_[static_cast<std::size_t>(index.row())];
  switch (index.column()) {
    case 0:
      return fromGbk(r.title);
    case 1:
      return fromGbk(r.price);
    case 2:
      return fromGbk(r.address);
    case 3:
      return fromGbk(r.id);
    default:
      return {};
  }
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  static const char* const kHeaders[kColumns] = {"名称", "价格", "宝贝地址", "ID"};
  return section >= 0 && section < kColumns ? QString::fromUtf8(kHeaders[section]) : QVariant();
}

ItemRow ItemListModel::row(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
  return rows_[static_cast<std::size_t>(row)];
}

}  // namespace tessaly
