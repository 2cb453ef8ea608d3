#include "application.hpp"

#include <cstdio>
#include <exception>

#include "texts.hpp"
#include "translation.hpp"

namespace morvane {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const RunError& error) {
    ShowEscapedError(ProblemText(error.Details()));
  } catch (const std::exception& error) {
    ShowEscapedError(DisplayText(error.what()));
  } catch (...) {
    ShowEscapedError(QString());
  }
  return false;
}

void Application::ShowEscapedError(const QString& message) {
  const QString text = ErrorBoxText(TranslatedMessage(message));
  if (dialogs_ != nullptr) {
    dialogs_->ShowError(text);
  } else {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  }
}

}  // namespace morvane
