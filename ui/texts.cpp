#include "texts.hpp"

#include <QFileInfo>
#include <QStringDecoder>

namespace morvane {

QString ApplicationTitle(const QString& executablePath) {
  QString name = QFileInfo(executablePath).fileName();
  const qsizetype stop = name.indexOf(u'.');
  if (stop >= 0) name.truncate(stop);
  if (name.isEmpty()) return name;
  // The first letter keeps its case; every letter after it is lowered.
  return name.left(1) + name.mid(1).toLower();
}

QString ErrorBoxText(const QString& message) {
  if (!message.isEmpty() && message.back() > QChar(u'.')) return message + u'.';
  return message;
}

QString DisplayText(const std::string& bytes) {
  const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(raw);
  if (!utf8.hasError()) return text;
  // Qt reaches Big5 through ICU; without it the UTF-8 decoding with replacement characters
  // is the best that can be shown.
  QStringDecoder big5("Big5", QStringDecoder::Flag::Stateless);
  if (!big5.isValid()) return text;
  QString decoded = big5(raw);
  return big5.hasError() ? text : decoded;
}

}  // namespace morvane
