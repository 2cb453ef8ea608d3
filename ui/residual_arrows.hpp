// The residuals of a fit to common points as arrows on the preview's map: each from the point's
// place along its leave-one-out residual (the error the fit makes there without the point),
// enlarged by one scale for all so that the longest is kLongestArrowPixels long. The preview's
// caption shows a scale arrow of a round length at the same scale.
#pragma once

#include <QColor>
#include <QLineF>
#include <QPixmap>
#include <vector>

#include "engine/common_points.hpp"
#include "engine/plane_fit.hpp"

class QPainter;

namespace morvane {

inline constexpr double kLongestArrowPixels = 40;
const QColor kArrowColour(20, 110, 60);
const QColor kFlaggedArrowColour(220, 110, 0);

struct ResidualArrow {
  double Longitude = 0;  // the point's TWD97 place, degrees
  double Latitude = 0;
  double DE = 0;  // leave-one-out residual, metres
  double DN = 0;
  bool Flagged = false;
};

struct ResidualArrows {
  std::vector<ResidualArrow> Arrows;
  double PixelsPerMetre = 0;  // of residual, whatever the map's zoom
  double LongestMetres = 0;
  bool Empty() const { return Arrows.empty(); }
};

// An arrow as the map last drew it, in widget pixels.
struct PaintedArrow {
  QLineF Line;
  bool Flagged = false;
};

// The arrows of `report`'s points, placed by the points' TWD97 TM2 coordinates on `meridian`'s
// grid (121 or 119). Points without a leave-one-out residual (NaN) get none.
ResidualArrows ArrowsOf(const std::vector<CommonPoint>& points, const FitReport& report, int meridian);

// An arrow from `line`'s first point to its second, its head at the second.
void DrawArrow(QPainter& painter, const QLineF& line, const QColor& colour);

// The caption's scale arrow: `pixels` long, on a transparent strip.
QPixmap ScaleArrowPixmap(double pixels);

}  // namespace morvane
