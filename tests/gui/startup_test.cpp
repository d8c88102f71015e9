// Start-up, closing to the tray and the exit confirmation.
#include <sched.h>

#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextBrowser>

#include "gui/browser_pages.hpp"
#include "gui_fixture.hpp"

namespace tessaly {
namespace {

using StartupTest = GuiTest;

TEST_F(StartupTest, ReachesTheMainWindowWithKeysSavePathTrayAndVendorPages) {
  ASSERT_EQ(startUp(/*pin=*/true), StartupResult::Ready);

  EXPECT_FALSE(splash.isVisible());
  EXPECT_EQ(splash.progress(), 100);
  EXPECT_EQ(splash.size(), QSize(460, 334));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Tessaly V3.06"));
  EXPECT_EQ(window->size(), QSize(703, 618));
  EXPECT_TRUE(prompts.messages.empty());

  EXPECT_EQ(session->state.appKeys.size(), server.catalogue().keys().size());
  EXPECT_EQ(session->state.nextKeyIndex.load(), 1);
  EXPECT_EQ(session->state.vendorBase, session->state.endpoints.vendorService + "/kvrt_api/");

  // The default save path: run directory + "/csv" + seconds + ".csv", split at once.
  const QRegularExpression defaultPath("^" + QRegularExpression::escape(runDirText()) +
                                       "/csv(\\d{9,})\\.csv$");
  const auto match = defaultPath.match(textOf("编辑框3"));
  ASSERT_TRUE(match.hasMatch()) << textOf("编辑框3").toStdString();
  EXPECT_EQ(session->state.saveFolder, runDirGbk() + "/");
  EXPECT_EQ(session->state.saveBaseName, "csv" + match.captured(1).toStdString());

  // The start page, no gather mode yet, the address box's first text.
  EXPECT_EQ(window->pages()->currentWidget(), window->startPage());
  EXPECT_EQ(session->state.addressMode.load(), AddressMode::None);
  EXPECT_EQ(textOf("透明标签1"), QStringLiteral("商品地址："));
  EXPECT_EQ(textOf("编辑框1"), QStringLiteral("请输入宝贝地址"));
  EXPECT_EQ(textOf("透明标签4"), QStringLiteral("0"));
  EXPECT_EQ(window->statusBar()->objectName(), QStringLiteral("状态条1"));
  EXPECT_EQ(window->statusBar()->findChild<QLabel*>()->text(), QStringLiteral("版本号：V3.0.6"));

  ASSERT_NE(window->trayIcon(), nullptr);
  EXPECT_EQ(window->trayIcon()->toolTip(), QStringLiteral("Tessaly V3.06"));
  EXPECT_TRUE(window->memoryTrimRunning());

  cpu_set_t cpus;
  ASSERT_EQ(sched_getaffinity(0, sizeof cpus, &cpus), 0);
  EXPECT_EQ(CPU_COUNT(&cpus), 1);

  // Both browser boxes show the vendor's pages, fetched off the UI thread.
  ASSERT_TRUE(waitFor([&] {
    return window->startPage()->newsLoader()->loaded() &&
           window->helpPage()->helpLoader()->loaded();
  }));
  EXPECT_FALSE(find<QTextBrowser>("超文本浏览框1")->toPlainText().isEmpty());
  EXPECT_FALSE(find<QTextBrowser>("超文本浏览框2")->toPlainText().isEmpty());
  EXPECT_EQ(find<QTextBrowser>("超文本浏览框2")->height(), 440);
  EXPECT_EQ(server.requestCount("news"), 1);
  EXPECT_EQ(server.requestCount("help"), 1);

  click("按钮2");  // "使用说明" opens the help page in the desktop's browser
  ASSERT_EQ(prompts.opened.size(), 1u);
  EXPECT_EQ(prompts.opened[0].toString().toStdString(),
            session->state.endpoints.vendorService + "/kvrthelp.html");
}

TEST_F(StartupTest, WithoutTheKeyListTheUserIsToldAndTheProgramEnds) {
  server.setFault("vendor", sim::Fault::Drop);
  ASSERT_EQ(startUp(), StartupResult::KeyListFailed);

  const QString failed = QStringLiteral("预定信息 加载失败，请重新启动--");
  EXPECT_EQ(splash.status(), failed);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, QStringLiteral("提示"));
  EXPECT_EQ(prompts.messages[0].text, failed);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(session->state.appKeys.empty());
  EXPECT_EQ(window->trayIcon(), nullptr);
  EXPECT_EQ(textOf("编辑框3"), QString());  // no later step ran
}

TEST_F(StartupTest, ClosingHidesAndTheTrayBringsTheWindowBack) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  listCatalogueItems(2);
  window->setTrayAvailable(true);

  EXPECT_FALSE(window->close());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(session->items.count(), 2);

  window->showMinimized();
  emit window->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isMinimized());

  window->hide();
  emit window->trayIcon()->activated(QSystemTrayIcon::Trigger);  // a single click does nothing
  EXPECT_FALSE(window->isVisible());
  emit window->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(StartupTest, WithoutATrayClosingOnlyMinimises) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  window->setTrayAvailable(false);
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->isMinimized());
}

TEST_F(StartupTest, ExitAsksFirstAndCancelKeepsEverythingRunning) {
  ASSERT_EQ(startUp(), StartupResult::Ready);

  // From the tray's menu, while the window is hidden.
  window->hide();
  QMenu* menu = window->trayMenu();
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(menu->title(), QStringLiteral("系统菜单"));
  EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("退出程序"));
  menu->actions()[0]->trigger();
  ExitConfirmWindow* confirm = window->exitConfirmWindow();
  ASSERT_NE(confirm, nullptr);
  EXPECT_TRUE(confirm->isVisible());
  EXPECT_TRUE(confirm->isModal());
  EXPECT_EQ(confirm->windowTitle(), QStringLiteral("退出程序？"));
  EXPECT_EQ(confirm->size(), QSize(273, 163));
  EXPECT_NE(confirm->findChild<QLabel*>(QStringLiteral("标签1")), nullptr);
  EXPECT_EQ(confirm->findChild<QLabel*>(QStringLiteral("标签1"))->text(),
            QStringLiteral("你是否确定退出程序！"));

  QPushButton* cancel = nullptr;
  QPushButton* ok = nullptr;
  for (QPushButton* b : confirm->findChildren<QPushButton*>()) {
    if (b->text() == QStringLiteral("取 消")) cancel = b;
    if (b->text() == QStringLiteral("确 定")) ok = b;
  }
  ASSERT_NE(cancel, nullptr);
  ASSERT_NE(ok, nullptr);
  QTest::mouseClick(cancel, Qt::LeftButton);
  ASSERT_TRUE(waitFor([&] { return window->exitConfirmWindow() == nullptr; }));
  EXPECT_EQ(endProgramCalls, 0);
  EXPECT_TRUE(window->trayIcon()->isVisible() || !QSystemTrayIcon::isSystemTrayAvailable());

  // The seventh navigation button asks the same question; "确 定" ends the program.
  window->show();
  clickNavigation(7);
  ASSERT_NE(window->exitConfirmWindow(), nullptr);
  for (QPushButton* b : window->exitConfirmWindow()->findChildren<QPushButton*>())
    if (b->text() == QStringLiteral("确 定")) QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_EQ(endProgramCalls, 1);
}

}  // namespace
}  // namespace tessaly
