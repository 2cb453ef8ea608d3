#include "window_fixture.hpp"

#include <clocale>
#include <filesystem>
#include <system_error>

#include "fonts.hpp"
#include "recording_dialogs.hpp"
#include "translation.hpp"

namespace morvane::test {
namespace {

void ClickItem(MainWindow& form, const char* group, int item) {
  QRadioButton* button = form.findChild<RadioGroup*>(QString::fromLatin1(group))->Item(item);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

}  // namespace

WindowFixture::WindowFixture(Start start) : start_(start) {}

WindowFixture::~WindowFixture() = default;

std::unique_ptr<MainWindow> WindowFixture::NewWindow() {
  auto form = std::make_unique<MainWindow>(*dialogs_);
  form->show();
  return form;
}

void WindowFixture::OpenWindow() {
  form_ = NewWindow();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void WindowFixture::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  dialogs_ = std::make_unique<RecordingDialogs>();
  if (start_ == Start::WithWindow) OpenWindow();
}

void WindowFixture::cleanup() {
  form_.reset();
  dialogs_.reset();
  if (dir_ != nullptr) {
    // Removed through raw names: QTemporaryDir cannot delete names that are not UTF-8.
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(Folder()), ignored);
    dir_.reset();
  }
  InstallTranslation(QStringLiteral("zh_TW"));
}

void WindowFixture::ChooseMode(MainWindow& form, Mode mode) { ClickItem(form, "RadioGroup1", ItemOf(mode)); }

void WindowFixture::ChooseRegion(MainWindow& form, Region region) { ClickItem(form, "RadioGroup2", region); }

std::unique_ptr<Application> StartApplication(int& argc, char** argv) {
  std::setlocale(LC_ALL, "");
  auto application = std::make_unique<Application>(argc, argv);
  InstallFontSubstitutes();
  return application;
}

}  // namespace morvane::test
