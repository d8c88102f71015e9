#pragma once
// The item list as the table view shows it: a model over the core ItemList.
//
// The list changes on many threads (crawlers, the gatherer, the window). Its observer
// queues every change, in the order the list made them, and the UI thread applies them
// to the model's own copy in batches, so the view never reads the list while another
// thread changes it.
#include <QAbstractTableModel>
#include <deque>
#include <mutex>
#include <vector>

#include "app/item_list.hpp"

namespace tessaly {

class ItemListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Column headers and designed widths: 名称 500, 价格 100, 宝贝地址 50, ID 100.
  static constexpr int kColumns = 4;
  static int columnWidth(int column);

  explicit ItemListModel(ItemList& items, QObject* parent = nullptr);
  ~ItemListModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The model's copy of row `row` (GBK); empty when there is none.
  ItemRow row(int row) const;
  // Applies every change queued so far (the UI thread does this on its own; tests and
  // handlers that need the model current call it directly).
  void applyPending();

 signals:
  // The number of rows changed.
  void countChanged(int count);

 private:
  void apply(const ItemListChange& change);

  ItemList& items_;
  int observerId_ = 0;
  std::mutex pendingMutex_;
  std::deque<ItemListChange> pending_;
  std::vector<ItemRow> rows_;
};

}  // namespace tessaly
