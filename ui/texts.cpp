#include "texts.hpp"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringDecoder>

#include "translation.hpp"

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

QString ReplaceQuestionText(const std::vector<std::string>& outputs) {
  QString text = QCoreApplication::translate("Texts", "下列檔案已是之前轉換的輸出，要覆蓋嗎？\n（選「否」則略過這些檔案，其餘照常轉換）\n");
  for (const std::string& output : outputs) text += u'\n' + DisplayText(output);
  return text;
}

QString SuspiciousFilesText(const std::vector<FileProblem>& files) {
  QStringList lines;
  for (const FileProblem& file : files) {
    const std::size_t slash = file.Path.rfind('/');
    const std::string name = slash == std::string::npos ? file.Path : file.Path.substr(slash + 1);
    lines << DisplayText(name) + QStringLiteral(": ") + DisplayText(file.Reason);
  }
  return lines.join(u'\n');
}

QString RunSummaryText(const RunSummary& summary) {
  QString text = QCoreApplication::translate("Texts", "已轉換 %1 個檔案，共 %2 個。").arg(summary.Converted).arg(summary.Files);
  if (!summary.Failed.empty()) {
    text += QCoreApplication::translate("Texts", "\n\n未能轉換：");
    for (const FileProblem& problem : summary.Failed) text += u'\n' + TranslatedMessage(DisplayText(problem.Reason));
  }
  if (!summary.Skipped.empty()) {
    text += QCoreApplication::translate("Texts", "\n\n略過（未覆蓋）：");
    for (const FileProblem& problem : summary.Skipped) text += u'\n' + DisplayText(problem.Path);
  }
  if (!summary.Refused.empty()) {
    text += QCoreApplication::translate("Texts", "\n\n略過（坐標看來不是來源坐標系統）：");
    for (const FileProblem& problem : summary.Refused) text += u'\n' + DisplayText(problem.Path);
  }
  if (summary.NotBegun() > 0) text += QCoreApplication::translate("Texts", "\n\n未開始：%1 個檔案").arg(summary.NotBegun());
  return text;
}

QString NothingToConvertText(bool folderChosen) {
  return folderChosen ? QCoreApplication::translate("Texts", "沒有勾選任何檔案，沒有轉換。") : QCoreApplication::translate("Texts", "請先在步驟二選擇資料夾，沒有轉換。");
}

QString CancelledRunText(const RunSummary& summary) {
  QString text = QCoreApplication::translate("Texts", "轉換已取消。");
  for (const std::string& path : summary.Stopped)
    text += QCoreApplication::translate("Texts", "\n中途停止，沒有寫出任何檔案：") + DisplayText(path);
  return text + QStringLiteral("\n\n") + RunSummaryText(summary);
}

QString CloseDuringRunText() {
  return QStringLiteral("轉換進行中。要停止轉換並關閉視窗嗎？目前的檔案不會寫出，之前的輸出保持原樣。");
}

}  // namespace morvane
