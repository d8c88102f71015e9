#include "config/options_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/temp_folder.hpp"
#include "support/file_io.hpp"
#include "support/gbk.hpp"

namespace tessaly {
namespace {

using testing::TempFolder;

class OptionsFileTest : public ::testing::Test {
 protected:
  TempFolder temp;
  // A run directory with a Chinese name, so that every path goes through the GBK edge.
  std::string runDirectory = temp.path() + gbk("/运行目录");
  std::string path = optionsFilePath(runDirectory);

  void writeFile(const std::string& utf8Text) {
    ASSERT_TRUE(makeDirectories(parentFolder(path)));
    ASSERT_TRUE(writeWholeFile(path, gbk(utf8Text)).ok);
  }
  std::string fileText() { return gbkToUtf8(readWholeFile(path).value_or("")); }
};

TEST_F(OptionsFileTest, FirstSaveCreatesTheFolderAndWritesEveryKeyInOrder) {
  ASSERT_FALSE(fileExists(parentFolder(path)));
  OptionsStore store;
  store.set(&Options::downloadDescPictures, true);
  store.set(&Options::pictureFailureMode, 3);

  const SaveOptionsResult result = saveOptions(path, store);

  EXPECT_EQ(result.outcome, SaveOptionsResult::Outcome::Saved);
  EXPECT_EQ(result.message, gbk("已经保存！"));
  EXPECT_EQ(fileText(),
            "[DL_PIC]\r\ndownload=真\r\ntaobao_only=假\r\nfall=3\r\n"
            "[PR_INFO]\r\np_type=假\r\nn_type=假\r\nprice=100\r\nprice_num=0\r\nnum=100\r\n"
            "[REPLACE]\r\n1=\r\n2=\r\n3=\r\nto1=\r\nto3=\r\nto2=\r\n"
            "[SAVE]\r\ntype=5\r\n");
  EXPECT_EQ(store.activePictureFailureMode(), 3);
}

TEST_F(OptionsFileTest, MissingFileFallsBackToEmptyBoxesModeThreeAndVersionFive) {
  OptionsStore store;  // the designed page: "100", "0", "100"
  EXPECT_FALSE(loadOptions(path, store));

  Options expected;
  expected.hostedPicturesOnlyEnabled = false;
  expected.pictureFailureMode = 3;
  expected.pricePercent = expected.priceDecimals = expected.stockValue = "";
  expected.packageVersion = 5;
  EXPECT_EQ(store.snapshot(), expected);
  EXPECT_EQ(store.activePictureFailureMode(), 3);
}

TEST_F(OptionsFileTest, LoadReadsEachKeyByTheProfileRules) {
  struct Case {
    const char* file;  // UTF-8, converted to GBK
    bool download, hostedOnly, hostedEnabled;
    int comboBefore, combo, active;  // the active mode starts at 0
    int version;
    const char* price;
  };
  const Case cases[] = {
      {"[DL_PIC]\ndownload=真\ntaobao_only=真\nfall=1\n[SAVE]\ntype=4\n", true, true, true, 0, 1, 1,
       4, ""},
      {"[DL_PIC]\ndownload=假\ntaobao_only=真\nfall=2\n[SAVE]\ntype=4.0\n", false, true, false, 0,
       2, 2, 5, ""},
      // An unknown `fall` keeps the combo's selection and leaves the active mode at 0.
      {"[DL_PIC]\nfall=7\n", false, false, false, 0, 0, 0, 5, ""},
      {"[DL_PIC]\nfall=7\n", false, false, false, 2, 2, 0, 5, ""},
      {"[DL_PIC]\nfall=\n[SAVE]\ntype=\n", false, false, false, 1, 3, 3, 5, ""},
      // Blanks at the ends of values go; names ignore case; the first of two keys counts;
      // Windows line ends read alike.
      {"[dl_pic]\r\nDOWNLOAD = 真  \r\nfall= 2 \r\n[PR_INFO]\r\nprice=  120 \r\nprice=90\r\n"
       "[SAVE]\r\ntype= 4\r\n",
       true, false, true, 0, 2, 2, 4, "120"},
      // Anything but exactly "真" is unticked.
      {"[DL_PIC]\ndownload=真真\n[PR_INFO]\nprice=100%\n", false, false, false, 0, 3, 3, 5, "100%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    writeFile(c.file);
    OptionsStore store;
    store.set(&Options::pictureFailureMode, c.comboBefore);
    EXPECT_TRUE(loadOptions(path, store));
    const Options o = store.snapshot();
    EXPECT_EQ(o.downloadDescPictures, c.download);
    EXPECT_EQ(o.hostedPicturesOnly, c.hostedOnly);
    EXPECT_EQ(o.hostedPicturesOnlyEnabled, c.hostedEnabled);
    EXPECT_EQ(o.pictureFailureMode, c.combo);
    EXPECT_EQ(store.activePictureFailureMode(), c.active);
    EXPECT_EQ(o.packageVersion, c.version);
    EXPECT_EQ(o.pricePercent, c.price);
  }
}

TEST_F(OptionsFileTest, ReplacementTargetsTwoAndThreeAreStoredCrosswiseAndRoundTrip) {
  OptionsStore store;
  store.update([](Options& o) {
    o.pictureFailureMode = 2;
    o.adjustPrice = o.unifyStock = true;
    o.pricePercent = "85.5";
    o.priceDecimals = "2";
    o.stockValue = "7";
    o.replaceFrom1 = gbk("旗舰店");
    o.replaceTo1 = gbk("专卖店");
    o.replaceFrom2 = "A2";
    o.replaceTo2 = "B2";
    o.replaceFrom3 = "A3";
    // GBK characters whose second byte is "|", "[" or "\" must survive the file.
    o.replaceTo3 = "B3 \xB0\x7C\xB0\x5B\xB0\x5C";
    o.packageVersion = 4;
  });
  ASSERT_TRUE(saveOptions(path, store).ok());

  const std::string text = readWholeFile(path).value_or("");
  for (const std::string& line :
       {std::string("\r\n2=A2\r\n"), std::string("\r\nto3=B2\r\n"), std::string("\r\n3=A3\r\n"),
        std::string("\r\nto2=B3 \xB0\x7C\xB0\x5B\xB0\x5C\r\n"), "\r\np_type=" + gbk("真") + "\r\n"})
    EXPECT_NE(text.find(line), std::string::npos) << gbkToUtf8(line);

  OptionsStore reloaded;
  loadOptions(path, reloaded);
  Options expected = store.snapshot();
  expected.hostedPicturesOnlyEnabled = false;  // only loading sets it, from the download box
  EXPECT_EQ(reloaded.snapshot(), expected);
  EXPECT_EQ(reloaded.activePictureFailureMode(), 2);
}

TEST_F(OptionsFileTest, NothingChosenInTheComboStopsTheSaveAfterTheCheckBoxes) {
  writeFile("[DL_PIC]\ndownload=假\nfall=2\n[PR_INFO]\nprice=50\n[OTHER]\nkey=值\n");
  OptionsStore store;
  store.update([](Options& o) {
    o.downloadDescPictures = true;
    o.pricePercent = "80";
    o.pictureFailureMode = 0;
  });

  const SaveOptionsResult result = saveOptions(path, store);

  EXPECT_EQ(result.outcome, SaveOptionsResult::Outcome::NoPictureFailureMode);
  EXPECT_EQ(result.message, gbk("请设置图片下载失败处理方式"));
  EXPECT_EQ(fileText(),
            "[DL_PIC]\r\ndownload=真\r\nfall=2\r\ntaobao_only=假\r\n"
            "[PR_INFO]\r\nprice=50\r\np_type=假\r\nn_type=假\r\n[OTHER]\r\nkey=值\r\n");
  EXPECT_EQ(store.activePictureFailureMode(), 0);
}

TEST_F(OptionsFileTest, TheComboTakesEffectOnlyWhenSaved) {
  writeFile("[DL_PIC]\nfall=3\n");
  OptionsStore store;
  loadOptions(path, store);
  store.set(&Options::pictureFailureMode, 1);
  EXPECT_EQ(store.activePictureFailureMode(), 3);

  // A combo text that is none of the items writes no `fall` but saves the rest.
  store.set(&Options::pictureFailureMode, -1);
  ASSERT_TRUE(saveOptions(path, store).ok());
  EXPECT_NE(fileText().find("fall=3\r\n"), std::string::npos);
  EXPECT_EQ(store.activePictureFailureMode(), 3);

  store.set(&Options::pictureFailureMode, 1);
  ASSERT_TRUE(saveOptions(path, store).ok());
  EXPECT_EQ(store.activePictureFailureMode(), 1);
  EXPECT_NE(fileText().find("fall=1\r\n"), std::string::npos);
}

TEST_F(OptionsFileTest, AFailedWriteIsReportedNotConfirmed) {
  OptionsStore store;
  store.set(&Options::pictureFailureMode, 1);
  // The options folder cannot be made where a file stands, nor the file where a folder is.
  writeFile("");
  const std::string underAFile = optionsFilePath(path);
  ASSERT_TRUE(makeDirectories(path + ".d/options.ini"));
  for (const std::string& target : {underAFile, path + ".d/options.ini"}) {
    const SaveOptionsResult result = saveOptions(target, store);
    EXPECT_EQ(result.outcome, SaveOptionsResult::Outcome::WriteFailed);
    EXPECT_FALSE(result.error.empty());
    EXPECT_NE(result.message, gbk("已经保存！"));
  }
}

TEST(PictureFailureModeText, ComboTextsMapToModes) {
  EXPECT_EQ(pictureFailureModeFromText(""), 0);
  for (int mode = 1; mode <= 3; ++mode)
    EXPECT_EQ(pictureFailureModeFromText(pictureFailureModeText(mode)), mode);
  EXPECT_EQ(pictureFailureModeText(3), gbk("重新下载 仍失败删除"));
  EXPECT_EQ(pictureFailureModeFromText(gbk("其他")), -1);
}

}  // namespace
}  // namespace tessaly
