// tessaly-cli: the gathering and the package generation from a shell, over the same core
// as the desktop program. Every activity-log line goes to standard error.
#include <CLI/CLI.hpp>

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <thread>

#include "app/activity_log.hpp"
#include "app/endpoints.hpp"
#include "app/item_list.hpp"
#include "app/list_file.hpp"
#include "app/program_state.hpp"
#include "app/save_path.hpp"
#include "cli/console.hpp"
#include "config/options_file.hpp"
#include "gather/gatherer.hpp"
#include "openapi/key_list.hpp"
#include "package/batch_runner.hpp"
#include "package/run_settings.hpp"
#include "support/file_io.hpp"
#include "support/gbk.hpp"

namespace {

using namespace tessaly;

enum Exit { kDone = 0, kNotWritten = 1, kBadInput = 2, kNoKeys = 3, kInterrupted = 130 };

// Ctrl-C (or a TERM) acts as Stop. The signals are taken by one thread that waits for
// them; every other thread has them blocked.
class StopSignal {
 public:
  StopSignal() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);
  }
  ~StopSignal() {
    if (watcher_.joinable()) {
      pthread_kill(watcher_.native_handle(), SIGTERM);
      watcher_.join();
    }
  }
  // Runs `onStop` on the watching thread when a signal arrives (once).
  void watch(std::function<void()> onStop) {
    watcher_ = std::thread([this, onStop = std::move(onStop)] {
      int signal = 0;
      sigwait(&set_, &signal);
      if (!finished_) {
        stopped_ = true;
        onStop();
      }
    });
  }
  // Called before the watcher is released, so a late signal is not taken for Ctrl-C.
  void finish() { finished_ = true; }
  bool stopped() const { return stopped_; }

 private:
  sigset_t set_;
  std::thread watcher_;
  std::atomic<bool> stopped_{false};
  std::atomic<bool> finished_{false};
};

int gather(const std::string& modeName, const std::vector<std::string>& addresses,
           const std::string& outUtf8, bool append, cli::Console& console, StopSignal& signal) {
  const std::string out = utf8ToGbk(outUtf8);
  ProgramState state;
  ItemList items;
  ActivityLog log;
  log.addObserver([&](const std::string& line) { console.logLine(line); });
  if (append && fileExists(out)) {
    auto rows = importItemListFile(out);
    if (!rows) {
      console.error("tessaly-cli: 无法读取列表文件 " + outUtf8);
      return kBadInput;
    }
    items.appendAll(std::move(*rows));
  }
  state.addressMode = modeName == "single" ? AddressMode::Single
                      : modeName == "list" ? AddressMode::List
                                           : AddressMode::Shop;
  Gatherer gatherer(state, items, log);
  FetchOptions fetch;
  signal.watch([&] {
    fetch.cancel.cancel();
    gatherer.cancelCrawls();
  });
  for (const auto& address : addresses) {
    if (signal.stopped()) break;
    gatherer.addToList(utf8ToGbk(address), fetch);
    gatherer.waitForCrawls();
  }
  signal.finish();
  if (signal.stopped()) return kInterrupted;
  const WriteResult written = exportItemListFile(out, items.snapshot());
  if (!written.ok) {
    console.error("tessaly-cli: 列表文件写入失败：" + gbkToUtf8(written.error));
    return kNotWritten;
  }
  std::printf("共 %d 个宝贝，已写入 %s\n", items.count(), outUtf8.c_str());
  return kDone;
}

int generate(const std::string& listUtf8, const std::string& saveUtf8, std::string optionsUtf8,
             cli::Console& console, StopSignal& signal) {
  ProgramState state;
  state.vendorBase = state.endpoints.vendorService + "/kvrt_api/";
  state.appKeys = loadKeyList(state.vendorBase);
  if (state.appKeys.empty()) {
    console.error(gbkToUtf8(gbk("预定信息 加载失败，请重新启动--")));
    return kNoKeys;
  }
  state.nextKeyIndex = 1;

  OptionsStore options;
  const std::string optionsPath =
      optionsUtf8.empty() ? optionsFilePath(runDirectory()) : utf8ToGbk(optionsUtf8);
  if (!optionsUtf8.empty() && !fileExists(optionsPath)) {
    console.error("tessaly-cli: 找不到配置文件 " + optionsUtf8);
    return kBadInput;
  }
  loadOptions(optionsPath, options);

  ItemList items;
  auto rows = importItemListFile(utf8ToGbk(listUtf8));
  if (!rows) {
    console.error("tessaly-cli: 无法读取列表文件 " + listUtf8);
    return kBadInput;
  }
  if (rows->empty()) {
    console.error("tessaly-cli: 列表文件中没有宝贝：" + listUtf8);
    return kBadInput;
  }
  items.appendAll(std::move(*rows));

  const std::string savePath = utf8ToGbk(saveUtf8);
  const SavePathParts parts = splitSavePath(savePath);
  state.saveFolder = parts.folder;
  state.saveBaseName = parts.baseName;
  if (!parts.folder.empty()) makeDirectories(parts.folder);

  ActivityLog log;
  std::atomic<int> done{0};
  const int total = items.count();
  static const std::string kItemDone = gbk(" 个宝贝 下载完成！\r\n");
  log.addObserver([&](const std::string& line) {
    console.logLine(line);
    if (line.ends_with(kItemDone)) console.progress(++done, total);
  });

  BatchSummary summary;
  BatchRunner::Hooks hooks;
  hooks.settings = [&options] { return runSettingsFrom(options); };
  hooks.savePath = [&savePath] { return savePath; };
  hooks.completed = [&summary](const BatchSummary& s) { summary = s; };
  BatchRunner runner(state, items, log, hooks);
  if (runner.start() != StartResult::Started) return kBadInput;
  signal.watch([&runner] { runner.stop(); });
  runner.wait();
  signal.finish();
  console.finishProgress();
  if (signal.stopped()) return kInterrupted;

  std::printf("%s\n", gbkToUtf8(gbk("下载总数： ") + std::to_string(summary.itemTotal) + gbk(" 成功下载： ") +
                                std::to_string(summary.successCount) + gbk(" 下载失败： ") +
                                std::to_string(summary.failureCount))
                          .c_str());
  return summary.written ? kDone : kNotWritten;
}

}  // namespace

int main(int argc, char** argv) {
  StopSignal signal;  // before any thread exists
  CLI::App app{"Tessaly: gather marketplace items and generate the seller tool's data package.\n"
               "Endpoints come from TESSALY_ITEM_HOST, TESSALY_MALL_ITEM_HOST, TESSALY_API_GATEWAY,\n"
               "TESSALY_VENDOR_SERVICE; files from TESSALY_RUN_DIR (default: the program's folder)."};
  app.require_subcommand(1);
  bool quiet = false;
  app.add_flag("-q,--quiet", quiet, "No log lines on standard error");

  auto* gatherCommand = app.add_subcommand("gather", "Add items (an item page, a shop category or a whole shop) to a list file");
  std::string mode;
  std::vector<std::string> addresses;
  std::string out;
  bool append = false;
  gatherCommand->add_option("mode", mode, "single, list or shop")->required()->check(CLI::IsMember({"single", "list", "shop"}));
  gatherCommand->add_option("addresses", addresses, "Addresses to gather, in turn")->required();
  gatherCommand->add_option("--out", out, "Item list file to write")->required();
  gatherCommand->add_flag("--append", append, "Keep the items already in the list file");
  gatherCommand->add_flag("-q,--quiet", quiet, "No log lines on standard error");

  auto* generateCommand = app.add_subcommand("generate", "Generate the data package for the items of a list file");
  std::string listFile;
  std::string save;
  std::string optionsFile;
  generateCommand->add_option("list", listFile, "Item list file")->required();
  generateCommand->add_option("--save", save, "Path of the CSV file; the pictures go beside it")->required();
  generateCommand->add_option("--options", optionsFile, "Options file (default: <run directory>/options/options.ini)");
  generateCommand->add_flag("-q,--quiet", quiet, "No log lines on standard error");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : kBadInput;
  }
  cli::Console console(quiet);
  if (*gatherCommand) return gather(mode, addresses, out, append, console, signal);
  return generate(listFile, save, optionsFile, console, signal);
}
