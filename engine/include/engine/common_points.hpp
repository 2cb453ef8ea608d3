// Common points: places whose coordinates are known both in TWD67 and in TWD97, as two-degree
// Transverse Mercator (TM2) eastings and northings in metres on one meridian's grid (121 for
// Taiwan, 119 for Penghu). A plane transform is fitted to them (plane_fit.hpp).
//
// The reader parses text, never files: the front ends read the bytes and pass them in. Every
// refusal is data (CommonPointError): a kind, the line, the id and the figures involved, so
// that each front end words it in its own language. DescribeInEnglish words it for the
// command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

struct CommonPoint {
  std::string Id;  // as written: UTF-8, or Big5 or other bytes kept verbatim
  double E67 = 0;  // TWD67 TM2 easting, metres
  double N67 = 0;  // TWD67 TM2 northing, metres
  double E97 = 0;  // TWD97 TM2 easting, metres
  double N97 = 0;  // TWD97 TM2 northing, metres
  int Line = 0;    // 1-based line of the text it came from; 0 if it came from elsewhere
};

// Why a set of common points (or a point file) cannot be used.
enum class CommonPointProblem {
  UnsupportedMeridian,  // Meridian: the meridian asked for (only 121 and 119 have a grid)
  WrongColumnCount,     // Count: columns found; Required: columns wanted
  NotANumber,           // Column: 1-based column; Text: the field as written
  DuplicateId,          // Id; Line; OtherLine: the line of its first use
  Degrees,              // Column (2 or 4); Value, Value2: an easting and northing that look like
                        // degrees (within +-360 and +-90), not TM2 metres
  OffGrid,              // Column; Value; Low and High: the range accepted on Meridian's grid
  ColumnsSwapped,       // Value: E97 - E67; Value2: N97 - N67 (about -828 m, +207 m when swapped)
  ImplausibleShift,     // Value: E97 - E67; Value2: N97 - N67, too far from about +828 m, -207 m
  TooFewPoints,         // Count: points given; Required: points the model needs; Text: the model
  Coincident,           // Id and Line; OtherId and OtherLine: two points in the same spot
  Collinear,            // Value: spread across the best line (m); Value2: along it; Text: the model
};

struct CommonPointError {
  CommonPointProblem Kind = CommonPointProblem::TooFewPoints;
  int Line = 0;       // 1-based line in the text; 0 when the whole set is at fault
  std::string Id;     // the point at fault, if one is
  int Column = 0;     // 1 id, 2 TWD67 E, 3 TWD67 N, 4 TWD97 E, 5 TWD97 N, 6 tm2_meridian
  int Meridian = 0;   // the meridian of the grid checked against
  std::string Text;   // the field as written, for NotANumber
  int Count = 0;
  int Required = 0;
  int OtherLine = 0;
  std::string OtherId;
  double Value = 0;
  double Value2 = 0;
  double Low = 0;
  double High = 0;
};

// The points read, or why they could not be.
struct CommonPointsResult {
  std::vector<CommonPoint> Points;
  std::optional<CommonPointError> Error;  // the first problem found; none when the points are usable
  bool Ok() const { return !Error.has_value(); }
};

// Reads common points from CSV (comma or semicolon) or whitespace-separated text. Each data
// line holds: id, TWD67 E, TWD67 N, TWD97 E, TWD97 N. Blank lines and lines starting with '#'
// are skipped; a UTF-8 byte order mark is dropped; line ends may be LF or CRLF.
// A first line with no number after its first field is a header. A header that names the columns
// id, twd67_e, twd67_n, twd97_e and twd97_n (any order, other columns ignored) picks them by
// name; if it also has a tm2_meridian column, only the rows of `meridian` are read (so the
// shipped data file serves both regions). Without such a header a row has exactly five fields.
// Ids are kept as bytes; fields may be quoted with '"'.
// Then CheckCommonPoints runs on what was read. Stops at the first problem.
CommonPointsResult ReadCommonPoints(std::string_view text, int meridian);

// The checks that do not depend on the model, in this order for each point: a pair that looks
// like degrees (easting within +-360, northing within +-90), coordinates off the meridian's grid (eastings
// outside 0..500 000 m; northings outside 2 380 000..2 900 000 m on 121, 2 500 000..2 720 000 m
// on 119, which keeps Green Island, Orchid Island and Pengjia Islet in), TWD67 and TWD97 swapped
// (the shift runs nearer to (-828, +207) m than to (+828, -207) m), a shift more than 100 m
// from (+828, -207) m, and ids used twice. Returns the first problem, or nothing.
std::optional<CommonPointError> CheckCommonPoints(const std::vector<CommonPoint>& points, int meridian);

// One English sentence for the command line, naming the line and the id where there is one, e.g.
// "line 4 (N325): TWD67 N is not a number: \"2786x70\"".
std::string DescribeInEnglish(const CommonPointError& error);

}  // namespace morvane
