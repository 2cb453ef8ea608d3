// What the window's Qt Test suites share: a test class's base that gives each test function a
// fresh temporary folder, a recording WindowDialogs and (unless the class opens its own) a
// shown MainWindow, and removes them after it; and the main function that runs a test class in
// the window's application.
#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>

#include "application.hpp"
#include "engine/mode_table.hpp"
#include "main_window.hpp"

namespace morvane::test {

class RecordingDialogs;

class WindowFixture : public QObject {
  Q_OBJECT

 protected:
  enum class Start {
    WithWindow,     // init() opens form_
    WithoutWindow,  // the test opens its windows itself
  };
  explicit WindowFixture(Start start = Start::WithWindow);
  ~WindowFixture() override;

  // A new window whose boxes go to dialogs_, shown (not waited for).
  std::unique_ptr<MainWindow> NewWindow();
  // form_ replaced by a new window, shown and exposed.
  void OpenWindow();
  template <typename T>
  T* Control(const char* name) const {
    return form_->findChild<T*>(QString::fromLatin1(name));
  }
  std::string Folder() const { return dir_->path().toStdString(); }
  // The item of `mode` in the radio group of the modes.
  static int ItemOf(Mode mode) { return static_cast<int>(IndexOf(mode)); }
  // Chooses the mode or the region in `form` as a user does, with a click near the item's left
  // edge: a short caption leaves the item's centre blank, where a click chooses nothing.
  static void ChooseMode(MainWindow& form, Mode mode);
  static void ChooseRegion(MainWindow& form, Region region);
  void ChooseMode(Mode mode) { ChooseMode(*form_, mode); }
  void ChooseRegion(Region region) { ChooseRegion(*form_, region); }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<RecordingDialogs> dialogs_;
  std::unique_ptr<MainWindow> form_;

 protected slots:
  // Run by Qt Test before and after each test function; a class that needs more calls these
  // from its own.
  void init();
  void cleanup();

 private:
  Start start_;
};

// Sets the locale from the environment and starts the window's application with its fonts.
// The application lives as long as the returned object.
std::unique_ptr<Application> StartApplication(int& argc, char** argv);

}  // namespace morvane::test

// The main function of a test program of the window: the application as the program starts it
// (locale from the environment, font substitutes), then the test class `TestClass`.
#define MORVANE_WINDOW_TEST_MAIN(TestClass)                                \
  int main(int argc, char** argv) {                                        \
    const auto application = morvane::test::StartApplication(argc, argv); \
    TestClass test;                                                        \
    return QTest::qExec(&test, argc, argv);                                \
  }
