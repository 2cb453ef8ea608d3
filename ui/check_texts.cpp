#include "check_texts.hpp"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>
#include <cmath>

#include "engine/mode_table.hpp"
#include "texts.hpp"

namespace morvane {
namespace {

// The context of the findings' translations.
class CheckTexts {
  Q_DECLARE_TR_FUNCTIONS(morvane::CheckTexts)
};

// Whole metres for grid values, four decimals for degrees, no trailing zeros: as the command
// line shows them.
QString Number(double value) {
  if (std::isnan(value)) return CheckTexts::tr("非數值");
  if (std::isinf(value)) return value > 0 ? CheckTexts::tr("無限大") : CheckTexts::tr("負無限大");
  const double rounded = std::fabs(value) >= 1000 ? std::round(value) : std::round(value * 1e4) / 1e4;
  return QString::number(rounded == 0 ? 0.0 : rounded, 'f', QLocale::FloatingPointShortest);
}

QString BoxWords(const Box& box) {
  return CheckTexts::tr("橫坐標 %1 至 %2，縱坐標 %3 至 %4")
      .arg(Number(box.Xmin), Number(box.Xmax), Number(box.Ymin), Number(box.Ymax));
}

QString RegionName(Region region) {
  switch (region) {
    case kTaiwanRegion:
      return CheckTexts::tr("台灣地區");
    case kIslandsRegion:
      return CheckTexts::tr("澎湖、金門、馬祖");
    default:
      break;
  }
  return CheckTexts::tr("大陸地區");
}

QString RegionNumber(Region region) {
  return QString::number(kRegions.at(static_cast<std::size_t>(region)).Number);
}

QString ModeNumber(TransformMode mode) { return QString::number(RowOf(mode).Number); }

QString DatumName(NamedDatum datum) {
  switch (datum) {
    case NamedDatum::Twd67:
      return CheckTexts::tr("1967 台灣大地基準");
    case NamedDatum::Twd97:
      return CheckTexts::tr("1997 台灣大地基準");
    case NamedDatum::Wgs84:
      return CheckTexts::tr("1984 世界大地基準");
    case NamedDatum::Unknown:
      break;
  }
  return {};
}

QString GridName(NamedGrid grid) {
  switch (grid) {
    case NamedGrid::Geographic:
      return CheckTexts::tr("經緯度");
    case NamedGrid::Tm2:
      return CheckTexts::tr("二度分帶坐標");
    case NamedGrid::Tm3:
      return CheckTexts::tr("三度分帶坐標");
    case NamedGrid::Utm:
      return CheckTexts::tr("通用橫麥卡托坐標");
    case NamedGrid::Lambert:
      break;
  }
  return CheckTexts::tr("蘭勃特方格坐標");
}

// "1997 台灣大地基準的二度分帶坐標（中央經線東經 121°）".
QString SystemName(const NamedSystem& system) {
  const QString datum = DatumName(system.Datum);
  QString name = datum.isEmpty() ? GridName(system.Grid) : CheckTexts::tr("%1的%2").arg(datum, GridName(system.Grid));
  if (system.Grid != NamedGrid::Geographic && system.CentralMeridian)
    name += CheckTexts::tr("（中央經線東經 %1°）").arg(Number(*system.CentralMeridian));
  return name;
}

// What coordinates outside the extent resemble, to end the sentence; empty for nothing.
QString LookAlikeWords(LookAlike alike, Region other) {
  switch (alike) {
    case LookAlike::Nothing:
      break;
    case LookAlike::OtherRegion:
      return CheckTexts::tr("；看來是另一地區（地區 %1，%2）的坐標").arg(RegionNumber(other), RegionName(other));
    case LookAlike::Degrees:
      return CheckTexts::tr("；看來是以度為單位的經緯度");
    case LookAlike::TmMetres:
      return CheckTexts::tr("；看來是橫麥卡托方格的公尺數");
    case LookAlike::LambertMetres:
      return CheckTexts::tr("；看來是蘭勃特方格的公尺數");
  }
  return {};
}

// The run's error behind an unreadable finding: the one the check kept, or, for a reason that
// came without it, what its figures give (its English words when they give nothing).
ErrorDetails UnreadableDetails(const CheckReason& reason) {
  if (reason.Error.Kind != ErrorKind::Other) return reason.Error;
  ErrorDetails details = DetailsOf(ErrorKind::Other, reason.Path);
  switch (reason.Finding) {
    case CheckFinding::NotAShapefile:
      details.Kind = ErrorKind::NotShapefile;
      break;
    case CheckFinding::ShortHeader:
      details.Kind = ErrorKind::ShortHeader;
      break;
    case CheckFinding::LengthBeyondFile:
      details.Kind = ErrorKind::HeaderLength;
      details.Figures = {static_cast<std::int64_t>(reason.StatedBytes), static_cast<std::int64_t>(reason.FileBytes)};
      break;
    case CheckFinding::CompanionMissing:
      details.Kind = ErrorKind::MissingCompanion;
      break;
    default:
      details.Reason = reason.Detail;
      break;
  }
  return details;
}

// The region the findings of a check are about: the one of its first finding that names one.
Region ChosenRegion(const InputCheck& check) {
  for (const CheckReason& reason : check.Reasons) {
    switch (reason.Finding) {
      case CheckFinding::NotNumbers:
      case CheckFinding::OutsideExtent:
      case CheckFinding::InAnotherRegion:
      case CheckFinding::RegionNotForMode:
      case CheckFinding::PrjNamesAnother:
        return reason.RegionIndex;
      default:
        break;
    }
  }
  return kTaiwanRegion;
}

}  // namespace

QString CheckReasonWords(const CheckReason& reason) {
  const QString name = ShownFileName(reason.Path);
  switch (reason.Finding) {
    case CheckFinding::NoPoints:
      return CheckTexts::tr("%1 沒有任何點。").arg(name);
    case CheckFinding::NotNumbers:
      return CheckTexts::tr("%1 有些坐標不是數值（非數值或無限大）。").arg(name);
    case CheckFinding::OutsideExtent:
      return CheckTexts::tr("%1 的坐標（%2）不在%3的%4合理範圍（%5）之內%6。")
          .arg(name, BoxWords(reason.Seen), RegionName(reason.RegionIndex), SystemName(reason.Source),
               BoxWords(reason.Extent), LookAlikeWords(reason.Resembles, reason.OtherRegion));
    case CheckFinding::InAnotherRegion:
      return CheckTexts::tr("%1 的坐標（%2）全在%3，應選地區 %4：那裡的方格有自己的中央經線。")
          .arg(name, BoxWords(reason.Seen), RegionName(reason.OtherRegion), RegionNumber(reason.OtherRegion));
    case CheckFinding::RegionNotForMode:
      return CheckTexts::tr("%1 無法以轉換方式 %2 在地區 %3（%4）轉換：這個方式用地區的中央經線，而地區 %3 沒有設定，只適用蘭勃特轉換方式 7 和 8。")
          .arg(name, ModeNumber(reason.Mode), RegionNumber(reason.RegionIndex), RegionName(reason.RegionIndex));
    case CheckFinding::PrjNamesAnother:
      return CheckTexts::tr("%1 記載的是%2，但轉換方式 %3 的來源是%4。")
          .arg(name, SystemName(reason.Named), ModeNumber(reason.Mode), SystemName(reason.Source));
    case CheckFinding::CompanionMissing:
    case CheckFinding::NotAShapefile:
    case CheckFinding::ShortHeader:
    case CheckFinding::LengthBeyondFile:
    case CheckFinding::DamagedRecord:
    case CheckFinding::CannotRead:
      break;
  }
  return ProblemText(UnreadableDetails(reason));
}

QString FittingModesWords(const std::vector<ModeFit>& fits, Region chosen, const std::string& mainPath) {
  if (fits.empty()) return {};
  QStringList modes;
  for (const ModeFit& fit : fits) {
    modes << (fit.RegionIndex == chosen ? ModeNumber(fit.Mode)
                                         : CheckTexts::tr("%1（地區 %2）").arg(ModeNumber(fit.Mode), RegionNumber(fit.RegionIndex)));
  }
  return CheckTexts::tr("%1 的投影檔符合轉換方式 %2。").arg(ShownFileName(mainPath), modes.join(CheckTexts::tr("、")));
}

QString CheckWords(const InputCheck& check, const std::string& mainPath) {
  QStringList lines;
  for (const CheckReason& reason : check.Reasons) lines << CheckReasonWords(reason);
  const QString fits = FittingModesWords(check.FittingModes, ChosenRegion(check), mainPath);
  if (!fits.isEmpty()) lines << fits;
  return lines.join(u'\n');
}

}  // namespace morvane
