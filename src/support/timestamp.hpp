#pragma once
#include <chrono>
#include <ctime>
#include <string>

namespace tessaly {

// The activity log's time stamp (GBK), in local time: the date as "%d年%d月%d日", then the
// time as "%d时%d分%d秒" when the seconds are not 0, "%d时%d分" when only the seconds are 0,
// "%d时" when minutes and seconds are 0, and nothing at all at midnight (0:00:00). Numbers
// have no leading zeros: "2013年12月9日18时30分5秒", "2013年12月9日18时", "2013年12月9日".
std::string formatLogTime(std::chrono::system_clock::time_point when);
// The same from broken-down local time as localtime_r fills it.
std::string formatLogTime(const std::tm& local);

// Decimal milliseconds from 1970-01-01 08:00:00 to the current local time, the local wall
// clock being read as if it were UTC: whole seconds of that difference x 1000 + the current
// millisecond. On a machine set to UTC+8 this is the ordinary Unix time in milliseconds;
// picture names have always been formed this way.
std::string unixMillisText();
// The same for the instant `when` (local time as localtime_r gives it).
std::string unixMillisText(std::chrono::system_clock::time_point when);

}  // namespace tessaly
