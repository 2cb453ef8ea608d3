// Start-up: --help and --version answered without a window; otherwise the application, the
// fonts, the one window, then the event loop until the window is closed.
#include <QGuiApplication>
#include <QSettings>
#include <cstdio>
#include <exception>

#include "application.hpp"
#include "dialogs.hpp"
#include "fonts.hpp"
#include "main_window.hpp"
#include "start_options.hpp"
#include "texts.hpp"
#include "translation.hpp"

int main(int argc, char** argv) {
  switch (morvane::StartRequestOf(argc, argv)) {
    case morvane::StartRequest::Help:
      std::fputs(morvane::HelpText().c_str(), stdout);
      return 0;
    case morvane::StartRequest::Version:
      std::fputs(morvane::VersionText().c_str(), stdout);
      return 0;
    case morvane::StartRequest::Window:
      break;
  }
  morvane::Application app(argc, argv);
  const QString title = morvane::ApplicationTitle(QCoreApplication::applicationFilePath());
  QCoreApplication::setApplicationName(title);
  QGuiApplication::setDesktopFileName(QStringLiteral("morvane"));
  QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("morvane")));
  morvane::InstallFontSubstitutes();
  // English on an English desktop, Traditional Chinese otherwise, unless --lang says.
  morvane::InstallTranslation(morvane::LanguageOption(QCoreApplication::arguments()));

  morvane::MessageBoxDialogs dialogs(title);
  app.SetDialogs(&dialogs);
  try {
    morvane::MainWindow form(dialogs);
    dialogs.SetOwner(&form);
    QSettings settings(QStringLiteral("Morvane"), QStringLiteral("morvane"));
    form.UseSettings(settings);
    form.show();
    const int status = QApplication::exec();
    dialogs.SetOwner(nullptr);
    return status;
  } catch (const std::exception& error) {
    app.ShowEscapedError(morvane::DisplayText(error.what()));
  } catch (...) {
    app.ShowEscapedError(QString());
  }
  return 1;
}
