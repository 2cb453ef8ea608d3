#include "residual_arrows.hpp"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "engine/mode_table.hpp"
#include "map_data.hpp"

namespace morvane {
namespace {

constexpr double kHeadLength = 7;  // pixels
constexpr double kHeadAngle = 0.45;  // radians either side of the shaft

}  // namespace

ResidualArrows ArrowsOf(const std::vector<CommonPoint>& points, const FitReport& report, int meridian) {
  ResidualArrows arrows;
  const Region region = meridian == 119 ? kIslandsRegion : kTaiwanRegion;
  std::vector<double> places;
  for (const CommonPoint& point : points) {
    places.push_back(point.E97);
    places.push_back(point.N97);
  }
  LonLatChain::Before(IndexOf(Mode::Twd97Tm2ToTwd97Geographic), region).Convert(places);
  double longest = 0;
  for (std::size_t i = 0; i < report.Points.size() && i < points.size(); ++i) {
    const PointResidual& residual = report.Points[i];
    if (std::isnan(residual.LooD) || std::isnan(places[2 * i])) continue;
    arrows.Arrows.push_back({places[2 * i], places[2 * i + 1], residual.LooDE, residual.LooDN, residual.Flagged});
    longest = std::max(longest, residual.LooD);
  }
  if (longest > 0) {
    arrows.PixelsPerMetre = kLongestArrowPixels / longest;
    arrows.LongestMetres = longest;
  }
  return arrows;
}

void DrawArrow(QPainter& painter, const QLineF& line, const QColor& colour) {
  painter.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawLine(line);
  if (line.length() < 1) return;
  const double angle = std::atan2(line.dy(), line.dx());
  const double head = std::min(kHeadLength, line.length() / 2);
  QPainterPath tip;
  tip.moveTo(line.p2());
  tip.lineTo(line.p2() - head * QPointF(std::cos(angle - kHeadAngle), std::sin(angle - kHeadAngle)));
  tip.lineTo(line.p2() - head * QPointF(std::cos(angle + kHeadAngle), std::sin(angle + kHeadAngle)));
  tip.closeSubpath();
  painter.setBrush(colour);
  painter.drawPath(tip);
  painter.setBrush(Qt::NoBrush);
}

QPixmap ScaleArrowPixmap(double pixels) {
  const int width = static_cast<int>(std::ceil(pixels)) + 2;
  QPixmap pixmap(width, 12);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, true);
  DrawArrow(painter, QLineF(1, 6, 1 + pixels, 6), kArrowColour);
  return pixmap;
}

}  // namespace morvane
