#include "record_reader.hpp"

namespace morvane {

RecordLayout LayoutOf(std::int32_t type) {
  switch (type) {
    case static_cast<std::int32_t>(ShapeType::NullShape):
      return {Layout::Null};
    case static_cast<std::int32_t>(ShapeType::Point):
    case static_cast<std::int32_t>(ShapeType::PointM):
      return {Layout::Point};
    case static_cast<std::int32_t>(ShapeType::PointZ):
      return {Layout::Point, true};
    case static_cast<std::int32_t>(ShapeType::MultiPoint):
    case static_cast<std::int32_t>(ShapeType::MultiPointM):
      return {Layout::MultiPoint};
    case static_cast<std::int32_t>(ShapeType::MultiPointZ):
      return {Layout::MultiPoint, true};
    case static_cast<std::int32_t>(ShapeType::Arc):
    case static_cast<std::int32_t>(ShapeType::Polygon):
    case static_cast<std::int32_t>(ShapeType::ArcM):
    case static_cast<std::int32_t>(ShapeType::PolygonM):
      return {Layout::Parts};
    case static_cast<std::int32_t>(ShapeType::ArcZ):
    case static_cast<std::int32_t>(ShapeType::PolygonZ):
      return {Layout::Parts, true};
    case static_cast<std::int32_t>(ShapeType::MultiPatch):
      return {Layout::Parts, true, true};
    default:
      return {};
  }
}

}  // namespace morvane
