// The window's language. Its texts are written in Traditional Chinese and all go through Qt's
// translation system; an English translation is built into the program. The command line
// keeps its English messages and does not use this.
#pragma once

#include <QString>
#include <QStringList>

namespace morvane {

// The language asked for with "--lang LANGUAGE" or "--lang=LANGUAGE"; empty when none is.
QString LanguageOption(const QStringList& arguments);

// Shows the window's texts in `language` (a locale name such as "en", "en_GB" or "zh_TW";
// empty: the system's languages) from now on, replacing an earlier choice. Traditional
// Chinese, and every language without a translation, show the texts as written. Returns
// whether a translation was installed.
bool InstallTranslation(const QString& language);

// A message of the engine or of a conversion run, given as its text, in the window's language:
// the completion box and its caption, the floating-point errors, the invalid choices, and the
// short forms of the missing companion and the file errors with the path they name kept as it
// is. Errors that come as data are worded by ProblemText (texts.hpp) instead; other texts pass
// unchanged.
QString TranslatedMessage(const QString& message);

}  // namespace morvane
