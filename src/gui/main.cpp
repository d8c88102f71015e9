// tessaly: the desktop program.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/endpoints.hpp"
#include "gui/main_window.hpp"
#include "gui/prompts.hpp"
#include "gui/session.hpp"
#include "gui/splash_window.hpp"
#include "gui/startup.hpp"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tessaly"));
  QApplication::setApplicationVersion(QStringLiteral("3.06"));
  // Closing the window only hides it; the program ends through the exit confirmation.
  QApplication::setQuitOnLastWindowClosed(false);

  tessaly::Session session(tessaly::Endpoints::fromEnvironment(), tessaly::runDirectory());
  tessaly::DesktopPrompts prompts;
  tessaly::MainWindow window(session, prompts);
  tessaly::SplashWindow splash;
  if (tessaly::startUp(session, prompts, window, splash) != tessaly::StartupResult::Ready) return 0;

  // "确 定" ends the process at once: running workers and crawls are not waited for and
  // nothing is saved, as the user was warned. The tray icon goes first so none is left.
  window.setEndProgram([&window] {
    window.removeTrayIcon();
    std::fflush(nullptr);
    std::_Exit(0);
  });
  return QApplication::exec();
}
