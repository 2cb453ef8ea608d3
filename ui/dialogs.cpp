#include "dialogs.hpp"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace morvane {
namespace {

// The summary's list shows this many lines before it scrolls.
constexpr int kSummaryLines = 12;
// Text boxes wider than this wrap their lines.
constexpr int kSummaryWidth = 560;

void NameButton(QMessageBox& box, QMessageBox::StandardButton which, const QString& text) {
  if (QAbstractButton* button = box.button(which)) button->setText(text);
}

void ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
  NameButton(box, QMessageBox::Ok, OkButtonText());
  box.exec();
}

}  // namespace

QString OkButtonText() { return QCoreApplication::translate("morvane::MessageBoxDialogs", "確定"); }
QString YesButtonText() { return QCoreApplication::translate("morvane::MessageBoxDialogs", "是"); }
QString NoButtonText() { return QCoreApplication::translate("morvane::MessageBoxDialogs", "否"); }

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
  NameButton(box, QMessageBox::Yes, YesButtonText());
  NameButton(box, QMessageBox::No, NoButtonText());
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void MessageBoxDialogs::ShowRunSummary(const QString& headline, const QString& list) {
  QDialog dialog(owner_);
  dialog.setWindowTitle(title_);
  auto* icon = new QLabel(&dialog);
  const int iconSize = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
  icon->setPixmap(dialog.style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, &dialog).pixmap(iconSize));
  icon->setAlignment(Qt::AlignTop);
  auto* heading = new QLabel(headline, &dialog);
  heading->setWordWrap(true);
  auto* details = new QPlainTextEdit(list, &dialog);
  details->setObjectName(QStringLiteral("SummaryList"));
  details->setReadOnly(true);
  details->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);  // to copy
  details->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  details->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long reasons wrap
  details->setMinimumWidth(kSummaryWidth);
  details->setMinimumHeight(details->fontMetrics().lineSpacing() * kSummaryLines);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(OkButtonText());
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);

  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addWidget(heading, 1);
  auto* column = new QVBoxLayout(&dialog);
  column->addLayout(top);
  column->addWidget(details, 1);
  column->addWidget(buttons);
  dialog.exec();
}

QString MessageBoxDialogs::AskOpenFileName(const QString& caption, const QString& filter) {
  return QFileDialog::getOpenFileName(owner_, caption, QString(), filter);
}

QString MessageBoxDialogs::AskSaveFileName(const QString& caption, const QString& suggested, const QString& filter) {
  return QFileDialog::getSaveFileName(owner_, caption, suggested, filter);
}

}  // namespace morvane
