// Saves a picture of every page and window into the build folder, so the look can be
// reviewed (the pictures are what a user would see, drawn offscreen).
#include <QDir>
#include <QPixmap>

#include "gui/browser_pages.hpp"
#include "gui/exit_confirm_window.hpp"
#include "gui/log_pane.hpp"
#include "gui/summary_window.hpp"
#include "gui_fixture.hpp"

namespace tessaly {
namespace {

using ScreenshotTest = GuiTest;

void save(QWidget* widget, const QString& name) {
  const QString folder = QStringLiteral(TESSALY_GUI_SHOT_DIR);
  ASSERT_TRUE(QDir().mkpath(folder));
  const QPixmap picture = widget->grab();
  ASSERT_FALSE(picture.isNull()) << name.toStdString();
  EXPECT_TRUE(picture.save(folder + "/" + name + ".png")) << name.toStdString();
}

TEST_F(ScreenshotTest, EveryPageAndWindow) {
  splash.setStatus(QStringLiteral("正在加载预定信息--"));
  splash.setProgress(65);
  save(&splash, QStringLiteral("splash"));

  ASSERT_EQ(startUp(), StartupResult::Ready);
  ASSERT_TRUE(waitFor([&] {
    return window->startPage()->newsLoader()->loaded() &&
           window->helpPage()->helpLoader()->loaded();
  }));
  save(window.get(), QStringLiteral("page_start"));

  clickNavigation(4);
  listCatalogueItems(12);
  session->log.appendLogLine(gbk("  共搜索到：12 个商品\r\n"));
  session->log.appendLogLine(gbk("线程：1  开始下载 第：1/12 个宝贝:示例宝贝\r\n"));
  gather().logPane()->flush();
  save(window.get(), QStringLiteral("page_gather"));

  clickNavigation(5);
  save(window.get(), QStringLiteral("page_config"));
  clickNavigation(6);
  save(window.get(), QStringLiteral("page_help"));

  clickNavigation(7);
  ASSERT_NE(window->exitConfirmWindow(), nullptr);
  save(window->exitConfirmWindow(), QStringLiteral("exit_confirm"));
  window->exitConfirmWindow()->reject();

  BatchSummary counts;
  counts.itemTotal = 12;
  counts.successCount = 11;
  counts.failureCount = 1;
  SummaryWindow summary(counts);
  summary.show();
  save(&summary, QStringLiteral("summary"));
}

}  // namespace
}  // namespace tessaly
