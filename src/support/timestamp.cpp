#include "support/timestamp.hpp"

#include "support/gbk.hpp"

namespace tessaly {

std::string formatLogTime(const std::tm& t) {
  static const std::string kYear = gbk("年"), kMonth = gbk("月"), kDay = gbk("日");
  static const std::string kHour = gbk("时"), kMinute = gbk("分"), kSecond = gbk("秒");
  std::string out = std::to_string(t.tm_year + 1900) + kYear + std::to_string(t.tm_mon + 1) +
                    kMonth + std::to_string(t.tm_mday) + kDay;
  if (t.tm_sec != 0)
    out += std::to_string(t.tm_hour) + kHour + std::to_string(t.tm_min) + kMinute +
           std::to_string(t.tm_sec) + kSecond;
  else if (t.tm_min != 0)
    out += std::to_string(t.tm_hour) + kHour + std::to_string(t.tm_min) + kMinute;
  else if (t.tm_hour != 0)
    out += std::to_string(t.tm_hour) + kHour;
  return out;
}

std::string formatLogTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  return formatLogTime(local);
}

std::string unixMillisText(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto sinceEpoch = when.time_since_epoch();
  const auto wholeSeconds = floor<seconds>(sinceEpoch);
  const long long millis = duration_cast<milliseconds>(sinceEpoch - wholeSeconds).count();
  const std::time_t t = static_cast<std::time_t>(wholeSeconds.count());
  std::tm local{};
  localtime_r(&t, &local);
  // The local wall clock read as UTC, counted from 08:00:00 of the epoch's first day.
  const long long wall = static_cast<long long>(timegm(&local)) - 8 * 3600;
  return std::to_string(wall * 1000 + millis);
}

std::string unixMillisText() { return unixMillisText(std::chrono::system_clock::now()); }

}  // namespace tessaly
