#include "translation.hpp"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>
#include <array>

namespace morvane {
namespace {

constexpr char kMessages[] = "Messages";

// Messages that are shown whole: the run's or the engine's text, and its wording in the
// window (written in Chinese, translated like every other text).
struct WholeMessage {
  const char* Text;
  const char* Source;
};

constexpr std::array kWholeMessages = {
    WholeMessage{"已完成!! 請按確定", QT_TRANSLATE_NOOP("Messages", "已完成!! 請按確定")},
    WholeMessage{"Message", QT_TRANSLATE_NOOP("Messages", "訊息")},
    WholeMessage{"No this choice", QT_TRANSLATE_NOOP("Messages", "沒有這個地區")},
    WholeMessage{"No the other choice", QT_TRANSLATE_NOOP("Messages", "沒有這個轉換方式")},
    WholeMessage{"Invalid floating point operation", QT_TRANSLATE_NOOP("Messages", "無效的浮點運算")},
    WholeMessage{"Floating point division by zero", QT_TRANSLATE_NOOP("Messages", "浮點除以零")},
    WholeMessage{"Floating point overflow", QT_TRANSLATE_NOOP("Messages", "浮點溢位")},
};

// Messages around a path: the text before it, the text after it, and the translatable form.
struct PathMessage {
  const char* Before;
  const char* After;
  const char* Source;
};

constexpr std::array kPathMessages = {
    PathMessage{"", " Not found", QT_TRANSLATE_NOOP("Messages", "%1 不存在")},
    PathMessage{"Cannot open file ", "", QT_TRANSLATE_NOOP("Messages", "無法開啟檔案 %1")},
    PathMessage{"Cannot create file ", "", QT_TRANSLATE_NOOP("Messages", "無法建立檔案 %1")},
    PathMessage{"Cannot read file ", "", QT_TRANSLATE_NOOP("Messages", "無法讀取檔案 %1")},
    PathMessage{"Cannot write file ", "", QT_TRANSLATE_NOOP("Messages", "無法寫入檔案 %1")},
};

QTranslator& WindowTranslator() {
  static QTranslator translator;
  return translator;
}

}  // namespace

QString LanguageOption(const QStringList& arguments) {
  const QString option = QStringLiteral("--lang");
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == option && i + 1 < arguments.size()) return arguments[i + 1];
    if (arguments[i].startsWith(option + u'=')) return arguments[i].mid(option.size() + 1);
  }
  return {};
}

bool InstallTranslation(const QString& language) {
  QTranslator& translator = WindowTranslator();
  QCoreApplication::removeTranslator(&translator);
  const QLocale locale = language.isEmpty() ? QLocale::system() : QLocale(language);
  // Tries morvane_en_GB, then morvane_en, and so on for each of the locale's languages.
  if (!translator.load(locale, QStringLiteral("morvane"), QStringLiteral("_"),
                       QStringLiteral(":/translations"))) {
    return false;
  }
  return QCoreApplication::installTranslator(&translator);
}

QString TranslatedMessage(const QString& message) {
  for (const WholeMessage& whole : kWholeMessages) {
    if (message == QString::fromUtf8(whole.Text)) return QCoreApplication::translate(kMessages, whole.Source);
  }
  for (const PathMessage& form : kPathMessages) {
    const QString before = QString::fromLatin1(form.Before);
    const QString after = QString::fromLatin1(form.After);
    if (message.size() > before.size() + after.size() && message.startsWith(before) &&
        message.endsWith(after)) {
      const QString path = message.mid(before.size(), message.size() - before.size() - after.size());
      return QCoreApplication::translate(kMessages, form.Source).arg(path);
    }
  }
  return message;
}

}  // namespace morvane
