#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include "support/gbk.hpp"
#include "support/picture_type.hpp"
#include "support/timestamp.hpp"

namespace tessaly {
namespace {

TEST(FormatLogTime, DropsZeroPartsFromTheEnd) {
  struct Case {
    int h, m, s;
    const char* out;
  } cases[] = {
      {18, 30, 5, "2013年12月9日18时30分5秒"}, {18, 30, 0, "2013年12月9日18时30分"},
      {18, 0, 0, "2013年12月9日18时"},         {0, 0, 0, "2013年12月9日"},
      {0, 0, 7, "2013年12月9日0时0分7秒"},     {9, 0, 5, "2013年12月9日9时0分5秒"},
  };
  for (const auto& c : cases) {
    std::tm t{};
    t.tm_year = 113, t.tm_mon = 11, t.tm_mday = 9, t.tm_hour = c.h, t.tm_min = c.m, t.tm_sec = c.s;
    EXPECT_EQ(formatLogTime(t), gbk(c.out));
  }
}

// Sets the process time zone for one test and puts the old one back afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) {
      saved_ = old;
      hadZone_ = true;
    }
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (hadZone_) {
      setenv("TZ", saved_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::string saved_;
  bool hadZone_ = false;
};

TEST(FormatLogTime, ShowsLocalTime) {
  using namespace std::chrono;
  ScopedTimeZone zone("CST-8");  // UTC+8
  EXPECT_EQ(formatLogTime(sys_days{2013y / 12 / 9} + 10h + 30min), gbk("2013年12月9日18时30分"));
  EXPECT_EQ(formatLogTime(sys_days{2013y / 12 / 8} + 16h), gbk("2013年12月9日"));
}

TEST(UnixMillisText, IsLocalTimeShiftedByEightHours) {
  using namespace std::chrono;
  const auto when = sys_days{2013y / 12 / 9} + 10h + 30min + 5s + 123ms;
  const long long unixMillis = duration_cast<milliseconds>(when.time_since_epoch()).count();
  {
    ScopedTimeZone zone("CST-8");  // where local time is UTC+8 the value is Unix time
    EXPECT_EQ(unixMillisText(when), std::to_string(unixMillis));
  }
  {
    ScopedTimeZone zone("UTC0");
    EXPECT_EQ(unixMillisText(when), std::to_string(unixMillis - 8 * 3600 * 1000LL));
  }
  {
    ScopedTimeZone zone("EST5");  // UTC-5: thirteen hours behind UTC+8
    EXPECT_EQ(unixMillisText(when), std::to_string(unixMillis - 13 * 3600 * 1000LL));
  }
  const long long now = std::stoll(unixMillisText());
  const long long utcNow =
      duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  EXPECT_LT(std::llabs(now - utcNow), 26LL * 3600 * 1000);
}

TEST(DetectPictureType, EveryRowOfTheTable) {
  struct Case {
    std::string bytes;
    const char* type;
  } cases[] = {
      {"\xFF\xD8\xFF\xE0", "jpg"},
      {"<!DOCTYPE html>", "jpg"},
      {std::string("\x00\x00\x10\x00\x00", 5), "tga"},
      {"GIF89a", "gif"},
      {"GIF87a", "gif"},
      {"\x89PNG\r\n\x1A\n", "png"},
      {"BM6", "bmp"},
      {"MM\x00*", "tiff"},
      {"II*", "tiff"},
      {std::string("\x00\x00\x01\x00\x01\x00\x20\x20", 8), "ico"},
      {"FORM", "iff"},
      {"RIFF", "ani"},
  };
  for (const auto& c : cases) EXPECT_EQ(detectPictureType(c.bytes), c.type) << c.type;
}

TEST(DetectPictureType, SignatureWithoutLeadingZerosAndFallback) {
  EXPECT_EQ(pictureSignature(std::string("\x0A\xD8\x00\x01", 4)), "AD8001");
  EXPECT_EQ(detectPictureType("\x01\x02"), gbk("你杯具了 无法识别 特征码:") + "12");
  EXPECT_EQ(detectPictureType(""), gbk("你杯具了 无法识别 特征码:"));
  // Only the first ten bytes count.
  EXPECT_EQ(pictureSignature("0123456789ABC"), "30313233343536373839");
}

}  // namespace
}  // namespace tessaly
