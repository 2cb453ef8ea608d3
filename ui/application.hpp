// The application object: a QApplication whose event delivery catches what a handler lets
// escape and shows it in the error box, after which the program goes on. Handlers catch
// their own errors; this is the net below them, since Qt lets no exception cross its loop.
#pragma once

#include <QApplication>

#include "dialogs.hpp"

namespace morvane {

class Application : public QApplication {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);

  // Where escaped errors are shown; until it is set they go to standard error.
  void SetDialogs(WindowDialogs* dialogs) { dialogs_ = dialogs; }

  bool notify(QObject* receiver, QEvent* event) override;

  // Shows `message` in the error box with the full-stop rule applied.
  void ShowEscapedError(const QString& message);

 private:
  WindowDialogs* dialogs_ = nullptr;
};

}  // namespace morvane
