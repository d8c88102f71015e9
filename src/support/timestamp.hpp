#pragma once
#include <chrono>
#include <ctime>
#include <string>

namespace tessaly {

// The activity log's time stamp (GBK): "2013年12月9日18时30分5秒"; the seconds are left
// out when 0, then the minutes when also 0, and the whole time at midnight.
std::string formatLogTime(std::chrono::system_clock::time_point when);
std::string formatLogTime(const std::tm& local);

// Milliseconds from 1970-01-01 08:00:00 to the current local time, in decimal: the local
// wall clock read as if it were UTC+8, which is what picture names have always used.
std::string unixMillisText();

}  // namespace tessaly
