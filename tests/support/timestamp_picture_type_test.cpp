#include <gtest/gtest.h>

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

TEST(UnixMillisText, IsLocalTimeShiftedByEightHours) {
  const std::string text = unixMillisText();
  ASSERT_FALSE(text.empty());
  const long long value = std::stoll(text);
  const long long utcMillis = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count();
  // Whatever the zone, the value is within a day of UTC.
  EXPECT_LT(std::llabs(value - utcMillis), 26LL * 3600 * 1000);
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
