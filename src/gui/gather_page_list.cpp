// The item list's own operations: delete, clear, the right-click menu, copy and open.
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QTableView>

#include "gui/gather_page.hpp"
#include "gui/item_list_model.hpp"
#include "gui/prompts.hpp"
#include "gui/qt_text.hpp"
#include "gui/session.hpp"

namespace tessaly {

void GatherPage::buildListMenu() {
  listMenu_ = new QMenu(QStringLiteral("列表菜单"), this);
  listMenu_->setObjectName(QStringLiteral("列表菜单"));
  auto add = [this](const char* caption, auto handler) {
    QAction* action = listMenu_->addAction(QString::fromUtf8(caption));
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  add("导出宝贝列表", [this] { exportList(); });
  add("用IE打开宝贝链接", [this] { openItemLink(); });
  add("用EXCEL打开宝贝列表", [this] { openListInSpreadsheet(); });
  listMenu_->addSeparator();
  add("复制宝贝地址", [this] { copyCell(2); });
  add("复制宝贝名称", [this] { copyCell(0); });
  add("删除选中宝贝", [this] { deleteSelected(); });
  listMenu_->addSeparator();
}

void GatherPage::updateCount(int count) {
  countLabel_->setText(QString::number(count));
}

int GatherPage::currentRow() const {
  const QModelIndex current = listView_->selectionModel()->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void GatherPage::deleteSelected() {
  // Exactly the rows the user selected, even when titles repeat.
  model_->applyPending();
  std::vector<int> rows;
  for (const QModelIndex& index : listView_->selectionModel()->selectedRows())
    rows.push_back(index.row());
  if (!rows.empty()) session_.items.erase(std::move(rows));
  model_->applyPending();
  updateCount(model_->rowCount());
}

void GatherPage::clearList() {
  session_.items.clear();
  model_->applyPending();
  updateCount(model_->rowCount());
}

void GatherPage::openItemLink() {
  // Without a current row the address is empty, and the desktop is handed nothing.
  prompts_.openExternally(QUrl(fromGbk(model_->row(currentRow()).address)));
}

void GatherPage::copyCell(int column) {
  const ItemRow row = model_->row(currentRow());
  QApplication::clipboard()->setText(fromGbk(column == 0 ? row.title : row.address));
}

}  // namespace tessaly
