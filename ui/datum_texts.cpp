#include "datum_texts.hpp"

#include <QCoreApplication>
#include <cmath>
#include <string>

#include "engine/builtin_transforms.hpp"
#include "engine/mode_table.hpp"
#include "texts.hpp"

namespace morvane {
namespace {

QString Bytes(const std::string& text) { return DisplayText(text); }

QString Figure(double value, int decimals = 3) { return QString::number(value, 'f', decimals); }

// "第 4 行（N325）：", "第 4 行：", or nothing when the whole file is at fault.
QString Where(int line, const std::string& id) {
  if (line > 0 && !id.empty()) return QCoreApplication::translate("DatumTexts", "第 %1 行（%2）：").arg(line).arg(Bytes(id));
  if (line > 0) return QCoreApplication::translate("DatumTexts", "第 %1 行：").arg(line);
  if (!id.empty()) return QCoreApplication::translate("DatumTexts", "（%1）：").arg(Bytes(id));
  return {};
}

QString ColumnText(int column) {
  switch (column) {
    case 1: return QCoreApplication::translate("DatumTexts", "點號");
    case 2: return QStringLiteral("TWD67 E");
    case 3: return QStringLiteral("TWD67 N");
    case 4: return QStringLiteral("TWD97 E");
    case 5: return QStringLiteral("TWD97 N");
    case 6: return QStringLiteral("tm2_meridian");
    default: return QStringLiteral("?");
  }
}

// The model a refusal names by its file spelling ("affine"), in the window's language.
QString ModelNamed(const std::string& name) {
  const std::optional<PlaneModel> model = PlaneModelNamed(name);
  return model ? PlaneModelText(*model) : Bytes(name);
}

}  // namespace


std::optional<PlaneModel> PlaneModelNamed(std::string_view name) {
  for (PlaneModel model : {PlaneModel::Similarity, PlaneModel::Affine, PlaneModel::Local}) {
    if (name == PlaneModelName(model)) return model;
  }
  return std::nullopt;
}

QString PlaneModelText(PlaneModel model) {
  switch (model) {
    case PlaneModel::Similarity: return QCoreApplication::translate("DatumTexts", "相似");
    case PlaneModel::Affine: return QCoreApplication::translate("DatumTexts", "仿射");
    case PlaneModel::Local: return QCoreApplication::translate("DatumTexts", "局部");
  }
  return {};
}

QString MetresText(double metres, int decimals) {
  if (std::isnan(metres)) return QStringLiteral("—");
  return QString::number(metres, 'f', decimals) + QStringLiteral(" m");
}

QString CommonPointErrorText(const CommonPointError& error) {
  const QString where = Where(error.Line, error.Id);
  switch (error.Kind) {
    case CommonPointProblem::UnsupportedMeridian:
      return QCoreApplication::translate("DatumTexts", "TM2 中央經線須為 121（台灣）或 119（澎湖），不是 %1").arg(error.Meridian);
    case CommonPointProblem::WrongColumnCount:
      if (error.Required == 5) {
        return where + QCoreApplication::translate("DatumTexts", "應有 5 欄（點號、TWD67 E、TWD67 N、TWD97 E、TWD97 N），卻有 %1 欄").arg(error.Count);
      }
      return where + QCoreApplication::translate("DatumTexts", "應有標題所列的 %1 欄，卻有 %2 欄").arg(error.Required).arg(error.Count);
    case CommonPointProblem::NotANumber:
      return where + QCoreApplication::translate("DatumTexts", "%1 不是數字：「%2」").arg(ColumnText(error.Column), Bytes(error.Text));
    case CommonPointProblem::DuplicateId:
      return where + QCoreApplication::translate("DatumTexts", "點號重複（第 %1 行已用過）").arg(error.OtherLine);
    case CommonPointProblem::Degrees:
      return where + QCoreApplication::translate("DatumTexts", "%1 坐標 %2, %3 看來是度數；需要以公尺為單位的 TM2 橫坐標與縱坐標")
                         .arg(error.Column == 2 ? QStringLiteral("TWD67") : QStringLiteral("TWD97"))
                         .arg(QString::number(error.Value, 'g', 10), QString::number(error.Value2, 'g', 10));
    case CommonPointProblem::OffGrid:
      return where + QCoreApplication::translate("DatumTexts", "%1 %2 不在 %3 子午線的 TM2 坐標範圍內（%4 至 %5 m）")
                         .arg(ColumnText(error.Column), Figure(error.Value))
                         .arg(error.Meridian)
                         .arg(Figure(error.Low, 0), Figure(error.High, 0));
    case CommonPointProblem::ColumnsSwapped:
      return where + QCoreApplication::translate("DatumTexts", "TWD97 減 TWD67 為 %1, %2 m，方向相反：TWD67 與 TWD97 的欄位似乎對調了")
                         .arg(Figure(error.Value), Figure(error.Value2));
    case CommonPointProblem::ImplausibleShift:
      return where + QCoreApplication::translate("DatumTexts", "TWD97 減 TWD67 為 %1, %2 m，與一般的 +828, -207 m 相差超過 100 m；請檢查坐標")
                         .arg(Figure(error.Value), Figure(error.Value2));
    case CommonPointProblem::TooFewPoints:
      return QCoreApplication::translate("DatumTexts", "%1模型至少需要 %2 點，只有 %3 點").arg(ModelNamed(error.Text)).arg(error.Required).arg(error.Count);
    case CommonPointProblem::Coincident:
      return where + QCoreApplication::translate("DatumTexts", "與第 %1 行（%2）位置相同").arg(error.OtherLine).arg(Bytes(error.OtherId));
    case CommonPointProblem::Collinear:
      return QCoreApplication::translate("DatumTexts", "各點幾乎在一直線上（橫向散布 %1 m，沿線 %2 m）；%3模型需要兩個方向都有散布的點")
          .arg(Figure(error.Value), Figure(error.Value2), ModelNamed(error.Text));
  }
  return where + QCoreApplication::translate("DatumTexts", "共同點無法使用");
}

QString ModelFileErrorText(const ModelFileError& error) {
  const QString where = error.Line > 0 ? QCoreApplication::translate("DatumTexts", "第 %1 行：").arg(error.Line) : QString();
  switch (error.Kind) {
    case ModelFileProblem::NotAModelFile:
      return where + QCoreApplication::translate("DatumTexts", "不是平面模型檔（第一行不是它的標頭）");
    case ModelFileProblem::UnsupportedVersion:
      return where + QCoreApplication::translate("DatumTexts", "不支援平面模型檔版本 %1").arg(Bytes(error.Text));
    case ModelFileProblem::MissingKey:
      return where + QCoreApplication::translate("DatumTexts", "缺少「%1」").arg(Bytes(error.Key));
    case ModelFileProblem::BadValue:
      return where + QCoreApplication::translate("DatumTexts", "「%1」的值有誤：「%2」").arg(Bytes(error.Key), Bytes(error.Text));
    case ModelFileProblem::Invalid:
      return where + QCoreApplication::translate("DatumTexts", "模型無法使用：%1").arg(Bytes(error.Text));
    case ModelFileProblem::TrailingText:
      return where + QCoreApplication::translate("DatumTexts", "模型之後有多餘的文字：「%1」").arg(Bytes(error.Text));
  }
  return where + QCoreApplication::translate("DatumTexts", "無法讀取的平面模型檔");
}

QString DatumStepErrorText(const DatumStepError& error) {
  const int region = static_cast<int>(error.RegionIndex) + 1;
  switch (error.Kind) {
    case DatumStepProblem::NotADatumMode:
      return QCoreApplication::translate("DatumTexts", "轉換方式 %1 不轉換基準，只有轉換方式 9–12、15、16 用得到基準轉換")
          .arg(error.Mode + 1);
    case DatumStepProblem::NoTm2Grid:
      return QCoreApplication::translate("DatumTexts", "地區 %1 沒有二度分帶坐標，不能用擬合的基準轉換").arg(region);
    case DatumStepProblem::NoBuiltinModel:
      return QCoreApplication::translate("DatumTexts", "地區 %1 沒有內建的共同點模型").arg(region);
    case DatumStepProblem::NoTransform:
      return QCoreApplication::translate("DatumTexts", "擬合的基準轉換沒有模型");
    case DatumStepProblem::MeridianMismatch:
      return QCoreApplication::translate("DatumTexts", "模型擬合於 %1 子午線，地區 %2 的坐標卻在 %3 子午線")
          .arg(error.ModelMeridian)
          .arg(region)
          .arg(error.RegionMeridian);
    case DatumStepProblem::UnreadableModel:
      return QCoreApplication::translate("DatumTexts", "無法讀取模型檔 %1").arg(Bytes(error.Path));
    case DatumStepProblem::InvalidModel:
      return QCoreApplication::translate("DatumTexts", "模型檔 %1：%2")
          .arg(Bytes(error.Path), error.Model ? ModelFileErrorText(*error.Model) : QString());
  }
  return QCoreApplication::translate("DatumTexts", "無法使用的基準轉換");
}

QString StandardStepAccuracy(Region region) {
  if (region == kTaiwanRegion) {
    return QCoreApplication::translate("DatumTexts", "以台灣公開共同點量得 RMS %1").arg(MetresText(kStandardStepRmsTaiwan));
  }
  if (region == kIslandsRegion) {
    return QCoreApplication::translate("DatumTexts", "以澎湖公開共同點量得 RMS %1").arg(MetresText(kStandardStepRmsPenghu));
  }
  return QCoreApplication::translate("DatumTexts", "此地區沒有共同點可量其精度");
}

QString FitAccuracy(const FittedTransform& transform) {
  const FitSummary& summary = transform.Summary();
  return QCoreApplication::translate("DatumTexts", "%1，%2 點，留一法 RMS %3")
      .arg(PlaneModelText(transform.Model()))
      .arg(summary.PointCount)
      .arg(MetresText(summary.LooRms));
}

QString BuiltinStepAccuracy(Region region) {
  const auto transform = BuiltinTransform(RegionTm2Meridian(region).value_or(0));
  if (transform == nullptr) return QCoreApplication::translate("DatumTexts", "此地區沒有內建模型");
  if (region == kTaiwanRegion) return QCoreApplication::translate("DatumTexts", "台灣模型：%1").arg(FitAccuracy(*transform));
  return QCoreApplication::translate("DatumTexts", "澎湖模型：%1。金門、馬祖沒有實測的 TWD67 坐標，也沒有模型：其資料為外推").arg(FitAccuracy(*transform));
}

}  // namespace morvane
