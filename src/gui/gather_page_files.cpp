// The list's files: export to and import from an item list file, and the spreadsheet
// view opened in the desktop's spreadsheet program.
#include <QUrl>

#include "app/list_file.hpp"
#include "app/list_spreadsheet.hpp"
#include "gui/gather_page.hpp"
#include "gui/item_list_model.hpp"
#include "gui/prompts.hpp"
#include "gui/qt_text.hpp"
#include "gui/session.hpp"

namespace tessaly {
namespace {

QString listFileFilter() {
  return QStringLiteral("宝贝列表文件(*.txt)");
}

}  // namespace

void GatherPage::exportList() {
  const std::vector<ItemRow> rows = session_.items.snapshot();
  if (rows.empty()) return;
  const QString path = prompts_.saveFileName(this, listFileFilter(), QStringLiteral("txt"));
  if (path.isEmpty()) return;
  const WriteResult written = exportItemListFile(toGbk(path), rows);
  if (!written.ok) {
    prompts_.message(this, QStringLiteral("提示"),
                     QStringLiteral("宝贝列表导出失败：") + fromGbk(written.error));
    return;
  }
  prompts_.message(this, QString(), QStringLiteral("宝贝列表已经成功导出！"));
}

void GatherPage::importList() {
  const QString path = prompts_.openFileName(this, listFileFilter());
  if (path.isEmpty()) return;
  std::optional<std::vector<ItemRow>> rows = importItemListFile(toGbk(path));
  if (!rows) {
    // The current list stays: an unreadable file must not cost the user the rows.
    prompts_.message(this, QStringLiteral("提示"), QStringLiteral("宝贝列表文件无法读取！"));
    return;
  }
  session_.items.clear();
  session_.items.appendAll(std::move(*rows));
  model_->applyPending();
  updateCount(model_->rowCount());
  prompts_.message(this, QStringLiteral("温馨提示："), QStringLiteral("已经成功导入宝贝列表！"));
}

void GatherPage::openListInSpreadsheet() {
  const std::string path = listSpreadsheetPath(session_.runDirectory);
  const WriteResult written = writeListSpreadsheet(path, session_.items.snapshot());
  if (!written.ok) {
    prompts_.message(this, QStringLiteral("提示"),
                     QStringLiteral("表格文件写入失败：") + fromGbk(written.error));
    return;
  }
  if (!prompts_.openExternally(QUrl::fromLocalFile(fromGbk(path))))
    prompts_.message(this, QStringLiteral("提示"),
                     QStringLiteral("没有找到能打开表格文件的程序：") + fromGbk(path));
}

}  // namespace tessaly
