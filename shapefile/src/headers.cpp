#include "shapefile/headers.hpp"

#include "engine/modes.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/run_error.hpp"

namespace morvane {

std::string_view ShapeTypeName(std::int32_t code) {
  switch (code) {
    case 0: return "NullShape";
    case 1: return "Point";
    case 3: return "Arc";
    case 5: return "Polygon";
    case 8: return "MultiPoint";
    case 11: return "PointZ";
    case 13: return "ArcZ";
    case 15: return "PolygonZ";
    case 18: return "MultiPointZ";
    case 21: return "PointM";
    case 23: return "ArcM";
    case 25: return "PolygonM";
    case 28: return "MultiPointM";
    case 31: return "MultiPatch";
    default: return "UnknownShapeType";
  }
}

bool IsKnownShapeType(std::int32_t code) {
  return ShapeTypeName(code) != "UnknownShapeType";
}

void CheckMainFileHeader(const ShapefileHeader& header, std::uint64_t fileSize, const std::string& path) {
  const unsigned char* bytes = header.Bytes.data();
  if (ReadInt32BE(bytes) != kShapefileFileCode || ReadInt32LE(bytes + 28) != kShapefileVersion ||
      !IsKnownShapeType(ReadInt32LE(bytes + kHeaderShapeTypeOffset)))
    throw RunError(DetailsOf(ErrorKind::NotShapefile, path));
  const std::int64_t stated = 2 * static_cast<std::int64_t>(ReadInt32BE(bytes + 24));
  if (stated > 0 && static_cast<std::uint64_t>(stated) > fileSize) {
    ErrorDetails details = DetailsOf(ErrorKind::HeaderLength, path);
    details.Figures = {stated, static_cast<std::int64_t>(fileSize)};
    throw RunError(details);
  }
}

RecordHeader RecordHeader::Decode(const unsigned char* bytes) {
  return {ReadInt32BE(bytes), ReadInt32BE(bytes + 4)};
}

IndexEntry IndexEntry::Decode(const unsigned char* bytes) {
  return {ReadInt32BE(bytes), ReadInt32BE(bytes + 4)};
}

Box ReadBox(const unsigned char* bytes) {
  return {ReadDoubleLE(bytes), ReadDoubleLE(bytes + 8), ReadDoubleLE(bytes + 16),
          ReadDoubleLE(bytes + 24)};
}

void WriteBox(unsigned char* bytes, const Box& box) {
  WriteDoubleLE(bytes, box.Xmin);
  WriteDoubleLE(bytes + 8, box.Ymin);
  WriteDoubleLE(bytes + 16, box.Xmax);
  WriteDoubleLE(bytes + 24, box.Ymax);
}

void ConvertBoxCorners(EngineState& engine, TransformMode mode, unsigned char* box) {
  Box corners = ReadBox(box);
  ConvertPoint(engine, mode, corners.Xmin, corners.Ymin, corners.Xmin, corners.Ymin);
  ConvertPoint(engine, mode, corners.Xmax, corners.Ymax, corners.Xmax, corners.Ymax);
  WriteBox(box, corners);
}

// The box is read and written through the little-endian helpers, so the big-endian words in
// front of it are never touched and need no swapping.
void ConvertHeaderBox(EngineState& engine, TransformMode mode, unsigned char* header) {
  ConvertBoxCorners(engine, mode, header + kHeaderBoxOffset);
}

void ThrowShortHeader(const std::string& path) {
  throw RunError(DetailsOf(ErrorKind::ShortHeader, path));
}

}  // namespace morvane
