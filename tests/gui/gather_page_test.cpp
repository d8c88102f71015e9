// The gather page: navigation and the address box, the save path, the list operations
// and their files, and the add button over the real gatherer.
#include <QClipboard>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMenu>
#include <QStackedWidget>
#include <QTableView>

#include "gui/browser_pages.hpp"
#include "gui/config_page.hpp"
#include "gui/log_pane.hpp"
#include "gui_fixture.hpp"
#include "support/file_io.hpp"

namespace tessaly {
namespace {

using GatherPageTest = GuiTest;

void loseFocus(QWidget* widget) {
  QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
  QApplication::sendEvent(widget, &out);
}

void selectRows(QTableView* view, std::initializer_list<int> rows) {
  view->clearSelection();
  for (int row : rows)
    view->selectionModel()->select(view->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

TEST_F(GatherPageTest, NavigationSwitchesPagesBannersHintsAndModes) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  struct Case {
    int button;
    QWidget* page;
    Banner banner;
    const char* hint;
    AddressMode mode;
    const char* caption;
  };
  const Case cases[] = {
      {2, window->gatherPage(), Banner::Single,
       "【单个模式】 就是指定采集一个点宝贝 输入该宝贝地址即可进行采集 可以添加多个",
       AddressMode::Single, "宝贝地址："},
      {5, window->configPage(), Banner::Configure, "可以对采集的一些信息进行设置",
       AddressMode::Single, "宝贝地址："},
      {3, window->gatherPage(), Banner::List,
       "【列表模式】 就是仅仅采集某个店铺的一个分类 输入分类的网页地址即可进行采集",
       AddressMode::List, "列表地址："},
      {6, window->helpPage(), Banner::Help, "", AddressMode::List, "列表地址："},
      {4, window->gatherPage(), Banner::Shop,
       "【店铺模式】 就是采集整个店铺的所有宝贝 只需输入店铺的首页地址即可进行采集",
       AddressMode::Shop, "店铺地址："},
      {1, window->startPage(), Banner::Start, "", AddressMode::Shop, "店铺地址："},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    clickNavigation(c.button);
    EXPECT_EQ(window->pages()->currentWidget(), c.page);
    EXPECT_EQ(window->banner(), c.banner);
    EXPECT_EQ(window->hintText(), QString::fromUtf8(c.hint));
    EXPECT_EQ(session->state.addressMode.load(), c.mode);
    EXPECT_EQ(textOf("透明标签1"), QString::fromUtf8(c.caption));
  }
  EXPECT_EQ(window->exitConfirmWindow(), nullptr);
}

TEST_F(GatherPageTest, AddressBoxPlaceholders) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  auto* box = find<QLineEdit>("编辑框1");

  // Mode None: an emptied box stays empty when it loses the focus.
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(box->text(), QString());
  loseFocus(box);
  EXPECT_EQ(box->text(), QString());

  clickNavigation(2);
  EXPECT_EQ(box->text(), QStringLiteral("请输入宝贝地址"));
  QTest::mouseClick(box, Qt::LeftButton);  // a placeholder empties on a click
  EXPECT_EQ(box->text(), QString());
  loseFocus(box);  // and comes back when the box is left empty
  EXPECT_EQ(box->text(), QStringLiteral("请输入宝贝地址"));

  box->setText(QStringLiteral("http://example.localhost/typed"));
  QTest::mouseClick(box, Qt::LeftButton);  // a typed address is not a placeholder
  EXPECT_EQ(box->text(), QStringLiteral("http://example.localhost/typed"));
  clickNavigation(2);  // the same mode keeps it
  EXPECT_EQ(box->text(), QStringLiteral("http://example.localhost/typed"));
  clickNavigation(3);  // another mode resets the box
  EXPECT_EQ(box->text(), QStringLiteral("请输入列表地址"));
  box->setText(QStringLiteral("typed again"));
  clickNavigation(3);
  EXPECT_EQ(box->text(), QStringLiteral("typed again"));
  clickNavigation(4);
  EXPECT_EQ(box->text(), QStringLiteral("请输入店铺地址"));
  box->clear();
  loseFocus(box);
  EXPECT_EQ(box->text(), QStringLiteral("请输入店铺地址"));
}

TEST_F(GatherPageTest, ChangingTheSavePathFollowsTheDotRules) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  const QString root = runDirText();
  struct Case {
    QString chosen;
    QString box;  // what the box holds afterwards
    std::string folder, baseName;
    bool complains;
  };
  const Case cases[] = {
      {root + "/out/data", root + "/out/data.csv", runDirGbk() + "/out/", "data", false},
      {root + "/out/pkg.csv", root + "/out/pkg.csv", runDirGbk() + "/out/", "pkg", false},
      {root + "/my.tools/pkg.v2.csv", root + "/my.tools/pkg.v2.csv", runDirGbk() + "/my.tools/",
       "pkg", false},
      // A dot in a folder but none in the file name: no ".csv" is added, and the name
      // has no base: the user is told and the path is emptied.
      {root + "/old.files/data", QString(), runDirGbk() + "/old.files/", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen.toStdString());
    prompts.messages.clear();
    prompts.fileAnswers = {c.chosen};
    click("添加到列表2");
    EXPECT_EQ(textOf("编辑框3"), c.box);
    EXPECT_EQ(session->state.saveFolder, c.folder);
    EXPECT_EQ(session->state.saveBaseName, c.baseName);
    ASSERT_EQ(prompts.messages.size(), c.complains ? 1u : 0u);
    if (c.complains) {
      EXPECT_EQ(prompts.messages[0].title, QStringLiteral("提示"));
      EXPECT_EQ(prompts.messages[0].text, QStringLiteral("请检查文件名是否正确！"));
    }
  }
  EXPECT_EQ(prompts.dialogFilters.back(), QStringLiteral("逗号分隔符文件(*.csv)"));

  // Cancelling the dialog changes nothing.
  prompts.fileAnswers = {root + "/kept.csv"};
  click("添加到列表2");
  prompts.fileAnswers = {QString()};
  click("添加到列表2");
  EXPECT_EQ(textOf("编辑框3"), root + "/kept.csv");
  EXPECT_EQ(session->state.saveBaseName, "kept");
}

TEST_F(GatherPageTest, DeleteRemovesExactlyTheSelectedRowsEvenWithRepeatedTitles) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  session->items.appendAll(
      {{"A", "1", "a1", "1"}, {"B", "2", "b", "2"}, {"A", "3", "a2", "3"}, {"C", "4", "c", "4"}});
  gather().model()->applyPending();
  auto* view = find<QTableView>("超级列表框1");
  EXPECT_EQ(textOf("透明标签4"), QStringLiteral("4"));

  selectRows(view, {2});  // the second "A"
  click("按钮6");
  EXPECT_EQ(ids(), (std::vector<std::string>{"1", "2", "4"}));
  EXPECT_EQ(textOf("透明标签4"), QStringLiteral("3"));
  EXPECT_EQ(view->model()->rowCount(), 3);

  selectRows(view, {0, 2});
  gather().listMenu()->actions()[6]->trigger();  // "删除选中宝贝"
  EXPECT_EQ(ids(), (std::vector<std::string>{"2"}));
  EXPECT_EQ(textOf("透明标签4"), QStringLiteral("1"));

  view->clearSelection();
  click("按钮6");  // nothing selected: nothing goes
  EXPECT_EQ(ids(), (std::vector<std::string>{"2"}));

  click("按钮7");
  EXPECT_EQ(session->items.count(), 0);
  EXPECT_EQ(view->model()->rowCount(), 0);
  EXPECT_EQ(textOf("透明标签4"), QStringLiteral("0"));
}

TEST_F(GatherPageTest, ListViewColumnsAndTheRightClickMenu) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  auto* view = find<QTableView>("超级列表框1");
  const char* headers[] = {"名称", "价格", "宝贝地址", "ID"};
  const int widths[] = {500, 100, 50, 100};
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(view->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
              QString::fromUtf8(headers[c]));
    EXPECT_EQ(view->columnWidth(c), widths[c]);
  }
  EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);

  QMenu* menu = gather().listMenu();
  EXPECT_EQ(menu->title(), QStringLiteral("列表菜单"));
  QStringList captions;
  for (QAction* a : menu->actions())
    captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
  EXPECT_EQ(captions, (QStringList{"导出宝贝列表", "用IE打开宝贝链接", "用EXCEL打开宝贝列表", "-",
                                   "复制宝贝地址", "复制宝贝名称", "删除选中宝贝", "-"}));

  session->items.appendAll({{gbk("标题一"), "9.50", "http://item.localhost/item.htm?id=7", "7"}});
  gather().model()->applyPending();
  view->setCurrentIndex(view->model()->index(0, 1));
  menu->actions()[4]->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(),
            QStringLiteral("http://item.localhost/item.htm?id=7"));
  menu->actions()[5]->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("标题一"));
  menu->actions()[1]->trigger();
  ASSERT_FALSE(prompts.opened.empty());
  EXPECT_EQ(prompts.opened.back(), QUrl(QStringLiteral("http://item.localhost/item.htm?id=7")));
}

TEST_F(GatherPageTest, ExportImportAndTheSpreadsheetView) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  const QString listFile = runDirText() + "/list.txt";

  click("按钮8");  // an empty list exports nothing, not even a dialog
  EXPECT_EQ(prompts.dialogFilters.size(), 0u);

  session->items.appendAll(
      {{gbk(" 首行"), "1.00", "http://x/1", "11"}, {gbk("第二"), "2.00", "http://x/2", "22"}});
  prompts.fileAnswers = {listFile};
  click("按钮8");
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.lastMessage(), QStringLiteral("宝贝列表已经成功导出！"));
  EXPECT_EQ(prompts.dialogFilters.back(), QStringLiteral("宝贝列表文件(*.txt)"));
  const std::vector<ItemRow> exported = session->items.snapshot();

  // Cancelling the import keeps the list; confirming it replaces the list.
  click("按钮7");
  session->items.append({"kept", "", "", "0"});
  prompts.fileAnswers = {QString()};
  click("添加到列表1");
  EXPECT_EQ(ids(), (std::vector<std::string>{"0"}));
  prompts.fileAnswers = {listFile};
  click("添加到列表1");
  EXPECT_EQ(session->items.snapshot(), exported);
  EXPECT_EQ(textOf("透明标签4"), QStringLiteral("2"));
  EXPECT_EQ(prompts.messages.back().title, QStringLiteral("温馨提示："));
  EXPECT_EQ(prompts.lastMessage(), QStringLiteral("已经成功导入宝贝列表！"));

  // A file that cannot be read leaves the list alone and says so.
  prompts.fileAnswers = {runDirText() + "/missing.txt"};
  click("添加到列表1");
  EXPECT_EQ(session->items.count(), 2);
  EXPECT_EQ(prompts.messages.back().title, QStringLiteral("提示"));

  // The spreadsheet view writes the run directory's temp.xlsx and hands it to the desktop.
  const std::size_t before = prompts.messages.size();
  gather().listMenu()->actions()[2]->trigger();
  const std::string sheet = runDirGbk() + "/temp.xlsx";
  EXPECT_TRUE(fileExists(sheet));
  ASSERT_FALSE(prompts.opened.empty());
  EXPECT_EQ(prompts.opened.back(), QUrl::fromLocalFile(runDirText() + "/temp.xlsx"));
  EXPECT_EQ(prompts.messages.size(), before);
  prompts.openSucceeds = false;  // no program for the file: the user hears of it
  gather().listMenu()->actions()[2]->trigger();
  EXPECT_EQ(prompts.messages.size(), before + 1);
}

TEST_F(GatherPageTest, AddingRunsOffTheWindowAndTheCountFollowsEveryRow) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  const sim::Item& item = server.catalogue().items().front();
  clickNavigation(2);
  find<QLineEdit>("编辑框1")->setText(QString::fromStdString(itemAddress(item)));

  // While the page is fetched the button is off and the window keeps handling events.
  server.setLatency(300);
  click("添加到列表");
  EXPECT_FALSE(enabled("添加到列表"));
  EXPECT_TRUE(gather().adding());
  ASSERT_TRUE(waitFor([&] { return !gather().adding(); }));
  server.setLatency(0);
  EXPECT_TRUE(enabled("添加到列表"));
  ASSERT_TRUE(waitFor([&] { return textOf("透明标签4") == QStringLiteral("1"); }));
  EXPECT_EQ(ids(), (std::vector<std::string>{item.id}));

  // A shop crawl fills the list from other threads; the count keeps up.
  clickNavigation(4);
  find<QLineEdit>("编辑框1")->setText(
      QString::fromStdString("http://" + server.hosts().shop(1) + "/"));
  click("添加到列表");
  ASSERT_TRUE(waitFor([&] { return !gather().adding(); }));
  session->gatherer.waitForCrawls();
  const int rows = session->items.count();
  EXPECT_GT(rows, 1);
  ASSERT_TRUE(waitFor([&] { return textOf("透明标签4") == QString::number(rows); }));
  EXPECT_EQ(find<QTableView>("超级列表框1")->model()->rowCount(), rows);

  // What the gatherer logged reaches the log pane.
  gather().logPane()->flush();
  EXPECT_TRUE(gather().logPane()->toPlainText().contains(QStringLiteral("共搜索到：")));
  EXPECT_FALSE(gather().logPane()->toPlainText().contains(QStringLiteral("\r")));
}

}  // namespace
}  // namespace tessaly
