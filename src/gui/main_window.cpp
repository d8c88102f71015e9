#include "gui/main_window.hpp"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>

#include "config/options_file.hpp"
#include "gui/browser_pages.hpp"
#include "gui/config_page.hpp"
#include "gui/exit_confirm_window.hpp"
#include "gui/gather_page.hpp"
#include "gui/housekeeping.hpp"
#include "gui/navigation_bar.hpp"
#include "gui/session.hpp"
#include "package/run_settings.hpp"

namespace tessaly {
namespace {

constexpr int kBannerHeight = 38;
constexpr int kPagesHeight = 466;

}  // namespace

MainWindow::MainWindow(Session& session, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), session_(session), prompts_(prompts) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Tessaly V3.06"));
  setWindowIcon(programIcon());
  setFixedSize(kWidth, kHeight);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(buildHeader());

  pages_ = new QStackedWidget(central);
  pages_->setObjectName(QStringLiteral("高级选择夹1"));
  pages_->setFixedHeight(kPagesHeight);
  startPage_ = new StartPage(prompts_, pages_);
  configPage_ =
      new ConfigPage(session_.options, optionsFilePath(session_.runDirectory), prompts_, pages_);
  gatherPage_ = new GatherPage(
      session_, prompts_, [&options = session_.options] { return runSettingsFrom(options); },
      pages_);
  helpPage_ = new HelpPage(prompts_, pages_);
  pages_->addWidget(startPage_);
  pages_->addWidget(gatherPage_);
  pages_->addWidget(configPage_);
  pages_->addWidget(helpPage_);
  pages_->setCurrentWidget(startPage_);
  layout->addSpacing(3);
  layout->addWidget(pages_);
  layout->addStretch(1);
  setCentralWidget(central);

  auto* status = new QStatusBar(this);
  status->setObjectName(QStringLiteral("状态条1"));
  status->setSizeGripEnabled(false);
  auto* version = new QLabel(QStringLiteral("版本号：V3.0.6"), status);
  version->setFixedWidth(150);
  status->addWidget(version);
  setStatusBar(status);

  connect(navigationBar_, &NavigationBar::clicked, this, &MainWindow::navigate);
  memoryTrim_.setInterval(3000);
  connect(&memoryTrim_, &QTimer::timeout, this, [] { trimMemory(); });
}

MainWindow::~MainWindow() {
  removeTrayIcon();
}

QWidget* MainWindow::buildHeader() {
  auto* header = new QWidget(this);
  auto* layout = new QVBoxLayout(header);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  navigationBar_ = new NavigationBar(header);
  navigationBar_->setObjectName(QStringLiteral("透明标签3"));
  layout->addWidget(navigationBar_);

  auto* separator = new QFrame(header);
  separator->setObjectName(QStringLiteral("画板3"));
  separator->setFixedHeight(2);
  separator->setStyleSheet(QStringLiteral("background: #8fb3da;"));
  layout->addWidget(separator);

  bannerStrip_ = new QLabel(header);
  bannerStrip_->setObjectName(QStringLiteral("画板8"));
  bannerStrip_->setFixedSize(kWidth, kBannerHeight);
  hint_ = new QLabel(bannerStrip_);
  hint_->setObjectName(QStringLiteral("透明标签14"));
  hint_->setGeometry(160, 10, 528, 24);
  hint_->setStyleSheet(QStringLiteral("color: white;"));
  layout->addWidget(bannerStrip_);
  setBanner(Banner::Start);
  return header;
}

void MainWindow::setBanner(Banner banner) {
  banner_ = banner;
  bannerStrip_->setPixmap(bannerPicture(banner, bannerStrip_->size()));
}

QString MainWindow::hintText() const {
  return hint_->text();
}

void MainWindow::navigate(int button) {
  struct Target {
    Banner banner;
    const char* hint;
    QWidget* page;
    AddressMode mode;
  };
  auto go = [this](const Target& t, bool setsMode) {
    setBanner(t.banner);
    hint_->setText(QString::fromUtf8(t.hint));
    if (setsMode) gatherPage_->chooseMode(t.mode);
    pages_->setCurrentWidget(t.page);
  };
  switch (button) {
    case 1:
      go({Banner::Start, "", startPage_, AddressMode::None}, false);
      break;
    case 2:
      go({Banner::Single,
          "【单个模式】 就是指定采集一个点宝贝 输入该宝贝地址即可进行采集 可以添加多个",
          gatherPage_, AddressMode::Single},
         true);
      break;
    case 3:
      go({Banner::List,
          "【列表模式】 就是仅仅采集某个店铺的一个分类 输入分类的网页地址即可进行采集", gatherPage_,
          AddressMode::List},
         true);
      break;
    case 4:
      go({Banner::Shop,
          "【店铺模式】 就是采集整个店铺的所有宝贝 只需输入店铺的首页地址即可进行采集", gatherPage_,
          AddressMode::Shop},
         true);
      break;
    case 5:
      go({Banner::Configure, "可以对采集的一些信息进行设置", configPage_, AddressMode::None},
         false);
      break;
    case 6:
      go({Banner::Help, "", helpPage_, AddressMode::None}, false);
      break;
    case 7:
      requestExit();
      break;
    default:
      break;
  }
}

void MainWindow::requestExit() {
  if (exitConfirm_) {
    exitConfirm_->raise();
    exitConfirm_->activateWindow();
    return;
  }
  exitConfirm_ = new ExitConfirmWindow(isVisible() ? this : nullptr);
  exitConfirm_->setAttribute(Qt::WA_DeleteOnClose);
  exitConfirm_->setWindowModality(Qt::ApplicationModal);
  connect(exitConfirm_, &QDialog::accepted, this, [this] {
    if (endProgram_) endProgram_();
  });
  exitConfirm_->show();
}

void MainWindow::installTrayIcon() {
  if (trayIcon_) return;
  trayMenu_ = new QMenu(QStringLiteral("系统菜单"), this);
  trayMenu_->setObjectName(QStringLiteral("系统菜单"));
  connect(trayMenu_->addAction(QStringLiteral("退出程序")), &QAction::triggered, this,
          &MainWindow::requestExit);
  trayIcon_ = new QSystemTrayIcon(windowIcon(), this);
  trayIcon_->setToolTip(windowTitle());
  trayIcon_->setContextMenu(trayMenu_);
  connect(trayIcon_, &QSystemTrayIcon::activated, this, &MainWindow::trayActivated);
  trayIcon_->show();
}

void MainWindow::removeTrayIcon() {
  if (trayIcon_) trayIcon_->hide();
}

void MainWindow::trayActivated(QSystemTrayIcon::ActivationReason reason) {
  if (reason != QSystemTrayIcon::DoubleClick) return;
  showNormal();
  raise();
  activateWindow();
}

void MainWindow::startMemoryTrim() {
  memoryTrim_.start();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The close box only hides the window; running work goes on and the tray brings it
  // back. A desktop without a tray could never bring it back, so there the window only
  // goes down to the task bar.
  event->ignore();
  if (trayIcon_ && trayAvailable_)
    hide();
  else
    showMinimized();
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) navigationBar_->refresh();
  QMainWindow::changeEvent(event);
}

}  // namespace tessaly
