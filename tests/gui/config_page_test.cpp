// The configuration page: every control, live edits, and the options file round trip.
#include "gui/config_page.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "config/options_file.hpp"
#include "gui_fixture.hpp"
#include "package/run_settings.hpp"
#include "support/file_io.hpp"

namespace tessaly {
namespace {

using ConfigPageTest = GuiTest;

TEST_F(ConfigPageTest, EveryControlWithItsCaption) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  EXPECT_EQ(find<QTabWidget>("选择夹2")->tabText(0), QStringLiteral("宝贝采集设置"));
  const std::pair<const char*, const char*> captions[] = {
      {"选择框6", "下载描述图片"},
      {"选择框7", "只下载淘宝空间图片"},
      {"选择框1", "价格调整"},
      {"选择框2", "库存统一为"},
      {"单选框1", "生成淘宝助理4.X数据"},
      {"单选框2", "生成淘宝助理5.X数据"},
      {"按钮4", "保存配置"},
  };
  for (const auto& [name, caption] : captions)
    EXPECT_EQ(textOf(name), QString::fromUtf8(caption)) << name;
  for (const char* name :
       {"编辑框4", "编辑框6", "编辑框5", "价格1", "价格2", "价格3", "价格11", "价格22", "价格33"})
    EXPECT_NE(find<QLineEdit>(name), nullptr);
  auto* combo = find<QComboBox>("组合框1");
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(0), QStringLiteral("保持不变"));
  EXPECT_EQ(combo->itemText(1), QStringLiteral("删除图片"));
  EXPECT_EQ(combo->itemText(2), QStringLiteral("重新下载 仍失败删除"));
  EXPECT_NE(find<QGroupBox>("分组框1"), nullptr);

  // No options file: nothing ticked, the failure mode 3, empty boxes, version 5.
  EXPECT_FALSE(find<QCheckBox>("选择框6")->isChecked());
  EXPECT_FALSE(find<QCheckBox>("选择框7")->isEnabled());
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(session->options.activePictureFailureMode(), 3);
  EXPECT_EQ(textOf("编辑框4"), QString());
  EXPECT_TRUE(find<QRadioButton>("单选框2")->isChecked());
}

TEST_F(ConfigPageTest, EditsApplyAtOnceExceptTheFailureModeWhichWaitsForTheSave) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  auto* download = find<QCheckBox>("选择框6");
  auto* hostedOnly = find<QCheckBox>("选择框7");
  download->setChecked(true);
  EXPECT_TRUE(hostedOnly->isEnabled());
  download->setChecked(false);
  EXPECT_FALSE(hostedOnly->isEnabled());
  download->setChecked(true);

  find<QLineEdit>("编辑框4")->setText(QStringLiteral("120"));
  find<QRadioButton>("单选框1")->setChecked(true);
  find<QComboBox>("组合框1")->setCurrentIndex(0);
  RunSettings now = runSettingsFrom(session->options);
  EXPECT_EQ(now.record.pricePercent, "120");
  EXPECT_EQ(now.record.packageVersion, 4);
  EXPECT_TRUE(now.downloadDescPictures);
  EXPECT_EQ(now.pictureFailureMode, 3);  // not saved yet

  click("按钮4");
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, QStringLiteral("提示"));
  EXPECT_EQ(prompts.messages[0].text, QStringLiteral("已经保存！"));
  EXPECT_EQ(runSettingsFrom(session->options).pictureFailureMode, 1);
}

TEST_F(ConfigPageTest, SavedOptionsComeBackAfterARestart) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  find<QCheckBox>("选择框6")->setChecked(true);
  find<QCheckBox>("选择框7")->setChecked(true);
  find<QComboBox>("组合框1")->setCurrentIndex(1);
  find<QCheckBox>("选择框1")->setChecked(true);
  find<QLineEdit>("编辑框4")->setText(QStringLiteral("85"));
  find<QLineEdit>("编辑框6")->setText(QStringLiteral("2"));
  find<QCheckBox>("选择框2")->setChecked(true);
  find<QLineEdit>("编辑框5")->setText(QStringLiteral("30"));
  const char* fields[6][2] = {{"价格1", "旧一"}, {"价格11", "新一"}, {"价格2", "A2"},
                              {"价格22", "B2"},  {"价格3", "A3"},    {"价格33", "B3"}};
  for (const auto& [name, value] : fields) find<QLineEdit>(name)->setText(QString::fromUtf8(value));
  find<QRadioButton>("单选框1")->setChecked(true);
  click("按钮4");
  EXPECT_EQ(prompts.lastMessage(), QStringLiteral("已经保存！"));

  // The file holds the second and third targets crosswise, as the format has it.
  const auto file = readWholeFile(optionsFilePath(runDirGbk()));
  ASSERT_TRUE(file.has_value());
  const std::string text = gbkToUtf8(*file);
  for (const char* line :
       {"download=真", "taobao_only=真", "fall=2", "price=85", "price_num=2", "num=30", "1=旧一",
        "to1=新一", "2=A2", "to3=B2", "3=A3", "to2=B3", "type=4"})
    EXPECT_NE(text.find(line), std::string::npos) << line;

  makeWindow();
  ASSERT_EQ(startUp(), StartupResult::Ready);
  EXPECT_TRUE(find<QCheckBox>("选择框6")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("选择框7")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("选择框7")->isEnabled());
  EXPECT_EQ(find<QComboBox>("组合框1")->currentIndex(), 1);
  EXPECT_EQ(session->options.activePictureFailureMode(), 2);
  EXPECT_TRUE(find<QCheckBox>("选择框1")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("选择框2")->isChecked());
  EXPECT_EQ(textOf("编辑框4"), QStringLiteral("85"));
  EXPECT_EQ(textOf("编辑框6"), QStringLiteral("2"));
  EXPECT_EQ(textOf("编辑框5"), QStringLiteral("30"));
  for (const auto& [name, value] : fields)
    EXPECT_EQ(textOf(name), QString::fromUtf8(value)) << name;
  EXPECT_TRUE(find<QRadioButton>("单选框1")->isChecked());
  EXPECT_EQ(runSettingsFrom(session->options).record.packageVersion, 4);
}

TEST_F(ConfigPageTest, AFailedSaveIsNotReportedAsSaved) {
  ASSERT_EQ(startUp(), StartupResult::Ready);
  // A file where the options folder should be.
  ASSERT_TRUE(writeWholeFile(runDirGbk() + "/options", "not a folder").ok);
  click("按钮4");
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, QStringLiteral("提示"));
  EXPECT_EQ(prompts.messages[0].text, QStringLiteral("配置保存失败，请检查程序目录是否可写！"));
}

}  // namespace
}  // namespace tessaly
