#include "gui/housekeeping.hpp"

#include <malloc.h>
#include <sched.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace tessaly {

void trimMemory() {
  malloc_trim(0);
}

bool pinProcessToFirstProcessor() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return false;
  int first = -1;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
    if (CPU_ISSET(cpu, &allowed)) {
      first = cpu;
      break;
    }
  if (first < 0) return false;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  // Affinity belongs to each thread on Linux: bind every thread that exists now.
  bool all = true;
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
    const pid_t tid = static_cast<pid_t>(std::stol(task.path().filename().string()));
    if (sched_setaffinity(tid, sizeof one, &one) != 0 && errno != ESRCH) all = false;
  }
  if (ec) all = sched_setaffinity(0, sizeof one, &one) == 0;
  return all;
}

}  // namespace tessaly
