#pragma once
// The program's one working window: the navigation bar in the header band, the banner
// strip with the gather mode's hint, four pages switched only by the bar, the status
// bar; the tray icon that keeps the program reachable while the window is hidden, and
// the exit confirmation that is the only way out.
#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <memory>

#include "gui/artwork.hpp"
#include "gui/exit_confirm_window.hpp"

class QLabel;
class QMenu;
class QStackedWidget;

namespace tessaly {

struct Session;
class Prompts;
class NavigationBar;
class StartPage;
class GatherPage;
class ConfigPage;
class HelpPage;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kWidth = 703;
  static constexpr int kHeight = 618;

  MainWindow(Session& session, Prompts& prompts, QWidget* parent = nullptr);
  ~MainWindow() override;

  // What "确 定" does: ends the program. The program sets it; tests replace it.
  void setEndProgram(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }

  // The navigation handler: button 1-7 of the bar.
  void navigate(int button);
  // Opens the exit confirmation (modal, without blocking the caller).
  void requestExit();
  // Adds the tray icon with the window's caption as its tip.
  void installTrayIcon();
  // Whether the desktop shows tray icons (asked of the desktop unless set).
  void setTrayAvailable(bool available) { trayAvailable_ = available; }
  void removeTrayIcon();
  // Returns memory the process does not use to the system every 3 seconds.
  void startMemoryTrim();
  void setBanner(Banner banner);

  NavigationBar* navigationBar() const { return navigationBar_; }
  QStackedWidget* pages() const { return pages_; }
  StartPage* startPage() const { return startPage_; }
  GatherPage* gatherPage() const { return gatherPage_; }
  ConfigPage* configPage() const { return configPage_; }
  HelpPage* helpPage() const { return helpPage_; }
  QSystemTrayIcon* trayIcon() const { return trayIcon_; }
  QMenu* trayMenu() const { return trayMenu_; }
  ExitConfirmWindow* exitConfirmWindow() const { return exitConfirm_; }
  Banner banner() const { return banner_; }
  QString hintText() const;
  bool memoryTrimRunning() const { return memoryTrim_.isActive(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QWidget* buildHeader();
  void trayActivated(QSystemTrayIcon::ActivationReason reason);

  Session& session_;
  Prompts& prompts_;
  std::function<void()> endProgram_;
  NavigationBar* navigationBar_ = nullptr;
  QLabel* bannerStrip_ = nullptr;
  QLabel* hint_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  StartPage* startPage_ = nullptr;
  GatherPage* gatherPage_ = nullptr;
  ConfigPage* configPage_ = nullptr;
  HelpPage* helpPage_ = nullptr;
  QSystemTrayIcon* trayIcon_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  QPointer<ExitConfirmWindow> exitConfirm_;
  QTimer memoryTrim_;
  Banner banner_ = Banner::Start;
  bool trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
};

}  // namespace tessaly
