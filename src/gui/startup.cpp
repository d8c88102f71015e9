#include "gui/startup.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <thread>

#include "app/save_path.hpp"
#include "gui/browser_pages.hpp"
#include "gui/config_page.hpp"
#include "gui/gather_page.hpp"
#include "gui/housekeeping.hpp"
#include "gui/main_window.hpp"
#include "gui/prompts.hpp"
#include "gui/qt_text.hpp"
#include "gui/session.hpp"
#include "gui/splash_window.hpp"
#include "openapi/key_list.hpp"

namespace tessaly {
namespace {

// Runs `work` on a thread of its own while the UI thread keeps painting and handling
// events; returns when it is done.
template <typename Work>
void waitResponsively(Work work) {
  QEventLoop loop;
  std::thread worker([&] {
    work();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
}

void pause(std::chrono::milliseconds duration) {
  if (duration.count() <= 0) return;
  QEventLoop loop;
  QTimer::singleShot(duration, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

StartupResult startUp(Session& session, Prompts& prompts, MainWindow& window, SplashWindow& splash,
                      const StartupOptions& options) {
  splash.show();
  session.state.vendorBase = session.state.endpoints.vendorService + "/kvrt_api/";
  splash.setStatus(QStringLiteral("正在连接服务器--"));
  QCoreApplication::processEvents();

  window.hide();
  for (int step : {25, 35, 50}) splash.setProgress(step);
  window.helpPage()->setBrowserHeight(440);
  splash.setStatus(QStringLiteral("正在加载预定信息--"));
  splash.setProgress(65);

  // Without key pairs no item can be fetched: the program refuses to run.
  std::vector<AppKeyPair> keys;
  waitResponsively([&] { keys = loadKeyList(session.state.vendorBase); });
  if (keys.empty()) {
    const QString failed = QStringLiteral("预定信息 加载失败，请重新启动--");
    splash.setStatus(failed);
    prompts.message(&splash, QStringLiteral("提示"), failed);
    splash.close();
    return StartupResult::KeyListFailed;
  }
  session.state.appKeys = std::move(keys);
  session.state.nextKeyIndex.store(1);

  window.setBanner(Banner::Start);
  window.gatherPage()->setSavePath(fromGbk(defaultSavePath(session.runDirectory)));
  window.setFixedSize(MainWindow::kWidth, MainWindow::kHeight);
  splash.setProgress(85);

  window.configPage()->loadOptions();
  window.installTrayIcon();
  window.navigate(1);
  splash.setProgress(100);
  pause(options.splashLinger);
  splash.close();

  window.show();
  window.startMemoryTrim();
  // Every thread started from here on (package workers, crawlers, fetches) inherits it.
  if (options.pinToFirstProcessor) pinProcessToFirstProcessor();

  window.startPage()->loadVendorPages(session.state.endpoints.vendorService);
  window.helpPage()->loadVendorPages(session.state.endpoints.vendorService);
  return StartupResult::Ready;
}

}  // namespace tessaly
