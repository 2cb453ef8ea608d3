// The preview pane of the window, driven like a user would: a file clicked in the list is
// drawn before and after the chosen conversion, where the engine puts it, over the coastline.
// The drawn paths are compared with the engine's own conversion of every vertex, read back
// with an independent shapefile reader.
#include <shapefil.h>

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "main_window.hpp"
#include "recording_dialogs.hpp"
#include "shapefile/folder_listing.hpp"
#include "support/messages.hpp"
#include "support/shapefile_writer.hpp"
#include "support/squares_shapefile.hpp"
#include "window_fixture.hpp"

namespace morvane {
namespace {

using LonLat = std::pair<double, double>;
using Path = std::vector<LonLat>;

// The paths a shapefile holds by an independent reader: each part, and each point on its own.
std::vector<Path> PathsOf(const std::string& shpPath) {
  std::vector<Path> paths;
  SHPHandle handle = SHPOpen(shpPath.c_str(), "rb");
  if (handle == nullptr) return paths;
  int count = 0;
  int type = 0;
  SHPGetInfo(handle, &count, &type, nullptr, nullptr);
  for (int i = 0; i < count; ++i) {
    SHPObject* shape = SHPReadObject(handle, i);
    if (shape == nullptr) continue;
    const bool points = shape->nParts == 0;
    for (int v = 0; v < shape->nVertices; ++v) {
      const bool starts = points || v == 0 ||
                          std::find(shape->panPartStart, shape->panPartStart + shape->nParts, v) !=
                              shape->panPartStart + shape->nParts;
      if (starts) paths.emplace_back();
      paths.back().push_back({shape->padfX[v], shape->padfY[v]});
    }
    SHPDestroyObject(shape);
  }
  SHPClose(handle);
  return paths;
}

// Every vertex through the engine's modes in turn, each with the region's settings.
std::vector<Path> Converted(std::vector<Path> paths, const std::vector<Mode>& modes, Region region) {
  test::IgnoringMessages quiet;
  for (Mode mode : modes) {
    EngineState state(quiet);
    ApplyTransformSettings(state, IndexOf(mode), region);
    for (Path& path : paths) {
      for (LonLat& point : path) {
        ConvertPoint(state, IndexOf(mode), point.first, point.second, point.first, point.second);
      }
    }
  }
  return paths;
}

// Whether `painted` is `expected` on the map, with vertices that share a pixel left out: in
// order, first and last kept, each within a hundredth of a pixel.
bool DrawnAs(const QPolygonF& painted, const Path& expected, const MapView& map) {
  if (painted.isEmpty()) return false;
  std::size_t at = 0;
  const auto near = [&](const QPointF& point, const LonLat& lonLat) {
    return QLineF(point, map.ToScreen(lonLat.first, lonLat.second)).length() < 0.01;
  };
  if (!near(painted.front(), expected.front()) || !near(painted.back(), expected.back())) return false;
  for (const QPointF& point : painted) {
    while (at < expected.size() && !near(point, expected[at])) ++at;
    if (at == expected.size()) return false;
    ++at;
  }
  return true;
}

double KilometresBetween(const LonLat& a, const LonLat& b) {
  const double cosine = std::cos((a.second + b.second) / 2 * kPi / 180);
  return std::hypot((a.first - b.first) * cosine, a.second - b.second) * 111.32;
}

double KilometresFromCoast(const LonLat& point, const ShapeSample& coast) {
  double nearest = INFINITY;
  for (std::size_t i = 0; i + 1 < coast.Coordinates.size(); i += 2) {
    nearest = std::min(nearest, KilometresBetween(point, {coast.Coordinates[i], coast.Coordinates[i + 1]}));
  }
  return nearest;
}

// Segments of the data on the map, in pixels, filed by the cells of a grid that they cross so
// that those near a point are found at once.
class DataSegments {
 public:
  explicit DataSegments(QSize size) : columns_(size.width() / kCell + 3), rows_(size.height() / kCell + 3) {}

  void AddPath(const std::vector<QPointF>& path) {
    for (std::size_t i = 0; i + 1 < path.size(); ++i) segments_.emplace_back(path[i], path[i + 1]);
    if (path.size() == 1) segments_.emplace_back(path[0], path[0]);
  }
  // Files the segments added; call before Distance.
  void File() {
    starts_.assign(static_cast<std::size_t>(columns_ * rows_) + 1, 0);
    ForEachCell([&](std::size_t cell, std::uint32_t) { ++starts_[cell + 1]; });
    for (std::size_t i = 1; i < starts_.size(); ++i) starts_[i] += starts_[i - 1];
    filed_.resize(starts_.back());
    std::vector<std::uint32_t> next(starts_.begin(), starts_.end() - 1);
    ForEachCell([&](std::size_t cell, std::uint32_t segment) { filed_[next[cell]++] = segment; });
  }
  // The distance from `point` to the nearest segment, as far as a cell around it reaches.
  double Distance(QPointF point) const {
    double nearest = INFINITY;
    const int column = Column(point.x());
    const int row = Row(point.y());
    for (int r = std::max(row - 1, 0); r <= std::min(row + 1, rows_ - 1); ++r) {
      for (int c = std::max(column - 1, 0); c <= std::min(column + 1, columns_ - 1); ++c) {
        const std::size_t cell = static_cast<std::size_t>(r * columns_ + c);
        for (std::uint32_t i = starts_[cell]; i < starts_[cell + 1]; ++i) {
          nearest = std::min(nearest, DistanceTo(segments_[filed_[i]], point));
          if (nearest < 1e-6) return nearest;
        }
      }
    }
    return nearest;
  }

 private:
  static constexpr int kCell = 3;  // pixels, no less than the distance the test allows
  static double DistanceTo(const QLineF& segment, QPointF point) {
    const QPointF d = segment.p2() - segment.p1();
    const double length2 = QPointF::dotProduct(d, d);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(point - segment.p1(), d) / length2, 0.0, 1.0) : 0;
    return QLineF(segment.p1() + t * d, point).length();
  }
  int Column(double x) const { return std::clamp(static_cast<int>(std::floor(x / kCell)) + 1, 0, columns_ - 1); }
  int Row(double y) const { return std::clamp(static_cast<int>(std::floor(y / kCell)) + 1, 0, rows_ - 1); }
  template <typename Visit>
  void ForEachCell(const Visit& visit) const {
    for (std::uint32_t i = 0; i < segments_.size(); ++i) {
      const QLineF& segment = segments_[i];
      const int c1 = Column(std::max(segment.x1(), segment.x2()));
      const int r1 = Row(std::max(segment.y1(), segment.y2()));
      for (int r = Row(std::min(segment.y1(), segment.y2())); r <= r1; ++r) {
        for (int c = Column(std::min(segment.x1(), segment.x2())); c <= c1; ++c) visit(static_cast<std::size_t>(r * columns_ + c), i);
      }
    }
  }

  int columns_;
  int rows_;
  std::vector<QLineF> segments_;
  std::vector<std::uint32_t> starts_;  // of each cell's segments in filed_
  std::vector<std::uint32_t> filed_;
};

constexpr Mode kTm2ToGeographic = Mode::Twd67Tm2ToTwd67Geographic;
constexpr Mode kGeographicToTm2 = Mode::Twd67GeographicToTwd67Tm2;
constexpr Mode kTwd67Tm2ToTwd97Tm2 = Mode::Twd67Tm2ToTwd97Tm2;
constexpr Mode kTwd97Tm2ToGeographic = Mode::Twd97Tm2ToTwd97Geographic;

}  // namespace

class PreviewTest : public test::WindowFixture {
  Q_OBJECT

 private slots:
  void hiddenUntilAFileIsClicked();
  void samplesDrawWhereTheEngineConvertsThem();
  void afterLayerMovesByTheDatumShift();
  void wrongRegionLandsAwayFromTheCoast();
  void everyShapeTypeDrawsAndNullShapesDoNot();
  void fileWithoutShapesShowsAnEmptyMap();
  void missingCoastlineStillDrawsTheFile();
  void wheelZoomsDragPansAndFitShowsTheFile();
  void manySmallShapesDrawOnlyTheirOwnSegmentsAndFitTheHeaderBox();

 private:
  MapView* Map() const { return Control<MapView>("PreviewMap"); }
  void CopySamples();
  // Lists the folder and clicks `name` in the list; the map is painted.
  void Preview(const std::string& name);
  void Paint() { Map()->grab(); }
  void CheckLayer(const PaintedLayer& painted, const std::vector<Path>& expected);
};

void PreviewTest::CopySamples() {
  const QDir samples(QStringLiteral(MORVANE_SAMPLES_DIR));
  for (const QString& file : samples.entryList({"*.shp", "*.shx", "*.dbf"}, QDir::Files)) {
    QVERIFY(QFile::copy(samples.filePath(file), dir_->filePath(file)));
  }
}

void PreviewTest::Preview(const std::string& name) {
  // Listed anew, with whatever the folder holds now.
  auto* tree = Control<FolderTree>("ShellTreeView1");
  tree->setCurrentItem(tree->ComputerItem());
  QVERIFY(tree->SelectPath(Folder()));
  auto* list = Control<CheckList>("CheckListBox1");
  for (int row = 0; row < list->count(); ++row) {
    if (list->Name(row) != name) continue;
    list->setCurrentRow(-1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    QCOMPARE(list->currentRow(), row);
    Paint();
    return;
  }
  QFAIL(("not listed: " + name).c_str());
}

void PreviewTest::CheckLayer(const PaintedLayer& painted, const std::vector<Path>& expected) {
  QCOMPARE(painted.Paths.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    QVERIFY2(DrawnAs(painted.Paths[i], expected[i], *Map()), qPrintable(QString::number(i)));
  }
}

void PreviewTest::hiddenUntilAFileIsClicked() {
  auto* pane = Control<PreviewPane>("PreviewPane");
  QVERIFY(pane != nullptr);
  QVERIFY(!pane->isVisible());
  QCOMPARE(form_->width(), 712);
  CopySamples();
  Preview("roads.shp");
  QVERIFY(pane->isVisible());
  // The window widened for it; step two keeps its own width and every control its place.
  QVERIFY(form_->width() > 712 + 300);
  QCOMPARE(Control<QGroupBox>("GroupBox1")->width(), 712);
  QCOMPARE(Control<FolderTree>("ShellTreeView1")->geometry(), QRect(16, 24, 281, 281));
  QCOMPARE(Control<CheckList>("CheckListBox1")->geometry(), QRect(312, 48, 385, 257));
  QVERIFY(pane->geometry().left() >= 712);
  QVERIFY(dialogs_->Boxes.empty());
}

void PreviewTest::samplesDrawWhereTheEngineConvertsThem() {
  CopySamples();
  struct Case {
    const char* Name;
    std::size_t Paths;
  };
  // Nine towns; two roads, one of two parts; three rivers; three areas, one with a hole.
  for (const Case& c : {Case{"towns.shp", 9}, Case{"roads.shp", 3}, Case{"河川.shp", 3}, Case{"areas.shp", 4}}) {
    Preview(c.Name);
    const std::vector<Path> file = PathsOf(JoinPath(Folder(), c.Name));
    QCOMPARE(file.size(), c.Paths);
    // Mode 01 from TM2: before, the grid read back to geographic; after, the mode's output.
    const std::vector<Path> geographic = Converted(file, {kTm2ToGeographic}, kTaiwanRegion);
    CheckLayer(Map()->PaintedBefore(), geographic);
    CheckLayer(Map()->PaintedAfter(), geographic);
    // Mode 02 reads the same numbers as longitudes and latitudes, which they cannot be:
    // nothing draws, and the status counts every vertex of both layers as undrawable.
    ChooseMode(kGeographicToTm2);
    Paint();
    QVERIFY(Map()->PaintedBefore().Paths.empty());
    QVERIFY(Map()->PaintedAfter().Paths.empty());
    std::size_t vertices = 0;
    for (const Path& path : file) vertices += path.size();
    const QString undrawable = QStringLiteral("無法繪出的點：轉換前 %1、轉換後 %1").arg(vertices);
    QVERIFY2(Control<PreviewPane>("PreviewPane")->Status().contains(undrawable),
             qPrintable(Control<PreviewPane>("PreviewPane")->Status()));
    ChooseMode(kTm2ToGeographic);
    QVERIFY(!Control<PreviewPane>("PreviewPane")->Status().contains(QStringLiteral("無法繪出")));
    // Drawn on Taiwan: every vertex within 25 km of the coastline's box around the island.
    for (const Path& path : geographic) {
      for (const LonLat& point : path) QVERIFY(point.first > 119.9 && point.first < 122.1 && point.second > 21.8 && point.second < 25.4);
    }
  }
  QVERIFY(!Map()->PaintedCoastline().Paths.empty());
  QVERIFY(dialogs_->Boxes.empty());
}

void PreviewTest::afterLayerMovesByTheDatumShift() {
  CopySamples();
  ChooseMode(kTwd67Tm2ToTwd97Tm2);  // user mode 11, region 1 Taiwan
  Preview("towns.shp");
  const std::vector<Path> file = PathsOf(JoinPath(Folder(), "towns.shp"));
  CheckLayer(Map()->PaintedBefore(), Converted(file, {kTm2ToGeographic}, kTaiwanRegion));
  CheckLayer(Map()->PaintedAfter(), Converted(file, {kTwd67Tm2ToTwd97Tm2, kTwd97Tm2ToGeographic}, kTaiwanRegion));
  const double metresPerPixel = Map()->MetresPerPixel();
  for (std::size_t i = 0; i < file.size(); ++i) {
    const QPointF moved = Map()->PaintedAfter().Paths[i].front() - Map()->PaintedBefore().Paths[i].front();
    const double east = moved.x() * metresPerPixel;
    const double north = -moved.y() * metresPerPixel;
    QVERIFY2(east > 800 && east < 860, qPrintable(QString::number(east)));
    QVERIFY2(std::fabs(north) < 300, qPrintable(QString::number(north)));
  }
}

void PreviewTest::wrongRegionLandsAwayFromTheCoast() {
  // Kaohsiung harbour in TWD67 TM2 of Taiwan (central meridian 121°E).
  test::IgnoringMessages quiet;
  EngineState engine(quiet);
  ApplyTransformSettings(engine, IndexOf(kGeographicToTm2), kTaiwanRegion);
  double x = 0;
  double y = 0;
  ConvertPoint(engine, IndexOf(kGeographicToTm2), 120.28, 22.61, x, y);
  test::WritePointShapefile(JoinPath(Folder(), "harbour"), {{x, y}});

  const ShapeSample& coast = Map()->Coastline();
  QVERIFY(coast.VertexCount() > 1000);
  Preview("harbour.shp");
  const auto at = [this] { return LonLat{Map()->After().Coordinates[0], Map()->After().Coordinates[1]}; };
  QVERIFY2(KilometresFromCoast(at(), coast) < 5, qPrintable(QString::number(KilometresFromCoast(at(), coast))));
  // Read as the islands' zone (119°E) it lands two degrees west, in the sea.
  ChooseRegion(kIslandsRegion);
  Paint();
  QVERIFY2(KilometresFromCoast(at(), coast) > 50, qPrintable(QString::number(KilometresFromCoast(at(), coast))));
  QCOMPARE(Map()->PaintedAfter().Paths.size(), std::size_t{1});
}

void PreviewTest::everyShapeTypeDrawsAndNullShapesDoNot() {
  struct Case {
    const char* Name;
    int Type;
    std::vector<std::vector<LonLat>> Parts;  // of one shape; for the point types its points
    std::size_t Painted;
  };
  const std::vector<LonLat> ring = {{121.0, 24.0}, {121.0, 24.2}, {121.2, 24.2}, {121.2, 24.0}, {121.0, 24.0}};
  const std::vector<LonLat> hole = {{121.05, 24.05}, {121.1, 24.05}, {121.1, 24.1}, {121.05, 24.05}};
  const std::vector<Case> cases = {
      {"polygonz", SHPT_POLYGONZ, {ring, hole}, 2},
      {"polygonm", SHPT_POLYGONM, {ring, hole}, 2},
      {"arcz", SHPT_ARCZ, {ring}, 1},
      {"multipointm", SHPT_MULTIPOINTM, {{{121.1, 24.1}, {121.2, 24.2}, {121.3, 24.3}}}, 3},
      {"multipointz", SHPT_MULTIPOINTZ, {{{121.1, 24.1}, {121.2, 24.2}}}, 2},
      {"pointz", SHPT_POINTZ, {{{121.1, 24.1}}}, 1},
      {"pointm", SHPT_POINTM, {{{121.1, 24.1}}}, 1},
  };
  ChooseMode(Mode::Twd67GeographicToTwd97Geographic);
  for (const Case& c : cases) {
    const std::string stem = JoinPath(Folder(), c.Name);
    SHPHandle handle = SHPCreate(stem.c_str(), c.Type);
    QVERIFY(handle != nullptr);
    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<double> zs;
    std::vector<int> starts;
    for (const auto& part : c.Parts) {
      starts.push_back(static_cast<int>(xs.size()));
      for (const LonLat& point : part) {
        xs.push_back(point.first);
        ys.push_back(point.second);
        zs.push_back(50.0 + static_cast<double>(zs.size()));
      }
    }
    const bool parts = c.Type == SHPT_POLYGONZ || c.Type == SHPT_POLYGONM || c.Type == SHPT_ARCZ;
    // A null shape first: it draws nothing.
    SHPObject* null = SHPCreateSimpleObject(SHPT_NULL, 0, nullptr, nullptr, nullptr);
    SHPWriteObject(handle, -1, null);
    SHPDestroyObject(null);
    SHPObject* shape = SHPCreateObject(c.Type, -1, parts ? static_cast<int>(starts.size()) : 0,
                                       parts ? starts.data() : nullptr, nullptr, static_cast<int>(xs.size()),
                                       xs.data(), ys.data(), zs.data(), zs.data());
    SHPWriteObject(handle, -1, shape);
    SHPDestroyObject(shape);
    SHPClose(handle);
    Preview(std::string(c.Name) + ".shp");
    QVERIFY2(Map()->PaintedBefore().Paths.size() == c.Painted, c.Name);
    const std::vector<Path> expected =
        Converted(PathsOf(stem + ".shp"), {Mode::Twd67GeographicToTwd97Geographic}, kTaiwanRegion);
    CheckLayer(Map()->PaintedAfter(), expected);
  }
  QVERIFY(dialogs_->Boxes.empty());
}

void PreviewTest::fileWithoutShapesShowsAnEmptyMap() {
  test::WritePointShapefile(JoinPath(Folder(), "empty"), {});
  const std::string stem = JoinPath(Folder(), "nulls");
  SHPHandle handle = SHPCreate(stem.c_str(), SHPT_POLYGON);
  for (int i = 0; i < 3; ++i) {
    SHPObject* null = SHPCreateSimpleObject(SHPT_NULL, 0, nullptr, nullptr, nullptr);
    SHPWriteObject(handle, -1, null);
    SHPDestroyObject(null);
  }
  SHPClose(handle);
  for (const char* name : {"empty.shp", "nulls.shp"}) {
    Preview(name);
    QVERIFY(Control<PreviewPane>("PreviewPane")->isVisible());
    QVERIFY(Map()->PaintedBefore().Paths.empty());
    QVERIFY(Map()->PaintedAfter().Paths.empty());
    QVERIFY(!Map()->PaintedCoastline().Paths.empty());  // the empty map shows Taiwan
    QVERIFY2(Control<PreviewPane>("PreviewPane")->Status().contains(QStringLiteral(" 0 點")),
             qPrintable(Control<PreviewPane>("PreviewPane")->Status()));
  }
  QVERIFY(dialogs_->Boxes.empty());
}

void PreviewTest::missingCoastlineStillDrawsTheFile() {
  CopySamples();
  Control<PreviewPane>("PreviewPane")->LoadCoastline(Folder() + "/no-such-coastline.txt");
  Preview("roads.shp");
  QVERIFY(Map()->PaintedCoastline().Paths.empty());
  CheckLayer(Map()->PaintedAfter(),
             Converted(PathsOf(JoinPath(Folder(), "roads.shp")), {kTm2ToGeographic}, kTaiwanRegion));
  QVERIFY(dialogs_->Boxes.empty());
}

void PreviewTest::wheelZoomsDragPansAndFitShowsTheFile() {
  CopySamples();
  Preview("areas.shp");
  const double fitted = Map()->MetresPerPixel();
  const QPointF first = Map()->PaintedAfter().Paths[0].front();
  const QPoint centre = Map()->rect().center();
  QWheelEvent wheel(centre, Map()->mapToGlobal(centre), {}, QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(Map(), &wheel);
  QVERIFY(Map()->MetresPerPixel() < fitted / 1.4);
  QTest::mousePress(Map(), Qt::LeftButton, {}, centre);
  QTest::mouseMove(Map(), centre + QPoint(40, 25));
  QTest::mouseRelease(Map(), Qt::LeftButton, {}, centre + QPoint(40, 25));
  Paint();
  // The point under the pointer stayed; the drag then moved everything by the drag.
  const QPointF zoomedFirst = Map()->PaintedAfter().Paths[0].front();
  const QPointF expected = QPointF(centre) + (first - QPointF(centre)) * (fitted / Map()->MetresPerPixel()) + QPointF(40, 25);
  QVERIFY2(QLineF(zoomedFirst, expected).length() < 1.0, qPrintable(QString("%1 %2").arg(zoomedFirst.x()).arg(expected.x())));
  QTest::mouseClick(Control<QPushButton>("PreviewFit"), Qt::LeftButton);
  Paint();
  QCOMPARE(Map()->MetresPerPixel(), fitted);
  QVERIFY(QLineF(Map()->PaintedAfter().Paths[0].front(), first).length() < 1e-6);
}

void PreviewTest::manySmallShapesDrawOnlyTheirOwnSegmentsAndFitTheHeaderBox() {
  // Squares spread evenly over Taiwan in TWD67 longitude and latitude (which the layer before
  // draws as they are): too many to draw whole. Some a pixel or two across, some dots; some
  // files with null shapes and the header box that some writers then make, stretched to (0, 0).
  struct Case {
    const char* Name;
    std::uint64_t Squares;
    double Side;  // degrees
    std::uint64_t NullShapes;
    bool HeaderBoxWithOrigin;
  };
  const std::vector<Case> cases = {
      {"100 000 squares of 2 km", 100000, 0.02, 0, false},
      {"200 000 squares of 100 m", 200000, 0.001, 0, false},
      {"40 000 squares of 5 km with null shapes", 40000, 0.05, 1000, false},
      {"100 000 squares of 2 km, a header box to (0, 0)", 100000, 0.02, 10, true},
  };
  ChooseMode(Mode::Twd67GeographicToTwd97Geographic);
  auto* pane = Control<PreviewPane>("PreviewPane");
  for (const Case& c : cases) {
    const QString name = QString::fromLatin1(c.Name);
    test::SquaresFile file;
    file.Squares = c.Squares;
    file.West = 120.0;
    file.South = 21.9;
    file.East = 122.0;
    file.North = 25.3;
    file.Side = c.Side;
    file.NullShapes = c.NullShapes;
    file.HeaderBoxWithOrigin = c.HeaderBoxWithOrigin;
    test::WriteSquaresShapefile(JoinPath(Folder(), "squares"), file);
    Preview("squares.shp");

    // The fitted view shows the squares' box (the header's, less a (0, 0) that no shape
    // reaches) across the width or the height, less the margin; the layer after, moved by
    // the datum shift, widens it by a few hundredths of a degree at most.
    const QRectF drawnBox = QPolygonF({Map()->ToScreen(file.West, file.South), Map()->ToScreen(file.East, file.North)}).boundingRect();
    const double filled = std::max(drawnBox.width() / Map()->width(), drawnBox.height() / Map()->height());
    QVERIFY2(std::fabs(filled - 1 / 1.1) < 0.02, qPrintable(name + QStringLiteral(": fills %1").arg(filled)));
    QVERIFY2(QRectF(Map()->rect()).contains(drawnBox), qPrintable(name));

    // Every painted segment, and every dot, lies along a segment of the data.
    DataSegments data(Map()->size());
    for (std::uint64_t i = 0; i < c.Squares; ++i) {
      std::vector<QPointF> pixels;
      for (const test::XY& vertex : test::SquareVertices(file, i)) pixels.push_back(Map()->ToScreen(vertex.X, vertex.Y));
      data.AddPath(pixels);
    }
    data.File();
    const PaintedLayer& painted = Map()->PaintedBefore();
    QVERIFY2(painted.Paths.size() > 1000, qPrintable(name + QStringLiteral(": %1 painted").arg(painted.Paths.size())));
    double worst = 0;
    std::size_t segments = 0;
    for (const QPolygonF& path : painted.Paths) {
      for (qsizetype i = 0; i < path.size(); ++i) {
        const QPointF from = path[i];
        const QPointF to = path[std::min(i + 1, path.size() - 1)];
        for (double t : {0.0, 0.25, 0.5, 0.75}) worst = std::max(worst, data.Distance(from + t * (to - from)));
        ++segments;
      }
    }
    qInfo("%s: %zu paths, %zu segments painted, the farthest %.2f px from the data; %s", c.Name, painted.Paths.size(),
          segments, worst, qPrintable(pane->Status()));
    QVERIFY2(worst < 2.5, qPrintable(name + QStringLiteral(": %1 px off").arg(worst)));
    // The squares drawn are spread as evenly as the file's: every eighth of the box each way
    // holds its share of them, within a half.
    std::vector<int> blocks(64, 0);
    for (const QPolygonF& path : painted.Paths) {
      const QPointF at = path.front() - drawnBox.topLeft();
      const int column = std::clamp(static_cast<int>(8 * at.x() / drawnBox.width()), 0, 7);
      const int row = std::clamp(static_cast<int>(8 * at.y() / drawnBox.height()), 0, 7);
      ++blocks[static_cast<std::size_t>(row * 8 + column)];
    }
    const auto [fewest, most] = std::minmax_element(blocks.begin(), blocks.end());
    qInfo("%s: %d to %d paths in each block", c.Name, *fewest, *most);
    QVERIFY2(*fewest > static_cast<int>(painted.Paths.size()) / 128 && *most < static_cast<int>(painted.Paths.size()) * 3 / 128,
             qPrintable(name + QStringLiteral(": %1 to %2 of %3 in a block").arg(*fewest).arg(*most).arg(painted.Paths.size())));
    // The caption says how much of the file is drawn.
    QVERIFY2(pane->Status().contains(QStringLiteral("（只畫出每 ")), qPrintable(pane->Status()));
  }
}

}  // namespace morvane

MORVANE_WINDOW_TEST_MAIN(morvane::PreviewTest)

#include "preview_test.moc"
