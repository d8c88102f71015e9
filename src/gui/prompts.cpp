#include "gui/prompts.hpp"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace tessaly {

void DesktopPrompts::message(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

QString DesktopPrompts::saveFileName(QWidget* parent, const QString& filter,
                                     const QString& defaultSuffix) {
  QFileDialog dialog(parent, QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultSuffix);
  // Replacing an existing file is what the user asks for here: the package is rewritten.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

QString DesktopPrompts::openFileName(QWidget* parent, const QString& filter) {
  QFileDialog dialog(parent, QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

bool DesktopPrompts::openExternally(const QUrl& url) {
  if (url.isEmpty()) return false;
  return QDesktopServices::openUrl(url);
}

}  // namespace tessaly
