#include "support/expected_conversion.hpp"

#include "engine/modes.hpp"

namespace morvane::test {

Shapefile ExpectedConversion(const Shapefile& file, EngineState& engine, TransformMode mode) {
  Shapefile expected = file;
  Extent all;
  for (std::size_t r = 0; r < file.Records.size(); ++r) {
    const RecordContent& record = file.Records[r];
    const std::size_t start = file.RecordStarts[r];
    Extent extent;
    for (std::size_t at : record.PointOffsets) {
      unsigned char* field = expected.Main.data() + start + at;
      double x = GetDoubleLE(field);
      double y = GetDoubleLE(field + 8);
      ConvertPoint(engine, mode, x, y, x, y);
      PutDoubleLE(field, x);
      PutDoubleLE(field + 8, y);
      extent.Add(x, y);
    }
    all.Add(extent);
    if (!record.BoxOffset) continue;
    unsigned char* box = expected.Main.data() + start + *record.BoxOffset;
    if (extent.Empty())
      ConvertBoxCorners(engine, mode, box);
    else
      WriteBox(box, extent.Bounds());
  }
  if (all.Empty()) {
    ConvertHeaderBox(engine, mode, expected.Main.data());
    ConvertHeaderBox(engine, mode, expected.Index.data());
  } else {
    WriteBox(expected.Main.data() + kHeaderBoxOffset, all.Bounds());
    WriteBox(expected.Index.data() + kHeaderBoxOffset, all.Bounds());
  }
  return expected;
}

}  // namespace morvane::test
