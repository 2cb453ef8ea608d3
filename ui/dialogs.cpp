#include "dialogs.hpp"

#include <QMessageBox>

namespace morvane {
namespace {

void ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace

void MessageBoxDialogs::ShowMessage(const QString& text) {
  ShowBox(owner_, QMessageBox::NoIcon, title_, text);
}

void MessageBoxDialogs::ShowCompletion(const QString& text, const QString& caption) {
  ShowBox(owner_, QMessageBox::NoIcon, caption, text);
}

void MessageBoxDialogs::ShowError(const QString& text) {
  ShowBox(owner_, QMessageBox::Critical, title_, text);
}

}  // namespace morvane
