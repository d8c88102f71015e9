#pragma once
#include "config/options.hpp"
#include "package/batch_runner.hpp"

namespace tessaly {

// The settings a run reads, taken from the options as they stand now; the failure mode
// for description pictures is the store's active copy (set only by load and save).
RunSettings runSettingsFrom(const OptionsStore& options);

}  // namespace tessaly
