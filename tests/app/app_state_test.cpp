#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "app/activity_log.hpp"
#include "app/endpoints.hpp"
#include "app/item_list.hpp"
#include "app/save_path.hpp"
#include "support/gbk.hpp"
#include "support/run_control.hpp"

namespace tessaly {
namespace {

TEST(ItemList, RowsInOrderWithObserversSeeingEveryChange) {
  ItemList list;
  list.append({"a", "1", "u1", "1"});
  std::vector<ItemListChange::Kind> seen;
  int replacedRows = -1;
  const int id = list.addObserver([&](const ItemListChange& c) {
    seen.push_back(c.kind);
    if (c.kind == ItemListChange::Kind::Replaced) replacedRows = static_cast<int>(c.rows.size());
  });
  EXPECT_EQ(replacedRows, 1);
  list.append({"b", "2", "u2", "2"});
  list.append({"b", "3", "u3", "3"});
  list.append({"c", "4", "u4", "4"});
  EXPECT_TRUE(list.setCell(1, 1, "9"));
  EXPECT_FALSE(list.setCell(7, 1, "9"));
  list.erase({2, 0, 2});  // exactly the rows named, duplicates ignored
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.row(0), (ItemRow{"b", "9", "u2", "2"}));
  EXPECT_EQ(list.row(1).id, "4");
  EXPECT_EQ(list.row(5), ItemRow{});
  list.removeObserver(id);
  list.clear();
  using K = ItemListChange::Kind;
  EXPECT_EQ(seen, (std::vector<K>{K::Replaced, K::Appended, K::Appended, K::Appended, K::CellChanged,
                                  K::Removed, K::Removed}));
  EXPECT_EQ(list.count(), 0);
}

TEST(ItemList, ConcurrentAppendsKeepRowsWhole) {
  ItemList list;
  std::vector<std::thread> threads;
  for (int t = 0; t < 5; ++t)
    threads.emplace_back([&list, t] {
      for (int i = 0; i < 400; ++i) {
        const std::string tag = std::to_string(t) + "-" + std::to_string(i);
        list.append({"title" + tag, "price" + tag, "address" + tag, tag});
      }
    });
  for (auto& t : threads) t.join();
  ASSERT_EQ(list.count(), 2000);
  for (const auto& row : list.snapshot()) {
    EXPECT_EQ(row.title, "title" + row.id);
    EXPECT_EQ(row.address, "address" + row.id);
  }
}

TEST(ActivityLog, StampsEveryLineAndKeepsThemInOrder) {
  std::tm t{};
  t.tm_year = 113, t.tm_mon = 11, t.tm_mday = 9, t.tm_hour = 18, t.tm_min = 30, t.tm_sec = 0, t.tm_isdst = -1;
  const auto when = std::chrono::system_clock::from_time_t(std::mktime(&t));
  ActivityLog log([when] { return when; });
  std::vector<std::string> observed;
  log.addObserver([&](const std::string& line) { observed.push_back(line); });
  log.appendLogLine(gbk("  一\r\n"));
  log.appendLogLine(gbk("  二\r\n"));
  EXPECT_EQ(log.text(), gbk("2013年12月9日18时30分  一\r\n2013年12月9日18时30分  二\r\n"));
  EXPECT_EQ(observed, log.lines());
}

TEST(Endpoints, EnvironmentOverridesDefaults) {
  ::unsetenv("TESSALY_ITEM_HOST");
  ::setenv("TESSALY_API_GATEWAY", "http://gw.localhost:9//", 1);
  const Endpoints e = Endpoints::fromEnvironment();
  ::unsetenv("TESSALY_API_GATEWAY");
  EXPECT_EQ(e.itemHost, "item.taobao.com");
  EXPECT_EQ(e.mallItemHost, "detail.tmall.com");
  EXPECT_EQ(e.apiGateway, "http://gw.localhost:9");

  ::setenv("TESSALY_RUN_DIR", "/tmp/run dir/", 1);
  EXPECT_EQ(runDirectory(), "/tmp/run dir");
  ::unsetenv("TESSALY_RUN_DIR");
  EXPECT_FALSE(runDirectory().empty());
}

TEST(SavePath, DefaultAndSplit) {
  const std::string path = defaultSavePath("/opt/my.tools");
  EXPECT_TRUE(path.starts_with("/opt/my.tools/csv"));
  EXPECT_TRUE(path.ends_with(".csv"));
  const SavePathParts parts = splitSavePath(path);
  EXPECT_EQ(parts.folder, "/opt/my.tools/");
  EXPECT_EQ(parts.baseName, path.substr(14, path.size() - 14 - 4));
  struct Case {
    const char *path, *folder, *base;
  } cases[] = {{"/a/b.c/pkg.v2.csv", "/a/b.c/", "pkg"}, {"/a/noext", "/a/", ""}, {"x.csv", "", "x"},
               {"/a/.csv", "/a/", ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(splitSavePath(c.path).folder, c.folder) << c.path;
    EXPECT_EQ(splitSavePath(c.path).baseName, c.base) << c.path;
  }
}

TEST(RunControl, PauseHoldsStopReleases) {
  RunControl control;
  EXPECT_TRUE(control.checkpoint());
  EXPECT_TRUE(control.sleepFor(std::chrono::milliseconds(1)));
  control.pause();
  std::atomic<bool> passed{false};
  std::thread worker([&] { passed = control.checkpoint(); });
  control.stop();
  worker.join();
  EXPECT_FALSE(passed);
  EXPECT_TRUE(control.cancelToken().cancelled());
  EXPECT_FALSE(control.sleepFor(std::chrono::hours(1)));
  control.reset();
  EXPECT_FALSE(control.cancelToken().cancelled());
  EXPECT_TRUE(control.checkpoint());
}

}  // namespace
}  // namespace tessaly
