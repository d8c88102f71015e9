#pragma once
// A desktop window over a real core and an in-process simulated marketplace, with every
// dialog answered in advance.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <deque>
#include <filesystem>
#include <memory>
#include <vector>

#include "gui/gather_page.hpp"
#include "gui/item_list_model.hpp"
#include "gui/main_window.hpp"
#include "gui/navigation_bar.hpp"
#include "gui/prompts.hpp"
#include "gui/qt_text.hpp"
#include "gui/session.hpp"
#include "gui/splash_window.hpp"
#include "gui/startup.hpp"
#include "sim_server.hpp"
#include "support/gbk.hpp"

namespace tessaly {

// Dialog answers prepared by the test. A dialog without a prepared answer is cancelled
// and counted, so a test can never hang on one.
class ScriptedPrompts : public Prompts {
 public:
  struct Message {
    QString title;
    QString text;
  };
  std::vector<Message> messages;
  std::deque<QString> fileAnswers;  // empty text: the user cancels
  int unansweredDialogs = 0;
  std::vector<QString> dialogFilters;
  std::vector<QUrl> opened;
  bool openSucceeds = true;

  void message(QWidget*, const QString& title, const QString& text) override {
    messages.push_back({title, text});
  }
  QString saveFileName(QWidget*, const QString& filter, const QString&) override {
    return answer(filter);
  }
  QString openFileName(QWidget*, const QString& filter) override { return answer(filter); }
  bool openExternally(const QUrl& url) override {
    opened.push_back(url);
    return openSucceeds;
  }
  QString lastMessage() const { return messages.empty() ? QString() : messages.back().text; }

 private:
  QString answer(const QString& filter) {
    dialogFilters.push_back(filter);
    if (fileAnswers.empty()) {
      ++unansweredDialogs;
      return {};
    }
    QString next = fileAnswers.front();
    fileAnswers.pop_front();
    return next;
  }
};

inline Endpoints simEndpoints(const sim::SimServer& server) {
  Endpoints e;
  const std::string port = std::to_string(server.port());
  e.itemHost = server.hosts().item;
  e.mallItemHost = server.hosts().mall;
  e.apiGateway = "http://gw.localhost:" + port;
  e.vendorService = "http://vendor.localhost:" + port;
  return e;
}

// Waits, handling events, until `ready` holds; false after `timeoutMs`.
template <typename Ready>
bool waitFor(Ready ready, int timeoutMs = 60000) {
  return QTest::qWaitFor(ready, timeoutMs);
}

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.start());
    runDir = std::filesystem::temp_directory_path() /
             ("tessaly_gui_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(runDir);
    std::filesystem::create_directories(runDir);
    makeWindow();
  }

  void TearDown() override {
    window.reset();
    session.reset();
    std::filesystem::remove_all(runDir);
  }

  // A fresh program over the same run directory (as after a restart).
  void makeWindow() {
    window.reset();
    session.reset();
    session = std::make_unique<Session>(simEndpoints(server), runDirGbk());
    window = std::make_unique<MainWindow>(*session, prompts);
    window->setEndProgram([this] { ++endProgramCalls; });
  }

  StartupResult startUp(bool pin = false) {
    StartupOptions options;
    options.splashLinger = std::chrono::milliseconds(0);
    options.pinToFirstProcessor = pin;
    return tessaly::startUp(*session, prompts, *window, splash, options);
  }

  std::string runDirGbk() const { return utf8ToGbk(runDir.string()); }
  QString runDirText() const { return QString::fromStdString(runDir.string()); }

  template <typename T = QWidget>
  T* find(const char* objectName) const {
    T* widget = window->findChild<T*>(QString::fromUtf8(objectName));
    EXPECT_NE(widget, nullptr) << objectName;
    return widget;
  }
  QString textOf(const char* objectName) const {
    const QString name = QString::fromUtf8(objectName);
    if (auto* edit = window->findChild<QLineEdit*>(name)) return edit->text();
    if (auto* label = window->findChild<QLabel*>(name)) return label->text();
    if (auto* button = window->findChild<QAbstractButton*>(name)) return button->text();
    ADD_FAILURE() << "no text widget " << objectName;
    return {};
  }
  bool enabled(const char* objectName) const {
    auto* widget = find(objectName);
    return widget && widget->isEnabled();
  }
  void click(const char* objectName) {
    auto* button = find<QAbstractButton>(objectName);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled()) << objectName;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  void clickNavigation(int button) {
    NavigationBar* bar = window->navigationBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->buttonRect(button).center());
  }
  GatherPage& gather() const { return *window->gatherPage(); }

  // The first `count` items of the simulated catalogue as list rows.
  void listCatalogueItems(int count) {
    for (int i = 0; i < count; ++i) {
      const sim::Item& item = server.catalogue().items()[static_cast<std::size_t>(i)];
      session->items.append({utf8ToGbk(item.title), item.price, itemAddress(item), item.id});
    }
    gather().model()->applyPending();
  }
  std::string itemAddress(const sim::Item& item) const {
    return "http://" + server.hosts().item + "/item.htm?id=" + item.id;
  }
  std::vector<std::string> ids() const {
    std::vector<std::string> out;
    for (const ItemRow& row : session->items.snapshot()) out.push_back(row.id);
    return out;
  }

  sim::SimServer server;
  std::filesystem::path runDir;
  ScriptedPrompts prompts;
  std::unique_ptr<Session> session;
  std::unique_ptr<MainWindow> window;
  SplashWindow splash;
  int endProgramCalls = 0;
};

}  // namespace tessaly
