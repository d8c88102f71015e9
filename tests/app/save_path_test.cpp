#include "app/save_path.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "support/gbk.hpp"

namespace tessaly {
namespace {

// Sets the time zone for one test and puts the old one back.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~TimeZone() {
    if (old_)
      ::setenv("TZ", old_->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::optional<std::string> old_;
};

TEST(DefaultSavePath, CountsLocalSecondsFromEightInTheMorningOfNewYear1970) {
  const std::time_t now = 1386585005;  // 2013-12-09 10:30:05 UTC
  struct Case {
    const char* zone;
    long long seconds;
  };
  for (const Case& c :
       {Case{"CST-8", now}, Case{"UTC0", now - 8 * 3600}, Case{"EST5", now - 13 * 3600}}) {
    SCOPED_TRACE(c.zone);
    TimeZone zone(c.zone);
    EXPECT_EQ(defaultSavePath("/opt/my.tools", now),
              "/opt/my.tools/csv" + std::to_string(c.seconds) + ".csv");
  }
}

TEST(DefaultSavePath, SplitsIntoTheRunDirectoryAndCsvPlusSeconds) {
  const SavePathParts parts = splitSavePath(defaultSavePath(gbk("/opt/工具.v3")));
  EXPECT_EQ(parts.folder, gbk("/opt/工具.v3/"));
  EXPECT_EQ(parts.baseName.substr(0, 3), "csv");
  EXPECT_GT(parts.baseName.size(), 12u);
  EXPECT_EQ(parts.baseName.find_first_not_of("0123456789", 3), std::string::npos);
}

TEST(SplitSavePath, DotIsLookedForOnlyAfterTheLastSeparator) {
  struct Case {
    std::string path, folder, baseName;
  };
  const Case cases[] = {
      {"/out/data.csv", "/out/", "data"},
      {"/out/data.tar.csv", "/out/", "data"},
      {"/old.files/data", "/old.files/", ""},
      {"/out/.csv", "/out/", ""},
      {"data.csv", "", "data"},
      {"/out/", "/out/", ""},
      {"", "", ""},
      {gbk("/数据/宝贝.csv"), gbk("/数据/"), gbk("宝贝")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(gbkToUtf8(c.path));
    const SavePathParts parts = splitSavePath(c.path);
    EXPECT_EQ(parts.folder, c.folder);
    EXPECT_EQ(parts.baseName, c.baseName);
  }
}

}  // namespace
}  // namespace tessaly
