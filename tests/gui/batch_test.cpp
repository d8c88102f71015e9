// The batch buttons through their states, and the summary of a finished run.
#include <QGuiApplication>
#include <QScreen>

#include "gui/summary_window.hpp"
#include "gui_fixture.hpp"
#include "support/file_io.hpp"

namespace tessaly {
namespace {

class BatchTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_EQ(startUp(), StartupResult::Ready);
    gather().setSavePath(runDirText() + "/pkg.csv");
  }

  // 开始 / 暂停按钮 / 停止按钮: enabled, and the pause button's caption.
  void expectButtons(bool start, bool pause, bool stop, const char* pauseCaption) {
    EXPECT_EQ(enabled("开始"), start);
    EXPECT_EQ(enabled("暂停按钮"), pause);
    EXPECT_EQ(enabled("停止按钮"), stop);
    EXPECT_EQ(textOf("暂停按钮"), QString::fromUtf8(pauseCaption));
  }

  QString summaryText(const char* label) const {
    SummaryWindow* summary = window->gatherPage()->summaryWindow();
    return summary ? summary->findChild<QLabel*>(QString::fromUtf8(label))->text() : QString();
  }
};

TEST_F(BatchTest, ButtonsFollowIdleRunningPausedAndStop) {
  listCatalogueItems(3);
  expectButtons(true, false, false, "暂停");

  server.setFault("gw", sim::Fault::Hang);  // the run cannot finish on its own
  click("开始");
  expectButtons(false, true, true, "暂停");
  click("暂停按钮");
  expectButtons(false, true, true, "继续");
  click("暂停按钮");
  expectButtons(false, true, true, "暂停");
  click("暂停按钮");
  click("停止按钮");  // stopped while paused
  expectButtons(true, false, false, "暂停");
  EXPECT_EQ(gather().runner().state(), BatchState::Idle);

  // The next run starts afresh with its pause button reading "暂停".
  click("开始");
  expectButtons(false, true, true, "暂停");
  click("停止按钮");
  expectButtons(true, false, false, "暂停");
  gather().runner().wait();
  EXPECT_EQ(gather().summaryWindow(), nullptr);  // a stopped run reports nothing
  EXPECT_FALSE(fileExists(runDirGbk() + "/pkg.csv"));
}

TEST_F(BatchTest, ACompletedRunShowsItsSummaryAtTheBottomRight) {
  listCatalogueItems(3);
  click("开始");
  ASSERT_TRUE(waitFor([&] { return gather().summaryWindow() != nullptr; }));
  SummaryWindow* summary = gather().summaryWindow();
  EXPECT_EQ(summary->windowTitle(), QStringLiteral("复制完成！"));
  EXPECT_TRUE(summary->isVisible());
  EXPECT_FALSE(summary->isModal());
  EXPECT_EQ(summary->size(), QSize(212, 148));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(summary->pos(), QPoint(screen.width() - 212 - 10, screen.height() - 148 - 30));
  EXPECT_EQ(summaryText("透明标签1"), QStringLiteral("复制已经完成："));
  EXPECT_EQ(summaryText("透明标签4"), QStringLiteral("下载总数： 3"));
  EXPECT_EQ(summaryText("透明标签2"), QStringLiteral("成功下载： 3"));
  EXPECT_EQ(summaryText("透明标签3"), QStringLiteral("下载失败： 0"));
  ASSERT_TRUE(waitFor([&] { return enabled("开始"); }));
  expectButtons(true, false, false, "暂停");
  EXPECT_TRUE(fileExists(runDirGbk() + "/pkg.csv"));
  EXPECT_TRUE(prompts.messages.empty());

  // Answers without an item fail their items; the next summary says so.
  server.setFault("gw", sim::Fault::Empty);
  click("开始");
  ASSERT_TRUE(waitFor([&] { return summaryText("透明标签2") == QStringLiteral("成功下载： 0"); }));
  EXPECT_EQ(summaryText("透明标签4"), QStringLiteral("下载总数： 3"));
  EXPECT_EQ(summaryText("透明标签3"), QStringLiteral("下载失败： 3"));
}

TEST_F(BatchTest, NothingStartsWithoutRowsOrWithoutASavePath) {
  click("开始");  // empty list: silently nothing
  EXPECT_EQ(gather().runner().state(), BatchState::Idle);
  EXPECT_TRUE(prompts.messages.empty());

  listCatalogueItems(1);
  prompts.fileAnswers = {runDirText() + "/bad.dir/name"};  // rejected: the path is emptied
  click("添加到列表2");
  prompts.messages.clear();
  click("开始");
  EXPECT_EQ(gather().runner().state(), BatchState::Idle);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, QStringLiteral("提示"));
  EXPECT_EQ(prompts.messages[0].text, QStringLiteral("请检查保存的文件名是否正确！"));
}

TEST_F(BatchTest, AFailedPackageWriteIsReported) {
  listCatalogueItems(1);
  // A file where the package's folder should be: neither folder nor file can be made.
  ASSERT_TRUE(writeWholeFile(runDirGbk() + "/blocked", "x").ok);
  gather().setSavePath(runDirText() + "/blocked/pkg.csv");
  click("开始");
  ASSERT_TRUE(waitFor([&] { return !prompts.messages.empty(); }));
  EXPECT_EQ(prompts.messages[0].title, QStringLiteral("提示"));
  EXPECT_EQ(prompts.messages[0].text, QStringLiteral("数据包文件写入失败，请检查保存路径！"));
  EXPECT_NE(gather().summaryWindow(), nullptr);
}

TEST_F(BatchTest, TheSavePathStaysPutWhileARunIsUnderWay) {
  listCatalogueItems(2);
  server.setFault("gw", sim::Fault::Hang);
  click("开始");
  EXPECT_FALSE(enabled("添加到列表2"));
  EXPECT_TRUE(find<QLineEdit>("编辑框3")->isReadOnly());
  click("停止按钮");
  EXPECT_TRUE(enabled("添加到列表2"));
  EXPECT_FALSE(find<QLineEdit>("编辑框3")->isReadOnly());
}

TEST_F(BatchTest, ClosingTheWindowDuringARunLeavesItRunning) {
  listCatalogueItems(2);
  window->setTrayAvailable(true);
  click("开始");
  window->close();
  EXPECT_FALSE(window->isVisible());
  ASSERT_TRUE(waitFor([&] { return gather().summaryWindow() != nullptr; }));
  EXPECT_EQ(summaryText("透明标签2"), QStringLiteral("成功下载： 2"));
}

}  // namespace
}  // namespace tessaly
