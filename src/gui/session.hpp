#pragma once
// What the window works on: the program-wide state and the core services, created
// before the first window and living until the program ends.
#include <string>

#include "app/activity_log.hpp"
#include "app/item_list.hpp"
#include "app/program_state.hpp"
#include "config/options.hpp"
#include "gather/gatherer.hpp"

namespace tessaly {

struct Session {
  Session(const Endpoints& endpoints, std::string runDirectory);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const std::string runDirectory;  // GBK, no trailing separator
  ProgramState state;
  ItemList items;
  ActivityLog log;
  OptionsStore options;
  Gatherer gatherer{state, items, log};
};

}  // namespace tessaly
