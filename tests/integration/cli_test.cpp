// The command line end to end: a real tessaly-cli process against the in-process
// simulator, as a user or a script would run it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/list_file.hpp"
#include "common/csv_reader.hpp"
#include "sim_server.hpp"
#include "support/file_io.hpp"

extern char** environ;

namespace tessaly {
namespace {

namespace fs = std::filesystem;

struct Result {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.start());
    dir = fs::temp_directory_path() / ("tessaly_cli_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::vector<std::string> environment(const std::string& vendor = "") const {
    std::vector<std::string> env;
    std::istringstream exports(server.environmentExports());
    for (std::string line; std::getline(exports, line);) {
      const std::string setting = line.substr(7);  // after "export "
      if (vendor.empty() || !setting.starts_with("TESSALY_VENDOR_SERVICE=")) env.push_back(setting);
    }
    if (!vendor.empty()) env.push_back("TESSALY_VENDOR_SERVICE=" + vendor);
    env.push_back("TESSALY_RUN_DIR=" + dir.string());
    env.push_back("PATH=/usr/bin:/bin");
    return env;
  }

  // Runs the program; `whileRunning` gets its pid.
  Result run(std::vector<std::string> args, const std::vector<std::string>& env,
             const std::function<void(pid_t)>& whileRunning = nullptr) const {
    args.insert(args.begin(), TESSALY_CLI_PATH);
    const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envCopy = env;
    for (auto& e : envCopy) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    if (whileRunning) whileRunning(pid);
    int status = 0;
    waitpid(pid, &status, 0);
    Result r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = readWholeFile(out.string()).value_or("");
    r.err = readWholeFile(err.string()).value_or("");
    return r;
  }

  std::string shop(int n) const { return "http://" + server.hosts().shop(n) + "/"; }

  sim::SimServer server;
  fs::path dir;
};

TEST_F(CliTest, GatherThenGenerateMakesAPackage) {
  const std::string list = (dir / "items.txt").string();
  Result gathered = run({"gather", "shop", shop(1), "--out", list}, environment());
  ASSERT_EQ(gathered.exitCode, 0) << gathered.err;
  EXPECT_NE(gathered.err.find("宝贝下载完成"), std::string::npos) << "log lines go to standard error as UTF-8";
  const auto rows = importItemListFile(list);
  ASSERT_TRUE(rows);
  EXPECT_EQ(rows->size(), server.catalogue().listing(*server.catalogue().shop(1), nullptr).size());

  // --append keeps what the file held.
  const sim::Item& single = server.catalogue().items().back();
  ASSERT_EQ(run({"gather", "single", "http://" + server.hosts().item + "/item.htm?id=" + single.id, "--out", list,
                 "--append", "--quiet"},
                environment())
                .exitCode,
            0);
  EXPECT_EQ(importItemListFile(list)->size(), rows->size() + 1);

  const std::string csv = (dir / "out" / "pkg.csv").string();
  const Result generated = run({"generate", list, "--save", csv}, environment());
  ASSERT_EQ(generated.exitCode, 0) << generated.err;
  EXPECT_EQ(generated.out, "下载总数： " + std::to_string(rows->size() + 1) + " 成功下载： " +
                               std::to_string(rows->size() + 1) + " 下载失败： 0\n");
  const auto records = testing::readCsv(readWholeFile(csv).value_or(""));
  ASSERT_EQ(records.size(), 3 + rows->size() + 1);
  for (const auto& r : records) EXPECT_EQ(r.size(), 44u);
  std::size_t tbi = 0;
  for (const auto& entry : fs::directory_iterator(dir / "out" / "pkg")) tbi += entry.path().extension() == ".tbi";
  std::size_t expected = 0;
  for (const auto& row : *rows) expected += 4 + server.catalogue().item(row.id)->propertyPictures.size();
  EXPECT_EQ(tbi, expected + 4 + single.propertyPictures.size());
}

TEST_F(CliTest, ExitCodes) {
  const std::string list = (dir / "items.txt").string();
  ASSERT_EQ(run({"gather", "shop", shop(2), "--out", list, "-q"}, environment()).exitCode, 0);

  EXPECT_EQ(run({"gather", "everything", shop(2), "--out", list}, environment()).exitCode, 2);
  EXPECT_EQ(run({"generate", (dir / "missing.txt").string(), "--save", "x.csv"}, environment()).exitCode, 2);
  EXPECT_EQ(run({"generate"}, environment()).exitCode, 2);

  const Result noKeys = run({"generate", list, "--save", (dir / "a.csv").string()}, environment("http://127.0.0.1:1"));
  EXPECT_EQ(noKeys.exitCode, 3);
  EXPECT_NE(noKeys.err.find("预定信息 加载失败，请重新启动--"), std::string::npos);

  // A save path whose folder is a file: nothing can be written there.
  std::ofstream(dir / "blocker") << "x";
  const Result unwritable = run({"generate", list, "--save", (dir / "blocker" / "pkg.csv").string(), "-q"}, environment());
  EXPECT_EQ(unwritable.exitCode, 1) << unwritable.err;

  // Ctrl-C stops the run: nothing is written.
  server.setLatency(100);
  const std::string csv = (dir / "stopped.csv").string();
  const Result interrupted = run({"generate", list, "--save", csv}, environment(), [&](pid_t pid) {
    while (server.requestCount("gateway") == 0) std::this_thread::yield();
    ::kill(pid, SIGINT);
  });
  EXPECT_EQ(interrupted.exitCode, 130);
  EXPECT_FALSE(fs::exists(csv));
}

}  // namespace
}  // namespace tessaly
