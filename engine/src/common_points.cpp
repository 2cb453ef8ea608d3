#include "engine/common_points.hpp"

#include <array>
#include <cmath>
#include <cstdio>
#include <map>

#include "engine/plain_text.hpp"

namespace morvane {

namespace {

// TWD97 minus TWD67 in TM2 metres, about the same over Taiwan and Penghu (the shipped points
// run from +826 to +831 m and -193 to -209 m).
constexpr double kUsualShiftE = 828.0;
constexpr double kUsualShiftN = -207.0;
// A shift further than this from the usual one is a typing or copying mistake, not a datum.
constexpr double kShiftTolerance = 100.0;

struct GridRange {
  double MinE, MaxE, MinN, MaxN;
};

// Generous TM2 ranges: eastings 250 km either side of the false easting; northings from south of
// Orchid Island to north of Pengjia Islet on 121, around Penghu (23.1 to 23.9 degrees) on 119.
constexpr GridRange kTaiwanGrid{0.0, 500000.0, 2380000.0, 2900000.0};
constexpr GridRange kPenghuGrid{0.0, 500000.0, 2500000.0, 2720000.0};

const GridRange* GridOf(int meridian) {
  if (meridian == 121) return &kTaiwanGrid;
  if (meridian == 119) return &kPenghuGrid;
  return nullptr;
}

// Fields of one line: split on the first of ',' or ';' that the line has, else on runs of blanks.
// A field may be quoted with '"' ("" inside stands for one quote). Big5 ids pass whole: no Big5
// byte is a separator, a blank or a quote.
std::vector<std::string> SplitFields(std::string_view line) {
  char separator = 0;  // 0: runs of blanks
  if (line.find(',') != std::string_view::npos) {
    separator = ',';
  } else if (line.find(';') != std::string_view::npos) {
    separator = ';';
  }
  std::vector<std::string> fields;
  std::string field;
  bool started = false;
  bool quoted = false;
  for (std::size_t at = 0; at < line.size(); ++at) {
    const char c = line[at];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (at + 1 < line.size() && line[at + 1] == '"') {
        field += '"';
        ++at;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = started = true;
    } else if (separator != 0 ? c == separator : IsBlank(c)) {
      if (separator != 0 || started) fields.emplace_back(TrimBlanks(field));
      field.clear();
      started = false;
    } else {
      field += c;
      started = true;
    }
  }
  if (separator != 0 || started) fields.emplace_back(TrimBlanks(field));
  return fields;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// Where each wanted column sits in a line: id, TWD67 E, N, TWD97 E, N, and the meridian (or -1).
struct ColumnLayout {
  std::array<int, 6> Index{0, 1, 2, 3, 4, -1};
  int Count = 5;
};

// The layout a header names, if it names all five coordinate columns.
std::optional<ColumnLayout> LayoutOfHeader(const std::vector<std::string>& fields) {
  static constexpr std::array<std::string_view, 6> kNames = {"id", "twd67_e", "twd67_n", "twd97_e",
                                                             "twd97_n", "tm2_meridian"};
  ColumnLayout layout;
  layout.Index.fill(-1);
  layout.Count = static_cast<int>(fields.size());
  for (std::size_t field = 0; field < fields.size(); ++field) {
    const std::string name = Lower(fields[field]);
    for (std::size_t wanted = 0; wanted < kNames.size(); ++wanted) {
      if (name == kNames[wanted] && layout.Index[wanted] < 0) layout.Index[wanted] = static_cast<int>(field);
    }
  }
  for (std::size_t wanted = 0; wanted < 5; ++wanted) {
    if (layout.Index[wanted] < 0) return std::nullopt;
  }
  return layout;
}

// A first line none of whose fields after the first is a number (a data line with a typo in
// one coordinate still has numbers in the others).
bool IsHeader(const std::vector<std::string>& fields) {
  for (std::size_t field = 1; field < fields.size(); ++field) {
    if (ParseDecimal(fields[field])) return false;
  }
  return true;
}

CommonPointError ErrorAt(CommonPointProblem kind, int line, std::string id = {}) {
  CommonPointError error;
  error.Kind = kind;
  error.Line = line;
  error.Id = std::move(id);
  return error;
}

std::optional<CommonPointError> CheckDegrees(const CommonPoint& point) {
  const std::array<std::array<double, 2>, 2> pairs = {{{point.E67, point.N67}, {point.E97, point.N97}}};
  for (std::size_t pair = 0; pair < pairs.size(); ++pair) {
    const double e = pairs[pair][0];
    const double n = pairs[pair][1];
    if (std::fabs(e) <= 360.0 && std::fabs(n) <= 90.0) {
      CommonPointError error = ErrorAt(CommonPointProblem::Degrees, point.Line, point.Id);
      error.Column = pair == 0 ? 2 : 4;
      error.Value = e;
      error.Value2 = n;
      return error;
    }
  }
  return std::nullopt;
}

std::optional<CommonPointError> CheckGrid(const CommonPoint& point, int meridian, const GridRange& grid) {
  const std::array<double, 4> values = {point.E67, point.N67, point.E97, point.N97};
  for (std::size_t i = 0; i < values.size(); ++i) {
    const bool easting = i % 2 == 0;
    const double low = easting ? grid.MinE : grid.MinN;
    const double high = easting ? grid.MaxE : grid.MaxN;
    if (values[i] >= low && values[i] <= high) continue;
    CommonPointError error = ErrorAt(CommonPointProblem::OffGrid, point.Line, point.Id);
    error.Column = static_cast<int>(i) + 2;
    error.Meridian = meridian;
    error.Value = values[i];
    error.Low = low;
    error.High = high;
    return error;
  }
  return std::nullopt;
}

std::optional<CommonPointError> CheckShift(const CommonPoint& point) {
  const double shiftE = point.E97 - point.E67;
  const double shiftN = point.N97 - point.N67;
  const double fromUsual = std::hypot(shiftE - kUsualShiftE, shiftN - kUsualShiftN);
  const double fromReversed = std::hypot(shiftE + kUsualShiftE, shiftN + kUsualShiftN);
  CommonPointProblem kind;
  if (fromReversed < fromUsual) {
    kind = CommonPointProblem::ColumnsSwapped;
  } else if (fromUsual > kShiftTolerance) {
    kind = CommonPointProblem::ImplausibleShift;
  } else {
    return std::nullopt;
  }
  CommonPointError error = ErrorAt(kind, point.Line, point.Id);
  error.Value = shiftE;
  error.Value2 = shiftN;
  return error;
}

// Reads one data line into `point`, or says why it cannot.
std::optional<CommonPointError> ReadPoint(const std::vector<std::string>& fields, const ColumnLayout& layout,
                                          int line, CommonPoint& point) {
  if (static_cast<int>(fields.size()) != layout.Count) {
    CommonPointError error = ErrorAt(CommonPointProblem::WrongColumnCount, line);
    error.Count = static_cast<int>(fields.size());
    error.Required = layout.Count;
    return error;
  }
  point.Id = fields[static_cast<std::size_t>(layout.Index[0])];
  point.Line = line;
  std::array<double*, 4> targets = {&point.E67, &point.N67, &point.E97, &point.N97};
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const std::string& field = fields[static_cast<std::size_t>(layout.Index[i + 1])];
    const auto value = ParseDecimal(field);
    if (!value) {
      CommonPointError error = ErrorAt(CommonPointProblem::NotANumber, line, point.Id);
      error.Column = static_cast<int>(i) + 2;
      error.Text = field;
      return error;
    }
    *targets[i] = *value;
  }
  return std::nullopt;
}

std::string Figure(double value, const char* format = "%.3f") {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string_view ColumnName(int column) {
  static constexpr std::array<std::string_view, 7> kNames = {"?",       "id",      "TWD67 E",     "TWD67 N",
                                                             "TWD97 E", "TWD97 N", "tm2_meridian"};
  return column >= 1 && column <= 6 ? kNames[static_cast<std::size_t>(column)] : kNames[0];
}

// "line 4 (N325): ", "line 4: " or "".
std::string Where(int line, const std::string& id) {
  std::string where;
  if (line > 0) where = "line " + std::to_string(line);
  if (!id.empty()) where += (where.empty() ? "" : " ") + ("(" + id + ")");
  return where.empty() ? where : where + ": ";
}

}  // namespace

CommonPointsResult ReadCommonPoints(std::string_view text, int meridian) {
  CommonPointsResult result;
  if (!GridOf(meridian)) {
    CommonPointError error = ErrorAt(CommonPointProblem::UnsupportedMeridian, 0);
    error.Meridian = meridian;
    result.Error = error;
    return result;
  }
  static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());

  ColumnLayout layout;
  bool firstLine = true;
  MeaningfulLines lines(text);
  while (const auto line = lines.Next()) {
    const int lineNumber = lines.Number();
    const std::vector<std::string> fields = SplitFields(*line);
    if (firstLine) {
      firstLine = false;
      if (IsHeader(fields)) {
        if (const auto named = LayoutOfHeader(fields)) layout = *named;
        continue;
      }
    }
    CommonPoint point;
    if (auto error = ReadPoint(fields, layout, lineNumber, point)) {
      result.Error = error;
      return result;
    }
    if (layout.Index[5] >= 0) {
      const std::string& field = fields[static_cast<std::size_t>(layout.Index[5])];
      const auto rowMeridian = ParseDecimal(field);
      if (!rowMeridian) {
        CommonPointError error = ErrorAt(CommonPointProblem::NotANumber, lineNumber, point.Id);
        error.Column = 6;
        error.Text = field;
        result.Error = error;
        return result;
      }
      if (*rowMeridian != meridian) continue;  // another region's row
    }
    result.Points.push_back(std::move(point));
  }
  result.Error = CheckCommonPoints(result.Points, meridian);
  return result;
}

std::optional<CommonPointError> CheckCommonPoints(const std::vector<CommonPoint>& points, int meridian) {
  const GridRange* grid = GridOf(meridian);
  if (!grid) {
    CommonPointError error = ErrorAt(CommonPointProblem::UnsupportedMeridian, 0);
    error.Meridian = meridian;
    return error;
  }
  std::map<std::string, int, std::less<>> firstLines;
  for (const CommonPoint& point : points) {
    if (auto error = CheckDegrees(point)) return error;
    if (auto error = CheckGrid(point, meridian, *grid)) return error;
    if (auto error = CheckShift(point)) return error;
    const auto [first, added] = firstLines.emplace(point.Id, point.Line);
    if (!added) {
      CommonPointError error = ErrorAt(CommonPointProblem::DuplicateId, point.Line, point.Id);
      error.OtherLine = first->second;
      return error;
    }
  }
  return std::nullopt;
}

std::string DescribeInEnglish(const CommonPointError& error) {
  const std::string where = Where(error.Line, error.Id);
  switch (error.Kind) {
    case CommonPointProblem::UnsupportedMeridian:
      return "the TM2 meridian must be 121 (Taiwan) or 119 (Penghu), not " + std::to_string(error.Meridian);
    case CommonPointProblem::WrongColumnCount:
      if (error.Required == 5) {
        return where + "expected 5 columns (id, TWD67 E, TWD67 N, TWD97 E, TWD97 N), found " +
               std::to_string(error.Count);
      }
      return where + "expected " + std::to_string(error.Required) + " columns as in the header, found " +
             std::to_string(error.Count);
    case CommonPointProblem::NotANumber:
      return where + std::string(ColumnName(error.Column)) + " is not a number: \"" + error.Text + "\"";
    case CommonPointProblem::DuplicateId:
      return where + "the id is used again (first on line " + std::to_string(error.OtherLine) + ")";
    case CommonPointProblem::Degrees:
      return where + (error.Column == 2 ? "TWD67" : "TWD97") + " coordinates " + Figure(error.Value, "%.10g") +
             ", " + Figure(error.Value2, "%.10g") +
             " look like degrees; TM2 eastings and northings in metres are needed";
    case CommonPointProblem::OffGrid:
      return where + std::string(ColumnName(error.Column)) + " " + Figure(error.Value) + " is off the TM2 grid of the " +
             std::to_string(error.Meridian) + " meridian (" + Figure(error.Low, "%.0f") + " to " +
             Figure(error.High, "%.0f") + " m)";
    case CommonPointProblem::ColumnsSwapped:
      return where + "TWD97 minus TWD67 is " + Figure(error.Value) + ", " + Figure(error.Value2) +
             " m, the wrong way round: the TWD67 and TWD97 columns look swapped";
    case CommonPointProblem::ImplausibleShift:
      return where + "TWD97 minus TWD67 is " + Figure(error.Value) + ", " + Figure(error.Value2) +
             " m, more than 100 m from the usual +828, -207 m; check the coordinates";
    case CommonPointProblem::TooFewPoints:
      return "the " + error.Text + " model needs at least " + std::to_string(error.Required) + " points, " +
             std::to_string(error.Count) + " given";
    case CommonPointProblem::Coincident:
      return where + "in the same spot as line " + std::to_string(error.OtherLine) + " (" + error.OtherId + ")";
    case CommonPointProblem::Collinear:
      return "the points lie on one line (spread " + Figure(error.Value) + " m across it, " + Figure(error.Value2) +
             " m along it); the " + error.Text + " model needs points spread in both directions";
  }
  return where + "unusable common points";
}

}  // namespace morvane
