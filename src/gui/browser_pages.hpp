#pragma once
// The two pages that show the vendor's web pages: "开始" (introduction, news, the
// "使用说明" button) and "帮助" (the help page). Pages are fetched off the UI thread
// through the core's fetch and shown as GBK text turned into Qt text.
#include <QObject>
#include <QWidget>
#include <string>
#include <thread>

#include "support/cancel_token.hpp"

class QTextBrowser;

namespace tessaly {

class Prompts;

// Fetches one page on a thread of its own and hands the text to a browser box.
class PageLoader : public QObject {
  Q_OBJECT

 public:
  PageLoader(QTextBrowser* browser, QObject* parent);
  // Breaks off a fetch still under way and waits for its thread.
  ~PageLoader() override;

  void load(const std::string& address);  // GBK address
  bool loaded() const { return loaded_; }

 signals:
  void finished(bool gotPage);

 private:
  QTextBrowser* browser_;
  CancelToken cancel_;
  std::thread thread_;
  bool loaded_ = false;
};

class StartPage : public QWidget {
  Q_OBJECT

 public:
  StartPage(Prompts& prompts, QWidget* parent = nullptr);
  // Shows vendorService + "/news.html" and lets "使用说明" open vendorService + "/kvrthelp.html".
  void loadVendorPages(const std::string& vendorService);
  PageLoader* newsLoader() const { return newsLoader_; }

 private:
  Prompts& prompts_;
  QTextBrowser* news_;
  PageLoader* newsLoader_;
  std::string helpAddress_;
};

class HelpPage : public QWidget {
  Q_OBJECT

 public:
  HelpPage(Prompts& prompts, QWidget* parent = nullptr);
  void loadVendorPages(const std::string& vendorService);
  // The designed browser box is 361 high; start-up stretches it to 440.
  void setBrowserHeight(int height);
  PageLoader* helpLoader() const { return helpLoader_; }

 private:
  QTextBrowser* help_;
  PageLoader* helpLoader_;
};

}  // namespace tessaly
