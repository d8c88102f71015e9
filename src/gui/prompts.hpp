#pragma once
// Everything the window asks of the user or of the desktop outside its own widgets:
// message boxes, file dialogs, the default browser and the default program for a file.
// The window reaches them only through this interface, so a test can answer them in
// advance and never hangs on a dialog.
#include <QString>
#include <QUrl>

class QWidget;

namespace tessaly {

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A message box with one button; returns when it is dismissed.
  virtual void message(QWidget* parent, const QString& title, const QString& text) = 0;
  // A file dialog for a file to write (the file need not exist); empty when cancelled.
  virtual QString saveFileName(QWidget* parent, const QString& filter,
                               const QString& defaultSuffix) = 0;
  // A file dialog for an existing file; empty when cancelled.
  virtual QString openFileName(QWidget* parent, const QString& filter) = 0;
  // Hands an address (a web page or a local file) to the desktop; false when it refused.
  virtual bool openExternally(const QUrl& url) = 0;
};

// The real dialogs and the desktop's own programs.
class DesktopPrompts : public Prompts {
 public:
  void message(QWidget* parent, const QString& title, const QString& text) override;
  QString saveFileName(QWidget* parent, const QString& filter,
                       const QString& defaultSuffix) override;
  QString openFileName(QWidget* parent, const QString& filter) override;
  bool openExternally(const QUrl& url) override;
};

}  // namespace tessaly
