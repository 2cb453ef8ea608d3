#include "preview_pane.hpp"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <exception>

#include "fonts.hpp"
#include "shapefile/file_system.hpp"
#include "texts.hpp"
#include "translation.hpp"

namespace morvane {
namespace {

constexpr double kMetresPerDegree = 111320;  // of latitude, and of longitude at the equator
const QColor kBeforeColour(90, 150, 230);
const QColor kAfterColour(214, 39, 40);
const QColor kCoastColour(110, 130, 110);
const QColor kGraticuleColour(200, 208, 216);
const QColor kBackground(250, 251, 253);

// The map's centre stays off the poles, where its longitudes would fold.
constexpr double kMaxCentreLatitude = 85;

// Pixels off the map beyond which a point is drawn as if there.
constexpr double kFarOff = 1e7;

// Layers with more vertices are drawn without antialiasing.
constexpr std::size_t kAntialiasedVertices = 20000;

// Taiwan, Penghu, Kinmen and Matsu: the view of an empty map.
constexpr double kHomeWest = 118.1;
constexpr double kHomeSouth = 21.8;
constexpr double kHomeEast = 122.1;
constexpr double kHomeNorth = 26.4;

// The step among 1, 2 and 5 times a power of ten nearest below `value`.
double NiceStep(double value) {
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double factor : {5.0, 2.0, 1.0}) {
    if (factor * power <= value) return factor * power;
  }
  return power;
}

QString DegreeLabel(double value, double step, QChar positive, QChar negative) {
  const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  return QString::number(std::fabs(value), 'f', decimals) + QChar(0x00b0) +
         (value < 0 ? negative : positive);
}

QString DistanceLabel(double metres) {
  if (metres >= 1000) return QString::number(metres / 1000) + QStringLiteral(" km");
  return QString::number(metres) + QStringLiteral(" m");
}

}  // namespace

MapView::MapView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(240, 240);
  setMouseTracking(false);
  setCursor(Qt::OpenHandCursor);
  Fit();
}

void MapView::SetCoastline(ShapeSample coastline) {
  coastline_ = std::move(coastline);
  update();
}

void MapView::SetLayers(ShapeSample before, ShapeSample after) {
  before_ = std::move(before);
  after_ = std::move(after);
  update();
}

void MapView::Fit() {
  double west = INFINITY;
  double south = INFINITY;
  double east = -INFINITY;
  double north = -INFINITY;
  const auto add = [&](double lon, double lat) {
    if (!std::isfinite(lon) || !std::isfinite(lat) || std::fabs(lat) > 89) return;
    west = std::min(west, lon);
    east = std::max(east, lon);
    south = std::min(south, lat);
    north = std::max(north, lat);
  };
  for (const ShapeSample* layer : {&before_, &after_}) {
    // The file's bounds, not the sample's vertices: a sample of a large file may miss its edges.
    if (layer->HasBounds) {
      add(layer->Bounds.Xmin, layer->Bounds.Ymin);
      add(layer->Bounds.Xmax, layer->Bounds.Ymax);
      continue;
    }
    for (std::size_t i = 0; i + 1 < layer->Coordinates.size(); i += 2) add(layer->Coordinates[i], layer->Coordinates[i + 1]);
  }
  if (west > east) {
    FitBox(kHomeWest, kHomeSouth, kHomeEast, kHomeNorth);
  } else {
    // A single point or a tiny file still shows its surroundings.
    const double margin = std::max({(east - west) * 0.05, (north - south) * 0.05, 0.005});
    FitBox(west - margin, south - margin, east + margin, north + margin);
  }
}

void MapView::FitBox(double west, double south, double east, double north) {
  centreLongitude_ = (west + east) / 2;
  centreLatitude_ = (south + north) / 2;
  const double cosine = std::max(std::cos(centreLatitude_ * (kPi / 180)), 0.01);
  const double w = std::max(width(), 1);
  const double h = std::max(height(), 1);
  pixelsPerDegree_ = std::min(w / ((east - west) * cosine), h / (north - south));
  if (!std::isfinite(pixelsPerDegree_) || pixelsPerDegree_ <= 0) pixelsPerDegree_ = 100;
  update();
}

QPointF MapView::ToScreen(double longitude, double latitude) const {
  const double cosine = std::cos(centreLatitude_ * (kPi / 180));
  // Far off the map every point is as good as any other, and stays within the painter's range.
  const auto clamped = [](double value) { return std::clamp(value, -kFarOff, kFarOff); };
  return {clamped(width() / 2.0 + (longitude - centreLongitude_) * pixelsPerDegree_ * cosine),
          clamped(height() / 2.0 - (latitude - centreLatitude_) * pixelsPerDegree_)};
}

QPointF MapView::ToLonLat(QPointF screen) const {
  const double cosine = std::cos(centreLatitude_ * (kPi / 180));
  return {centreLongitude_ + (screen.x() - width() / 2.0) / (pixelsPerDegree_ * cosine),
          centreLatitude_ - (screen.y() - height() / 2.0) / pixelsPerDegree_};
}

double MapView::MetresPerPixel() const { return kMetresPerDegree / pixelsPerDegree_; }

void MapView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  painter.setRenderHint(QPainter::Antialiasing, true);
  DrawGraticule(painter);
  DrawLayer(painter, coastline_, kCoastColour, 1, paintedCoastline_);
  // The layer before is drawn wider, so that it shows beside the one after where they meet.
  DrawLayer(painter, before_, kBeforeColour, 4, paintedBefore_);
  DrawLayer(painter, after_, kAfterColour, 1.5, paintedAfter_);
  DrawArrows(painter);
  DrawScaleBar(painter);
  painter.setPen(QColor(150, 150, 150));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MapView::DrawLayer(QPainter& painter, const ShapeSample& layer, const QColor& colour,
                        double penWidth, PaintedLayer& painted) const {
  painted.Paths.clear();
  // A large layer is drawn without antialiasing, which would cost most of its time.
  painter.setRenderHint(QPainter::Antialiasing, layer.VertexCount() <= kAntialiasedVertices);
  const QPen pen(colour, penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  QColor fill = colour;
  fill.setAlpha(40);
  // Shapes and paths that cover less than a pixel or two are drawn as dots, one per pixel.
  const int columns = width() + 2;
  std::vector<bool> dotted(static_cast<std::size_t>(columns) * static_cast<std::size_t>(height() + 2));
  std::vector<QPointF> dots;
  const auto dot = [&](const QPointF& point) {
    const int x = static_cast<int>(std::floor(point.x())) + 1;
    const int y = static_cast<int>(std::floor(point.y())) + 1;
    // Off the map: handed to the painter like any path, which clips it.
    if (x < 0 || y < 0 || x >= columns || y >= height() + 2) return true;
    const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(x);
    if (dotted[at]) return false;
    dotted[at] = true;
    dots.push_back(point);
    return true;
  };
  painter.setPen(pen);
  for (const SampledShape& shape : layer.Shapes) {
    QPainterPath rings;
    rings.setFillRule(Qt::OddEvenFill);
    for (std::uint32_t p = 0; p < shape.PathCount; ++p) {
      const SampledPath& path = layer.Paths[shape.FirstPath + p];
      // One vertex per pixel; a vertex that cannot be drawn (NaN) breaks the path.
      QPolygonF line;
      bool whole = true;  // no vertex of the path was undrawable: a ring may be filled
      const auto flush = [&] {
        if (line.isEmpty()) return;
        const QRectF extent = line.boundingRect();
        if (shape.Kind == ShapeKind::Points || (extent.width() < 2 && extent.height() < 2)) {
          for (const QPointF& point : line) {
            if (dot(point)) painted.Paths.push_back(QPolygonF{point});
          }
        } else if (shape.Kind == ShapeKind::Polygon && line.size() > 2 && whole) {
          // Stroked as it is (a ring closes itself where the file closes it) and filled.
          painted.Paths.push_back(line);
          rings.addPolygon(line);
        } else {
          painted.Paths.push_back(line);
          painter.drawPolyline(line);
        }
        line.clear();
      };
      QPoint lastPixel;
      QPointF lastPoint;
      bool lastDropped = false;
      for (std::uint32_t i = 0; i < path.Count; ++i) {
        const double lon = layer.Coordinates[2 * (path.First + i)];
        const double lat = layer.Coordinates[2 * (path.First + i) + 1];
        if (!std::isfinite(lon) || !std::isfinite(lat)) {
          if (lastDropped) line << lastPoint;
          lastDropped = false;
          whole = false;
          flush();
          continue;
        }
        const QPointF point = ToScreen(lon, lat);
        const QPoint pixel = point.toPoint();
        if (!line.isEmpty() && pixel == lastPixel && shape.Kind != ShapeKind::Points) {
          lastPoint = point;
          lastDropped = true;
          continue;
        }
        line << point;
        lastPixel = pixel;
        lastDropped = false;
      }
      if (lastDropped) line << lastPoint;
      flush();
    }
    if (!rings.isEmpty()) {
      painter.setBrush(fill);
      painter.drawPath(rings);
      painter.setBrush(Qt::NoBrush);
    }
  }
  painter.setPen(QPen(colour, penWidth + 2, Qt::SolidLine, Qt::RoundCap));
  painter.drawPoints(dots.data(), static_cast<int>(dots.size()));
  painter.setRenderHint(QPainter::Antialiasing, true);
}

void MapView::DrawGraticule(QPainter& painter) const {
  const QPointF northWest = ToLonLat(QPointF(0, 0));
  const QPointF southEast = ToLonLat(QPointF(width(), height()));
  const double span = std::max(southEast.x() - northWest.x(), northWest.y() - southEast.y());
  if (!(span > 0)) return;
  const double step = NiceStep(span / 4);
  painter.setFont(FrameFont());
  const QFontMetrics metrics(painter.font());
  painter.setPen(QPen(kGraticuleColour, 1));
  for (double lon = std::ceil(northWest.x() / step) * step; lon <= southEast.x(); lon += step) {
    const double x = ToScreen(lon, 0).x();
    painter.setPen(QPen(kGraticuleColour, 1));
    painter.drawLine(QPointF(x, 0), QPointF(x, height()));
    painter.setPen(QColor(90, 100, 110));
    painter.drawText(QPointF(x + 2, metrics.ascent() + 1), DegreeLabel(lon, step, u'E', u'W'));
  }
  for (double lat = std::ceil(southEast.y() / step) * step; lat <= northWest.y(); lat += step) {
    const double y = ToScreen(0, lat).y();
    painter.setPen(QPen(kGraticuleColour, 1));
    painter.drawLine(QPointF(0, y), QPointF(width(), y));
    painter.setPen(QColor(90, 100, 110));
    painter.drawText(QPointF(2, y - 2), DegreeLabel(lat, step, u'N', u'S'));
  }
}

void MapView::DrawScaleBar(QPainter& painter) const {
  const double metres = NiceStep(MetresPerPixel() * width() / 4);
  const double length = metres / MetresPerPixel();
  const QPointF left(10, height() - 12);
  const QPointF right = left + QPointF(length, 0);
  painter.setPen(QPen(Qt::black, 2));
  painter.drawLine(left, right);
  painter.drawLine(left, left - QPointF(0, 5));
  painter.drawLine(right, right - QPointF(0, 5));
  painter.setFont(FrameFont());
  painter.drawText(left + QPointF(length + 6, 0), DistanceLabel(metres));
}

void MapView::SetArrows(ResidualArrows arrows) {
  arrows_ = std::move(arrows);
  update();
}

void MapView::DrawArrows(QPainter& painter) const {
  paintedArrows_.clear();
  for (const ResidualArrow& arrow : arrows_.Arrows) {
    const QPointF from = ToScreen(arrow.Longitude, arrow.Latitude);
    // Screen y grows southward.
    const QPointF to = from + arrows_.PixelsPerMetre * QPointF(arrow.DE, -arrow.DN);
    DrawArrow(painter, QLineF(from, to), arrow.Flagged ? kFlaggedArrowColour : kArrowColour);
    paintedArrows_.push_back({QLineF(from, to), arrow.Flagged});
  }
}

void MapView::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0) return;
  // The point under the pointer stays where it is.
  const QPointF at = event->position();
  const QPointF anchor = ToLonLat(at);
  pixelsPerDegree_ = std::clamp(pixelsPerDegree_ * std::pow(1.25, steps), 1.0, 1e6);
  const QPointF moved = ToLonLat(at);
  centreLongitude_ += anchor.x() - moved.x();
  centreLatitude_ = std::clamp(centreLatitude_ + anchor.y() - moved.y(), -kMaxCentreLatitude, kMaxCentreLatitude);
  update();
  event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  dragFrom_ = event->position().toPoint();
  setCursor(Qt::ClosedHandCursor);
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const QPoint to = event->position().toPoint();
  const QPointF from = ToLonLat(dragFrom_);
  const QPointF here = ToLonLat(to);
  centreLongitude_ -= here.x() - from.x();
  centreLatitude_ = std::clamp(centreLatitude_ - (here.y() - from.y()), -kMaxCentreLatitude, kMaxCentreLatitude);
  dragFrom_ = to;
  update();
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = false;
  setCursor(Qt::OpenHandCursor);
}

PreviewPane::PreviewPane(const std::string& coastlinePath, QWidget* parent)
    : QWidget(parent),
      map_(new MapView(this)),
      status_(new QLabel(this)),
      fit_(new QPushButton(this)),
      arrowCaption_(new QWidget(this)),
      arrowScale_(new QLabel(arrowCaption_)),
      arrowScaleText_(new QLabel(arrowCaption_)) {
  setObjectName(QStringLiteral("PreviewPane"));
  map_->setObjectName(QStringLiteral("PreviewMap"));
  status_->setObjectName(QStringLiteral("PreviewStatus"));
  fit_->setObjectName(QStringLiteral("PreviewFit"));
  fit_->setText(tr("全圖"));
  setFont(FrameFont());
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_->setWordWrap(true);

  const auto swatch = [this](const QColor& colour, const QString& caption) {
    auto* label = new QLabel(this);
    label->setText(QStringLiteral("<span style='color:%1'>&#9632;</span> %2").arg(colour.name(), caption));
    return label;
  };
  auto* legend = new QHBoxLayout;
  legend->addWidget(swatch(kBeforeColour, tr("轉換前")));
  legend->addWidget(swatch(kAfterColour, tr("轉換後")));
  legend->addWidget(swatch(kCoastColour, tr("海岸線")));
  legend->addStretch(1);
  legend->addWidget(fit_);

  arrowScale_->setObjectName(QStringLiteral("PreviewArrowScale"));
  arrowScaleText_->setObjectName(QStringLiteral("PreviewArrowScaleText"));
  auto* arrowLine = new QHBoxLayout(arrowCaption_);
  arrowLine->setContentsMargins(0, 0, 0, 0);
  arrowLine->addWidget(arrowScale_);
  arrowLine->addWidget(arrowScaleText_, 1);
  arrowCaption_->hide();

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  column->addWidget(status_);
  column->addWidget(map_, 1);
  column->addWidget(arrowCaption_);
  column->addLayout(legend);

  connect(fit_, &QPushButton::clicked, map_, &MapView::Fit);
  LoadCoastline(coastlinePath);
}

void PreviewPane::LoadCoastline(const std::string& path) { map_->SetCoastline(morvane::LoadCoastline(path)); }

void PreviewPane::ShowFile(const std::string& path, const QString& shownName, TransformMode mode, Region region) {
  shownName_ = shownName;
  mode_ = mode;
  region_ = region;
  try {
    LocalFileSystem files;
    sample_ = SampleShapes(files, path);
  } catch (const std::exception& error) {
    sample_ = ShapeSample{};
    map_->SetLayers({}, {});
    status_->setText(ErrorText(error, path));
    map_->Fit();
    return;
  }
  Redraw();
  map_->Fit();
}

void PreviewPane::SetConversion(TransformMode mode, Region region) {
  if (mode == mode_ && region == region_) return;
  mode_ = mode;
  region_ = region;
  if (!shownName_.isEmpty()) Redraw();
}

void PreviewPane::SetResidualArrows(ResidualArrows arrows) {
  arrowCaption_->setVisible(!arrows.Empty());
  if (!arrows.Empty()) {
    const double metres = NiceStep(arrows.LongestMetres);
    arrowScale_->setPixmap(ScaleArrowPixmap(metres * arrows.PixelsPerMetre));
    arrowScaleText_->setText(tr("= %1 m：共同點的留一法殘差").arg(metres));
  }
  map_->SetArrows(std::move(arrows));
}

void PreviewPane::Redraw() {
  map_->SetLayers(ToLonLat(sample_, LonLatChain::Before(mode_, region_)),
                  ToLonLat(sample_, LonLatChain::After(mode_, region_)));
  QString text = shownName_ + tr(": %1 筆, %2 點").arg(sample_.Records).arg(sample_.FileVertices);
  if (sample_.RecordStep > 1) {
    text += tr("（只畫出每 %1 筆中的 1 筆，共 %2 筆）").arg(sample_.RecordStep).arg(sample_.Shapes.size());
  }
  if (sample_.Thinned) text += tr("（取樣 %1 點）").arg(sample_.VertexCount());
  const std::size_t before = UndrawableVertices(map_->Before());
  const std::size_t after = UndrawableVertices(map_->After());
  if (before + after > 0) {
    text += tr("；無法繪出的點：轉換前 %1、轉換後 %2").arg(before).arg(after);
  }
  status_->setText(text);
}

std::string DefaultCoastlinePath() {
  const std::string exe = QCoreApplication::applicationDirPath().toStdString();
  const std::string name = "/share/morvane/coastline-taiwan.txt";
  return FirstExistingFile({exe + "/.." + name, exe + "/../.." + name, MORVANE_DATA_DIR "/coastline-taiwan.txt"});
}

}  // namespace morvane
