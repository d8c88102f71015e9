#include "package/batch_runner.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "app/activity_log.hpp"
#include "app/item_list.hpp"
#include "app/program_state.hpp"
#include "app/save_path.hpp"
#include "common/csv_reader.hpp"
#include "openapi/key_list.hpp"
#include "package/item_record.hpp"
#include "package/package_format.hpp"
#include "sim_server.hpp"
#include "support/file_io.hpp"
#include "support/gbk.hpp"
#include "support/text.hpp"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using testing::readCsv;

class BatchRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.start());
    state.endpoints.itemHost = server.hosts().item;
    state.endpoints.mallItemHost = server.hosts().mall;
    state.endpoints.apiGateway = "http://gw.localhost:" + std::to_string(server.port());
    state.appKeys = loadKeyList("http://vendor.localhost:" + std::to_string(server.port()) + "/kvrt_api/");
    ASSERT_EQ(state.appKeys.size(), 3u);
    state.nextKeyIndex = 1;
    folder = fs::temp_directory_path() / ("tessaly_batch_" + std::to_string(::getpid()) + "_" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    setSavePath((folder / "pkg.csv").string());
  }
  void TearDown() override { fs::remove_all(folder); }

  void setSavePath(const std::string& path) {
    savePath = path;
    const SavePathParts parts = splitSavePath(path);
    state.saveFolder = parts.folder;
    state.saveBaseName = parts.baseName;
  }

  // Lists the first `count` items of shop 1 as the gatherer would.
  void listItems(int count) {
    for (int i = 0; i < count; ++i) {
      const sim::Item& item = server.catalogue().items()[static_cast<std::size_t>(i)];
      items.append({utf8ToGbk(sim::htmlEscape(item.title)), item.price,
                    "http://" + server.hosts().item + "/item.htm?id=" + item.id, item.id});
    }
  }

  BatchSummary run() {
    BatchRunner runner(state, items, log, hooks());
    EXPECT_EQ(runner.start(), StartResult::Started);
    runner.wait();
    EXPECT_EQ(completions, 1);
    return last;
  }

  BatchRunner::Hooks hooks() {
    BatchRunner::Hooks h;
    h.settings = [this] { return settings; };
    h.savePath = [this] { return savePath; };
    h.completed = [this](const BatchSummary& s) {
      ++completions;
      last = s;
    };
    h.busyPause = std::chrono::milliseconds(1);
    return h;
  }

  std::string package() const { return readWholeFile(savePath).value_or("<missing>"); }
  int linesContaining(const std::string& utf8) const {
    const auto lines = log.lines();
    const std::string needle = gbk(utf8);
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& l) { return l.find(needle) != std::string::npos; }));
  }
  fs::path pictures() const { return folder / "pkg"; }

  sim::SimServer server;
  ProgramState state;
  ItemList items;
  ActivityLog log;
  RunSettings settings;
  std::string savePath;
  fs::path folder;
  int completions = 0;
  BatchSummary last;
};

TEST_F(BatchRunnerTest, FullPackageInTheNewLayout) {
  listItems(3);
  settings.downloadDescPictures = true;
  const BatchSummary s = run();
  EXPECT_EQ(s.itemTotal, 3);
  EXPECT_EQ(s.successCount, 3);
  EXPECT_EQ(s.failureCount, 0);
  EXPECT_TRUE(s.written);

  const std::string csv = package();
  ASSERT_TRUE(csv.starts_with(packageHeader(5)));
  const auto records = readCsv(csv);
  ASSERT_EQ(records.size(), 3u + 3u);
  for (std::size_t r = 3; r < records.size(); ++r) EXPECT_EQ(records[r].size(), 44u) << r;

  // The row of the first item, field by field from the catalogue's values.
  const sim::Item& item = server.catalogue().items()[0];
  const auto row = std::find_if(records.begin() + 3, records.end(), [&](const auto& f) { return f[36] == item.id; });
  ASSERT_NE(row, records.end());
  const auto& f = *row;
  EXPECT_EQ(f[0], cleanTitle(utf8ToGbk(sim::xmlEscape(item.title))));
  EXPECT_EQ(f[1], item.cid);
  EXPECT_EQ(f[2], item.sellerCids);
  EXPECT_EQ(f[4], utf8ToGbk(item.state));
  EXPECT_EQ(f[5], utf8ToGbk(item.city));
  EXPECT_EQ(f[7], item.price);
  EXPECT_EQ(f[9], item.num);
  EXPECT_EQ(f[11], mapFreightPayer(item.freightPayer, 5));
  EXPECT_EQ(f[16], mapWarranty(item.hasWarranty));
  EXPECT_EQ(f[21], terminateProps(item.props));
  EXPECT_EQ(f[25], mapApproveStatus(item.approveStatus));
  std::string skus;
  for (const auto& sku : item.skus) skus += sku.price + ":" + sku.quantity + ":" + sku.outerId + ":" + sku.properties + ";";
  EXPECT_EQ(f[30], utf8ToGbk(skus) + ";");
  EXPECT_EQ(f[34], utf8ToGbk(item.propertyAlias) + ";");

  // Pictures: main ones first at positions 0..3, then the property ones, each a .tbi file.
  std::vector<std::string> entries;
  for (std::size_t at = 0, next; (next = f[28].find(';', at)) != std::string::npos; at = next + 1)
    entries.push_back(f[28].substr(at, next - at + 1));
  ASSERT_EQ(entries.size(), 4 + item.propertyPictures.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string name = entries[i].substr(0, 32);
    const std::string expected = i < 4 ? mainPictureEntry(name, static_cast<int>(i), 5)
                                       : propertyPictureEntry(name, item.propertyPictures[i - 4].properties, 5);
    EXPECT_EQ(entries[i], expected);
    EXPECT_TRUE(fs::exists(pictures() / (name + ".tbi"))) << name;
  }

  // The description points at local copies, the Chinese address included.
  const std::string& desc = f[20];
  EXPECT_EQ(desc.find("http://" + server.hosts().picture), std::string::npos) << desc;
  EXPECT_NE(desc.find("file://" + pictures().string() + "/"), std::string::npos);
  EXPECT_EQ(desc.find(','), std::string::npos);
  EXPECT_EQ(linesContaining("个宝贝 下载完成！成功： 3 失败：0 正在写文件...\r\n"), 1);
  EXPECT_EQ(linesContaining(" 文件写成功！\r\n"), 1);
}

TEST_F(BatchRunnerTest, OldLayoutAndEmptyAnswers) {
  listItems(2);
  settings.record.packageVersion = 4;
  const BatchSummary s = run();
  EXPECT_EQ(s.successCount, 2);
  const auto records = readCsv(package());
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].size(), 46u);
  EXPECT_EQ(records[1].size(), 46u);
  EXPECT_EQ(records[1][45], "http://" + server.hosts().mall + "/item.htm?id=" + records[1][44] + "&");

  // Answers that carry no item count as failures and add no row.
  server.setFault("gw", sim::Fault::Empty);
  completions = 0;
  const BatchSummary empty = run();
  EXPECT_EQ(empty.successCount, 0);
  EXPECT_EQ(empty.failureCount, 2);
  EXPECT_EQ(package(), packageHeader(4));
}

TEST_F(BatchRunnerTest, DescriptionPictureFailureModes) {
  // Item 2 of the catalogue describes a picture that is gone.
  const sim::Item& item = server.catalogue().items()[2];
  ASSERT_NE(item.descHtml.find("/missing/"), std::string::npos);
  const std::string missing = server.hosts().picture + "/taobao/missing/" + item.id + "_m.jpg";
  items.append({"t", "1", "u", item.id});
  settings.downloadDescPictures = true;
  struct Case {
    int mode;
    bool keepsAddress;
    const char* line;
  } cases[] = {{1, true, nullptr},
               {2, false, "个宝贝 描述图片 字节集为0 已经删除 "},
               {3, false, "个宝贝 描述图片 字节集为0 重新下载失败===已经删除图片 "}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    settings.pictureFailureMode = c.mode;
    completions = 0;
    run();
    const auto records = readCsv(package());
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[3][20].find(missing) != std::string::npos, c.keepsAddress);
    if (c.line) {
      EXPECT_EQ(linesContaining(c.line), 1);
    }
  }
  EXPECT_EQ(linesContaining("个宝贝 描述图片 字节集为0 正在重新下载 "), 1);

  // Only hosted pictures: the one on another host is skipped and stays remote.
  settings.hostedPicturesOnly = true;
  completions = 0;
  run();
  EXPECT_EQ(linesContaining("  非淘宝空间图片 已跳过\r\n"), 1);
  EXPECT_NE(readCsv(package())[3][20].find(server.hosts().picture + "/ext/"), std::string::npos);
}

TEST_F(BatchRunnerTest, SmallListsAndTheCompletionLine) {
  BatchRunner runner(state, items, log, hooks());
  EXPECT_EQ(runner.start(), StartResult::EmptyList);
  listItems(1);
  savePath.clear();
  EXPECT_EQ(runner.start(), StartResult::EmptySavePath);
  setSavePath((folder / "one.csv").string());
  const BatchSummary s = run();
  EXPECT_EQ(s.itemTotal, 1);
  // Whichever worker completes, the line names the last item it claimed (0 for none).
  const std::regex line(gbk(" 线程：[1-5] 第：[01]/1 个宝贝 下载完成！成功： 1 失败：0 正在写文件...\r\n"));
  const auto lines = log.lines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return std::regex_search(l, line); }),
            1);
}

TEST_F(BatchRunnerTest, PauseThenStopWritesNothingAndTheNextStartBeginsAfresh) {
  listItems(6);
  server.setLatency(50);
  BatchRunner runner(state, items, log, hooks());
  ASSERT_EQ(runner.start(), StartResult::Started);
  runner.pause();
  EXPECT_EQ(runner.state(), BatchState::Paused);
  runner.stop();
  EXPECT_EQ(runner.state(), BatchState::Idle);
  runner.wait();
  EXPECT_EQ(completions, 0);
  EXPECT_FALSE(fileExists(savePath));

  server.setLatency(0);
  ASSERT_EQ(runner.start(), StartResult::Started);
  runner.wait();
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(last.itemTotal, 6);
  EXPECT_EQ(last.successCount, 6);
  EXPECT_EQ(readCsv(package()).size(), 3u + 6u);
}

TEST_F(BatchRunnerTest, AFailedWriteIsReported) {
  listItems(1);
  setSavePath((folder / "no such folder" / "pkg.csv").string());
  state.saveFolder = folder.string() + "/";  // the pictures still have a home
  const BatchSummary s = run();
  EXPECT_FALSE(s.written);
  EXPECT_FALSE(s.writeError.empty());
  EXPECT_EQ(linesContaining(" 文件写入失败！"), 1);
  EXPECT_EQ(linesContaining(" 文件写成功！"), 0);
}

}  // namespace
}  // namespace tessaly
