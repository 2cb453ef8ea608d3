#include "dialogs.hpp"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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

SuspiciousFilesChoice MessageBoxDialogs::AskAboutSuspiciousFiles(const QString& files) {
  QMessageBox box(QMessageBox::Question, title_,
                  QCoreApplication::translate("morvane::MessageBoxDialogs", "下列檔案的坐標看來不是所選轉換方式的來源坐標系統：\n\n%1\n\n仍要轉換這些檔案嗎？").arg(files),
                  QMessageBox::NoButton, owner_);
  QPushButton* convert = box.addButton(QCoreApplication::translate("morvane::MessageBoxDialogs", "照樣轉換"), QMessageBox::AcceptRole);
  QPushButton* leaveOut = box.addButton(QCoreApplication::translate("morvane::MessageBoxDialogs", "略過這些檔案"), QMessageBox::RejectRole);
  box.setDefaultButton(leaveOut);
  box.setEscapeButton(leaveOut);
  box.exec();
  return box.clickedButton() == convert ? SuspiciousFilesChoice::ConvertAnyway : SuspiciousFilesChoice::LeaveOut;
}

bool MessageBoxDialogs::AskYesNo(const QString& text) {
  QMessageBox box(QMessageBox::Question, title_, text, QMessageBox::Yes | QMessageBox::No, owner_);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

QString MessageBoxDialogs::AskOpenFileName(const QString& caption, const QString& filter) {
  return QFileDialog::getOpenFileName(owner_, caption, QString(), filter);
}

QString MessageBoxDialogs::AskSaveFileName(const QString& caption, const QString& suggested, const QString& filter) {
  return QFileDialog::getSaveFileName(owner_, caption, suggested, filter);
}

}  // namespace morvane
