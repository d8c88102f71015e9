#pragma once
// The start-up sequence: from the splash window to the main window ready for the user.
#include <chrono>

namespace tessaly {

struct Session;
class Prompts;
class MainWindow;
class SplashWindow;

struct StartupOptions {
  // How long the full progress bar stays up before the splash closes.
  std::chrono::milliseconds splashLinger{300};
  // Bind the process to its first processor once the window is up.
  bool pinToFirstProcessor = true;
};

enum class StartupResult {
  Ready,          // the main window is shown
  KeyListFailed,  // no key pair could be loaded: the user was told, the program ends (exit code 0)
};

StartupResult startUp(Session& session, Prompts& prompts, MainWindow& window, SplashWindow& splash,
                      const StartupOptions& options = {});

}  // namespace tessaly
