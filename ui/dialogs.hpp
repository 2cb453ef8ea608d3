// Every box the window shows goes through WindowDialogs, so that tests record the boxes
// instead of blocking on them.
#pragma once

#include <QString>
#include <utility>

class QWidget;

namespace morvane {

// What to do with ticked files whose input check failed.
enum class SuspiciousFilesChoice { ConvertAnyway, LeaveOut };

class WindowDialogs {
 public:
  virtual ~WindowDialogs() = default;
  // A plain modal message: the text, an OK button, no icon, the application's title as caption.
  virtual void ShowMessage(const QString& text) = 0;
  // The completion box of a run: the text with its own caption, an OK button, no icon.
  virtual void ShowCompletion(const QString& text, const QString& caption) = 0;
  // The error box: an error icon, an OK button, the application's title as caption. `text`
  // is shown as given (see ErrorBoxText).
  virtual void ShowError(const QString& text) = 0;
  // The question before a run with suspicious ticked files: `files` lists them with their
  // reasons, one per line; the answer converts them anyway or leaves them out.
  virtual SuspiciousFilesChoice AskAboutSuspiciousFiles(const QString& files) = 0;
  // A question with Yes and No buttons, the application's title as caption; true for Yes.
  virtual bool AskYesNo(const QString& text) = 0;
  // The one box at the end of a run that did not convert every file: `headline` above a
  // scrollable, copyable `list` of what was not converted and why, a warning icon, an OK
  // button, the application's title as caption.
  virtual void ShowRunSummary(const QString& headline, const QString& list) = 0;
  // A file to read: its path, or empty when the user cancels. `filter` as QFileDialog takes it.
  // A front end without file dialogs chooses nothing.
  virtual QString AskOpenFileName(const QString& /*caption*/, const QString& /*filter*/) { return {}; }
  // A file to write, starting at `suggested`: its path, or empty when the user cancels.
  virtual QString AskSaveFileName(const QString& /*caption*/, const QString& /*suggested*/,
                                  const QString& /*filter*/) {
    return {};
  }
};

// The standard buttons' texts in the window's language: 確定, 是, 否 (OK, Yes, No).
QString OkButtonText();
QString YesButtonText();
QString NoButtonText();

// The program's boxes: modal QMessageBoxes over the owner window, and a small dialog for the
// run's summary. Their buttons speak the window's language.
class MessageBoxDialogs : public WindowDialogs {
 public:
  explicit MessageBoxDialogs(QString title) : title_(std::move(title)) {}

  // The window the boxes are centred over and modal to; none until the window exists.
  void SetOwner(QWidget* owner) { owner_ = owner; }
  const QString& Title() const { return title_; }

  void ShowMessage(const QString& text) override;
  void ShowCompletion(const QString& text, const QString& caption) override;
  void ShowError(const QString& text) override;
  SuspiciousFilesChoice AskAboutSuspiciousFiles(const QString& files) override;
  bool AskYesNo(const QString& text) override;
  void ShowRunSummary(const QString& headline, const QString& list) override;
  QString AskOpenFileName(const QString& caption, const QString& filter) override;
  QString AskSaveFileName(const QString& caption, const QString& suggested, const QString& filter) override;

 private:
  QString title_;
  QWidget* owner_ = nullptr;
};

}  // namespace morvane
