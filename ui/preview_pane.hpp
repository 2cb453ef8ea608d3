// The preview beside step two: a map of the selected file's shapes as they are (blue) and as
// the chosen mode and region will make them (red), over the coastline, with a graticule in
// degrees and a scale bar. The wheel zooms about the pointer, dragging pans, and the fit
// button shows the whole file again. The geometry comes from map_data.hpp; this file only
// draws it.
#pragma once

#include <QLabel>
#include <QPolygonF>
#include <QPushButton>
#include <QWidget>
#include <string>
#include <vector>

#include "map_data.hpp"
#include "residual_arrows.hpp"

namespace morvane {

// One layer as the last paint drew it, in widget pixels: each drawn path after thinning to one
// vertex per pixel, and each dot (a point, or a path within two pixels) as a path of one
// vertex; a dot on a pixel that already has one is not drawn again.
struct PaintedLayer {
  std::vector<QPolygonF> Paths;
};

class MapView : public QWidget {
  Q_OBJECT

 public:
  explicit MapView(QWidget* parent = nullptr);

  void SetCoastline(ShapeSample coastline);
  // Both layers in longitude and latitude.
  void SetLayers(ShapeSample before, ShapeSample after);
  // Shows both layers whole, or Taiwan and the islands when they are empty.
  void Fit();

  QPointF ToScreen(double longitude, double latitude) const;
  // Degrees of latitude per pixel, and metres per pixel.
  double MetresPerPixel() const;

  // The residual arrows of a fit to common points, drawn over the layers; none to clear them.
  void SetArrows(ResidualArrows arrows);
  const ResidualArrows& Arrows() const { return arrows_; }
  const std::vector<PaintedArrow>& PaintedArrows() const { return paintedArrows_; }

  const PaintedLayer& PaintedBefore() const { return paintedBefore_; }
  const PaintedLayer& PaintedAfter() const { return paintedAfter_; }
  const PaintedLayer& PaintedCoastline() const { return paintedCoastline_; }
  const ShapeSample& Before() const { return before_; }
  const ShapeSample& After() const { return after_; }
  const ShapeSample& Coastline() const { return coastline_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPointF ToLonLat(QPointF screen) const;
  void FitBox(double west, double south, double east, double north);
  void DrawLayer(QPainter& painter, const ShapeSample& layer, const QColor& colour,
                 double penWidth, PaintedLayer& painted) const;
  void DrawGraticule(QPainter& painter) const;
  void DrawScaleBar(QPainter& painter) const;
  void DrawArrows(QPainter& painter) const;

  ShapeSample coastline_;
  ShapeSample before_;
  ShapeSample after_;
  double centreLongitude_ = 120.9;
  double centreLatitude_ = 23.7;
  double pixelsPerDegree_ = 100;  // of latitude; longitude is narrowed by cos(latitude)
  QPoint dragFrom_;
  bool dragging_ = false;
  mutable PaintedLayer paintedBefore_;
  mutable PaintedLayer paintedAfter_;
  mutable PaintedLayer paintedCoastline_;
  ResidualArrows arrows_;
  mutable std::vector<PaintedArrow> paintedArrows_;
};

class PreviewPane : public QWidget {
  Q_OBJECT

 public:
  // Loads the coastline from `coastlinePath`; an empty or missing one draws none.
  explicit PreviewPane(const std::string& coastlinePath, QWidget* parent = nullptr);

  // Samples the main file at `path` (raw bytes) and shows it for the mode and region.
  void ShowFile(const std::string& path, const QString& shownName, TransformMode mode, Region region);
  // Draws the shown file again for another mode or region, the view kept.
  void SetConversion(TransformMode mode, Region region);
  void LoadCoastline(const std::string& path);
  // Draws residual arrows on the map with a scale arrow in the caption; none hides both.
  void SetResidualArrows(ResidualArrows arrows);

  MapView* Map() const { return map_; }
  // The file's name and size, or why it cannot be shown.
  QString Status() const { return status_->text(); }

 private:
  void Redraw();

  MapView* map_;
  QLabel* status_;
  QPushButton* fit_;
  QWidget* arrowCaption_;
  QLabel* arrowScale_;
  QLabel* arrowScaleText_;
  ShapeSample sample_;
  QString shownName_;
  TransformMode mode_ = 0;
  Region region_ = 0;
};

// Where the coastline is: beside the program's data when installed, in the build tree when
// run from there; empty if it is nowhere.
std::string DefaultCoastlinePath();

}  // namespace morvane
