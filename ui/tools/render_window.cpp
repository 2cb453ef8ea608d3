// Renders the window with a folder selected and its shapefiles listed to a PNG, for the
// documentation; with FILE, that file of the list is previewed too.
// Usage: morvane-render-window FOLDER OUTPUT.png [FILE]
// Run it on the offscreen platform (QT_QPA_PLATFORM=offscreen) when there is no display.
#include <QPixmap>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "application.hpp"
#include "fonts.hpp"
#include "main_window.hpp"
#include "translation.hpp"

namespace {

// No box may wait for a click here: whatever would be shown goes to standard error.
class PrintedDialogs : public morvane::WindowDialogs {
 public:
  void ShowMessage(const QString& text) override { Print(QString(), text); }
  void ShowCompletion(const QString& text, const QString& caption) override { Print(caption, text); }
  void ShowError(const QString& text) override { Print(QStringLiteral("error"), text); }
  morvane::SuspiciousFilesChoice AskAboutSuspiciousFiles(const QString& files) override {
    Print(QStringLiteral("question"), files);
    return morvane::SuspiciousFilesChoice::LeaveOut;
  }
  bool AskYesNo(const QString& text) override {
    Print(QStringLiteral("question, answered no"), text);
    return false;
  }
  void ShowRunSummary(const QString& headline, const QString& list) override {
    Print(QStringLiteral("summary"), headline + u'\n' + list);
  }

 private:
  static void Print(const QString& caption, const QString& text) {
    std::fprintf(stderr, "[%s] %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
  }
};

}  // namespace

int main(int argc, char** argv) {
  morvane::Application app(argc, argv);
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: %s FOLDER OUTPUT.png [FILE]\n", argv[0]);
    return 2;
  }
  morvane::InstallFontSubstitutes();
  // In the environment's language, as the program would be (LANGUAGE=en for English).
  morvane::InstallTranslation(QString());
  PrintedDialogs dialogs;
  app.SetDialogs(&dialogs);

  morvane::MainWindow form(dialogs);
  form.show();
  // The folder's real path as bytes: names that are not UTF-8 must survive.
  char* resolved = ::realpath(argv[1], nullptr);
  const std::string folder = resolved != nullptr ? resolved : "";
  std::free(resolved);
  auto* tree = form.findChild<morvane::FolderTree*>(QStringLiteral("ShellTreeView1"));
  if (folder.empty() || tree == nullptr || !tree->SelectPath(folder)) {
    std::fprintf(stderr, "cannot select the folder %s in the tree\n", argv[1]);
    return 1;
  }
  if (argc == 4) {
    auto* list = form.findChild<morvane::CheckList*>(QStringLiteral("CheckListBox1"));
    int row = 0;
    while (list != nullptr && row < list->count() && list->Name(row) != argv[3]) ++row;
    if (list == nullptr || row == list->count()) {
      std::fprintf(stderr, "%s is not listed in %s\n", argv[3], argv[1]);
      return 1;
    }
    list->setCurrentRow(row);
  }
  QApplication::processEvents();
  if (!form.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
