// The whole generation end to end: 500 items against the simulator (in a child process)
// with 20 ms latency per response. Prints the wall time against the ideal (requests x
// latency / 5 workers), the client's CPU time per item and its peak memory.
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/activity_log.hpp"
#include "app/item_list.hpp"
#include "app/program_state.hpp"
#include "app/save_path.hpp"
#include "openapi/key_list.hpp"
#include "package/batch_runner.hpp"
#include "sim_process.hpp"

namespace {

std::size_t occurrences(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

int main() {
  using namespace tessaly;
  namespace fs = std::filesystem;
  constexpr int kItems = 500;
  constexpr int kLatencyMs = 20;
  sim::SimOptions options;
  options.catalogue.shops = 1;
  options.catalogue.itemsPerShop = kItems;
  options.latencyMs = kLatencyMs;
  const sim::Catalogue catalogue(options.catalogue);  // the same goods the child serves

  // Requests the run makes: the answer, every main and property picture, and each
  // description picture twice (once to tell its type, once for its content).
  std::size_t requests = 0;
  for (const auto& item : catalogue.items())
    requests += 1 + item.mainPictures.size() + item.propertyPictures.size() +
                2 * (occurrences(item.descHtml, "src=\"http://") + occurrences(item.descHtml, "background=\"http://"));

  bench::SimProcess simulator(options);
  ProgramState state;
  state.endpoints.itemHost = simulator.host("item");
  state.endpoints.mallItemHost = simulator.host("mall");
  state.endpoints.apiGateway = "http://" + simulator.host("gw");
  state.appKeys = loadKeyList("http://" + simulator.host("vendor") + "/kvrt_api/");
  state.nextKeyIndex = 1;
  const fs::path folder = fs::temp_directory_path() / ("tessaly_package_bench_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string savePath = (folder / "pkg.csv").string();
  const SavePathParts parts = splitSavePath(savePath);
  state.saveFolder = parts.folder;
  state.saveBaseName = parts.baseName;

  ItemList items;
  for (const auto& item : catalogue.items())
    items.append({item.title, item.price, "http://" + state.endpoints.itemHost + "/item.htm?id=" + item.id, item.id});
  ActivityLog log;
  RunSettings settings;
  settings.downloadDescPictures = true;
  BatchSummary summary;
  BatchRunner::Hooks hooks;
  hooks.settings = [&] { return settings; };
  hooks.savePath = [&] { return savePath; };
  hooks.completed = [&](const BatchSummary& s) { summary = s; };

  const double cpuBefore = bench::cpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  {
    BatchRunner runner(state, items, log, hooks);
    runner.start();
    runner.wait();
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = bench::cpuSeconds() - cpuBefore;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double ideal = static_cast<double>(requests) * kLatencyMs / 1000.0 / BatchRunner::kWorkers;
  std::printf("package of %d items (%d written), %zu requests at %d ms latency: %.2f s, ideal %.2f s, "
              "ratio %.2f (goal <= 1.15); client CPU %.2f ms per item; peak memory %.1f MB (goal < 60)\n",
              kItems, summary.successCount, requests, kLatencyMs, wall, ideal, wall / ideal,
              cpu / kItems * 1000, usage.ru_maxrss / 1024.0);
  fs::remove_all(folder);
  return summary.successCount == kItems ? 0 : 1;
}
