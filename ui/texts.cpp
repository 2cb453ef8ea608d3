#include "texts.hpp"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>

#include "check_texts.hpp"
#include "translation.hpp"

namespace morvane {
namespace {

// The context of the reasons' translations.
class Problems {
  Q_DECLARE_TR_FUNCTIONS(morvane::Problems)
};

QString Figure(const ErrorDetails& details, std::size_t index) {
  return index < details.Figures.size() ? QString::number(details.Figures[index]) : QStringLiteral("?");
}

// A shape type's name ("PolyLineZ") in the window's language.
QString ShapeTypeText(const std::string& name) {
  QString base = QString::fromStdString(name);
  QString measures;
  if (base.endsWith(u'Z')) {
    base.chop(1);
    measures = Problems::tr("（含高程）");
  } else if (base.endsWith(u'M')) {
    base.chop(1);
    measures = Problems::tr("（含量測值）");
  }
  if (base == QStringLiteral("Point")) return Problems::tr("點") + measures;
  if (base == QStringLiteral("MultiPoint")) return Problems::tr("多點") + measures;
  if (base == QStringLiteral("PolyLine")) return Problems::tr("折線") + measures;
  if (base == QStringLiteral("Polygon")) return Problems::tr("多邊形") + measures;
  if (base == QStringLiteral("MultiPatch")) return Problems::tr("多面片") + measures;
  return QString::fromStdString(name);
}

// What is wrong with a damaged record, to follow "record n (at byte m)".
QString RecordDamageText(const ErrorDetails& d) {
  switch (d.Damage) {
    case RecordDamage::CutShort:
      return Problems::tr("被截斷了");
    case RecordDamage::ContentLength:
      return Problems::tr("的內容長度是 %1 字組").arg(Figure(d, 0));
    case RecordDamage::PastEnd:
      return Problems::tr("超出檔案結尾（%1 位元組，只剩 %2 位元組）").arg(Figure(d, 0), Figure(d, 1));
    case RecordDamage::TooShort:
      return Problems::tr("太短，放不下一個%1（%2 位元組）").arg(ShapeTypeText(d.ShapeType), Figure(d, 0));
    case RecordDamage::NegativePoints:
      return Problems::tr("的點數是負數（%1）").arg(Figure(d, 0));
    case RecordDamage::TooManyPoints:
      return Problems::tr("有 %1 點，超過其 %2 位元組所能容納").arg(Figure(d, 0), Figure(d, 1));
    case RecordDamage::NegativeCount:
      return Problems::tr("的數目是負數（%1 部分、%2 點）").arg(Figure(d, 0), Figure(d, 1));
    case RecordDamage::TooManyPartsPoints:
      return Problems::tr("有 %1 部分、%2 點，超過其 %3 位元組所能容納").arg(Figure(d, 0), Figure(d, 1), Figure(d, 2));
    case RecordDamage::PartOutOfOrder:
      return Problems::tr("的第 %1 部分從第 %2 點開始，順序不對或超出其 %3 點").arg(Figure(d, 0), Figure(d, 1), Figure(d, 2));
    case RecordDamage::UnknownType:
      break;
  }
  return Problems::tr("的圖形類型 %1 不明").arg(Figure(d, 0));
}

// "<name> cannot be opened", with the cause when one is known.
QString FileOperationText(const ErrorDetails& d) {
  const QString name = ShownFileName(d.Path);
  const QString cause = SystemCauseText(d.SystemCode, d.Reason);
  const bool withCause = !cause.isEmpty();
  switch (d.Operation) {
    case FileOperation::Open:
      return withCause ? Problems::tr("%1 無法開啟：%2。").arg(name, cause) : Problems::tr("%1 無法開啟。").arg(name);
    case FileOperation::Create:
      return withCause ? Problems::tr("%1 無法建立：%2。").arg(name, cause) : Problems::tr("%1 無法建立。").arg(name);
    case FileOperation::Read:
      return withCause ? Problems::tr("%1 無法讀取：%2。").arg(name, cause) : Problems::tr("%1 無法讀取。").arg(name);
    case FileOperation::Write:
      break;
  }
  return withCause ? Problems::tr("%1 無法寫入：%2。").arg(name, cause) : Problems::tr("%1 無法寫入。").arg(name);
}

QString TrapText(FloatingPointTrap trap) {
  switch (trap) {
    case FloatingPointTrap::Invalid:
      return Problems::tr("無效的浮點運算");
    case FloatingPointTrap::DivisionByZero:
      return Problems::tr("浮點除以零");
    case FloatingPointTrap::Overflow:
      break;
  }
  return Problems::tr("浮點溢位");
}

}  // namespace

QString ShownFileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return DisplayText(slash == std::string::npos ? path : path.substr(slash + 1));
}

QString SystemCauseText(int systemCode, const std::string& reason) {
  switch (systemCode) {
    case 0:
      return DisplayText(reason);
    case kNotRegularFile:
      return Problems::tr("不是一般檔案");
    case ENOENT:
      return Problems::tr("沒有這個檔案或資料夾");
    case EACCES:
      return Problems::tr("沒有權限");
    case EPERM:
      return Problems::tr("不允許這項操作");
    case EROFS:
      return Problems::tr("檔案系統是唯讀的");
    case ENOSPC:
      return Problems::tr("磁碟已滿");
    case EDQUOT:
      return Problems::tr("超過磁碟配額");
    case EISDIR:
      return Problems::tr("這是資料夾");
    case ENOTDIR:
      return Problems::tr("路徑中有一段不是資料夾");
    case EIO:
      return Problems::tr("輸入輸出錯誤");
    case EEXIST:
      return Problems::tr("檔案已存在");
    case EMFILE:
    case ENFILE:
      return Problems::tr("開啟的檔案太多");
    case ENAMETOOLONG:
      return Problems::tr("檔名太長");
    case EFBIG:
      return Problems::tr("檔案太大");
    case EBUSY:
      return Problems::tr("裝置忙碌中");
    default:
      break;
  }
  return Problems::tr("系統錯誤 %1").arg(systemCode);
}

QString ProblemText(const ErrorDetails& d) {
  const QString name = ShownFileName(d.Path);
  switch (d.Kind) {
    case ErrorKind::FileOperation:
      return FileOperationText(d);
    case ErrorKind::NotShapefile:
      return Problems::tr("%1 不是圖形檔。").arg(name);
    case ErrorKind::ShortHeader:
      return Problems::tr("%1 已損壞：檔頭不足 100 位元組。").arg(name);
    case ErrorKind::HeaderLength:
      return Problems::tr("%1 已損壞：檔頭記載的長度是 %2 位元組，檔案只有 %3 位元組。").arg(name, Figure(d, 0), Figure(d, 1));
    case ErrorKind::DamagedRecord:
      return Problems::tr("%1 已損壞：第 %2 筆紀錄（位於第 %3 位元組）%4。")
          .arg(name, QString::number(d.Record), QString::number(d.Offset), RecordDamageText(d));
    case ErrorKind::MissingCompanion:
      return Problems::tr("%1 不存在，沒有它無法轉換。").arg(name);
    case ErrorKind::OutputExists:
      return Problems::tr("%1 已存在，沒有覆蓋。").arg(name);
    case ErrorKind::FloatingPoint:
      return Problems::tr("%1 無法轉換：%2。").arg(name, TrapText(d.Trap));
    case ErrorKind::OutsideLambertGrid:
      return Problems::tr("%1 無法轉換：點 (%2, %3) 在蘭勃特方格之外。")
          .arg(name, QString::number(d.X, 'f', QLocale::FloatingPointShortest),
               QString::number(d.Y, 'f', QLocale::FloatingPointShortest));
    case ErrorKind::Other:
      break;
  }
  if (name.isEmpty()) return TranslatedMessage(DisplayText(d.Reason));
  return Problems::tr("%1：%2").arg(name, TranslatedMessage(DisplayText(d.Reason)));
}

QString ErrorText(const std::exception& error, const std::string& path) {
  if (const auto* runError = dynamic_cast<const RunError*>(&error)) return ProblemText(runError->Details());
  return ProblemText(EngineErrorDetails(error, path));
}

QString ApplicationTitle(const QString& executablePath) {
  QString name = QFileInfo(executablePath).fileName();
  const qsizetype stop = name.indexOf(u'.');
  if (stop >= 0) name.truncate(stop);
  if (name.isEmpty()) return name;
  // The first letter keeps its case; every letter after it is lowered.
  return name.left(1) + name.mid(1).toLower();
}

QString ErrorBoxText(const QString& message) {
  if (message.isEmpty()) return message;
  const QChar last = message.back();
  // A Chinese sentence ends with the ideographic full stop, or with its own punctuation.
  if (last == u'。' || last == u'！' || last == u'？') return message;
  if (last >= QChar(u'\u2e80')) return message + u'。';
  if (last > QChar(u'.')) return message + u'.';
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

QString RefusalText(const FileProblem& file) {
  if (!file.Check.Reasons.empty()) return CheckWords(file.Check, file.Path);
  return ShownFileName(file.Path) + QStringLiteral(": ") + DisplayText(file.Reason);
}

QString SuspiciousFilesText(const std::vector<FileProblem>& files) {
  QStringList lines;
  for (const FileProblem& file : files) lines << RefusalText(file);
  return lines.join(u'\n');
}

namespace {

// A failure of the summary: its reason worded from its details, or from its English text when
// it came without them.
QString FailureText(const FileProblem& problem) {
  const ErrorDetails& d = problem.Details;
  if (d.Kind != ErrorKind::Other || !d.Reason.empty()) return ProblemText(d);
  ErrorDetails named = d;
  named.Path = problem.Path;
  named.Reason = problem.Reason;
  return ProblemText(named);
}

}  // namespace

QString RunSummaryHeadline(const RunSummary& summary) {
  return QCoreApplication::translate("Texts", "已轉換 %1 個檔案，共 %2 個。").arg(summary.Converted).arg(summary.Files);
}

QString RunSummaryList(const RunSummary& summary) {
  QStringList sections;
  if (!summary.Failed.empty()) {
    QString text = QCoreApplication::translate("Texts", "未能轉換：");
    for (const FileProblem& problem : summary.Failed) text += u'\n' + FailureText(problem);
    sections << text;
  }
  if (!summary.Skipped.empty()) {
    QString text = QCoreApplication::translate("Texts", "略過（未覆蓋）：");
    for (const FileProblem& problem : summary.Skipped) text += u'\n' + DisplayText(problem.Path);
    sections << text;
  }
  if (!summary.Refused.empty()) {
    QString text = QCoreApplication::translate("Texts", "略過（坐標看來不是來源坐標系統）：");
    for (const FileProblem& problem : summary.Refused) text += u'\n' + RefusalText(problem);
    sections << text;
  }
  if (summary.NotBegun() > 0) sections << QCoreApplication::translate("Texts", "未開始：%1 個檔案").arg(summary.NotBegun());
  return sections.join(QStringLiteral("\n\n"));
}

QString RunSummaryText(const RunSummary& summary) {
  const QString list = RunSummaryList(summary);
  return list.isEmpty() ? RunSummaryHeadline(summary) : RunSummaryHeadline(summary) + QStringLiteral("\n\n") + list;
}

QString NothingToConvertText(bool folderChosen) {
  return folderChosen ? QCoreApplication::translate("Texts", "沒有勾選任何檔案，沒有轉換。") : QCoreApplication::translate("Texts", "請先在步驟二選擇資料夾，沒有轉換。");
}

QString CancelledRunHeadline(const RunSummary& summary) {
  QString text = QCoreApplication::translate("Texts", "轉換已取消。");
  for (const std::string& path : summary.Stopped)
    text += QCoreApplication::translate("Texts", "\n中途停止，沒有寫出任何檔案：") + DisplayText(path);
  return text + u'\n' + RunSummaryHeadline(summary);
}

QString CancelledRunText(const RunSummary& summary) {
  QString text = QCoreApplication::translate("Texts", "轉換已取消。");
  for (const std::string& path : summary.Stopped)
    text += QCoreApplication::translate("Texts", "\n中途停止，沒有寫出任何檔案：") + DisplayText(path);
  return text + QStringLiteral("\n\n") + RunSummaryText(summary);
}

QString CloseDuringRunText() {
  return QCoreApplication::translate("Texts", "轉換進行中。要停止轉換並關閉視窗嗎？目前的檔案不會寫出，之前的輸出保持原樣。");
}

}  // namespace morvane
