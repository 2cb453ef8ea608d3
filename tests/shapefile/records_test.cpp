// Record rewriting: every shape type's layout, boxes recomputed from the converted points, and
// damaged records reported by number.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/records.hpp"
#include "shapefile/run_error.hpp"
#include "support/expected_conversion.hpp"
#include "support/fail_on_message.hpp"
#include "support/memory_file_system.hpp"

namespace morvane::test {
namespace {

constexpr TransformMode kGeographicToTm2 = IndexOf(Mode::Twd67GeographicToTwd67Tm2);

struct Engine {
  FailOnMessage messages;
  EngineState state{messages};
  Engine() { ApplyTransformSettings(state, kGeographicToTm2, kTaiwanRegion); }
};

// The records of `main` (after its header) rewritten with the given block size.
Bytes RewriteBody(const Bytes& main, std::size_t blockSize, RewriteResult* result = nullptr,
                  int* seeks = nullptr) {
  MemoryFile input(Bytes(main.begin() + kFileHeaderSize, main.end()));
  MemoryFile output;
  BufferedReader in(input, blockSize);
  BufferedWriter out(output, blockSize);
  Engine engine;
  const RewriteResult done = RewriteRecords(in, out, engine.state, kGeographicToTm2, "in/roads.shp");
  out.Flush();
  if (result != nullptr) *result = done;
  if (seeks != nullptr) *seeks = output.Seeks();
  return output.Data();
}

Bytes BodyOf(const Bytes& main) { return Bytes(main.begin() + kFileHeaderSize, main.end()); }

const std::vector<XY> kLine = {{120.1, 22.1}, {120.6, 24.9}, {121.9, 22.2}, {121.4, 23.5}, {120.2, 25.0}};

struct LayoutCase {
  const char* Name;
  ShapeType FileType;
  std::vector<RecordContent> Records;
};

std::vector<LayoutCase> LayoutCases() {
  const std::vector<std::int32_t> twoParts = {0, 3};
  return {
      {"Point", ShapeType::Point, {PointRecord(ShapeType::Point, {121.2, 23.4})}},
      {"PointM without its measure", ShapeType::PointM, {PointRecord(ShapeType::PointM, kLine[0])}},
      {"PointM", ShapeType::PointM, {PointRecord(ShapeType::PointM, kLine[0], Trailer::M)}},
      {"PointZ of 28 bytes", ShapeType::PointZ, {PointRecord(ShapeType::PointZ, kLine[1], Trailer::Z)}},
      {"PointZ of 36 bytes", ShapeType::PointZ, {PointRecord(ShapeType::PointZ, kLine[1], Trailer::ZM)}},
      {"MultiPoint", ShapeType::MultiPoint, {MultiPointRecord(ShapeType::MultiPoint, kLine)}},
      {"MultiPointM", ShapeType::MultiPointM, {MultiPointRecord(ShapeType::MultiPointM, kLine, Trailer::M)}},
      {"MultiPointZ without measures", ShapeType::MultiPointZ,
       {MultiPointRecord(ShapeType::MultiPointZ, kLine, Trailer::Z)}},
      {"MultiPointZ", ShapeType::MultiPointZ, {MultiPointRecord(ShapeType::MultiPointZ, kLine, Trailer::ZM)}},
      {"Arc of two parts", ShapeType::Arc, {PartsRecord(ShapeType::Arc, twoParts, kLine)}},
      {"Polygon", ShapeType::Polygon, {PartsRecord(ShapeType::Polygon, {0}, kLine)}},
      {"ArcM", ShapeType::ArcM, {PartsRecord(ShapeType::ArcM, twoParts, kLine, Trailer::M)}},
      {"ArcM without measures", ShapeType::ArcM, {PartsRecord(ShapeType::ArcM, twoParts, kLine)}},
      {"PolygonM", ShapeType::PolygonM, {PartsRecord(ShapeType::PolygonM, {0}, kLine, Trailer::M)}},
      {"ArcZ without measures", ShapeType::ArcZ, {PartsRecord(ShapeType::ArcZ, twoParts, kLine, Trailer::Z)}},
      {"ArcZ with measures", ShapeType::ArcZ, {PartsRecord(ShapeType::ArcZ, twoParts, kLine, Trailer::ZM)}},
      {"PolygonZ", ShapeType::PolygonZ, {PartsRecord(ShapeType::PolygonZ, {0}, kLine, Trailer::ZM)}},
      {"PolygonZ without measures", ShapeType::PolygonZ,
       {PartsRecord(ShapeType::PolygonZ, twoParts, kLine, Trailer::Z)}},
      {"MultiPatch", ShapeType::MultiPatch, {PartsRecord(ShapeType::MultiPatch, twoParts, kLine, Trailer::ZM)}},
      {"NullShape", ShapeType::NullShape, {NullRecord(), NullRecord()}},
      {"NullShape between polygons", ShapeType::Polygon,
       {PartsRecord(ShapeType::Polygon, {0}, kLine), NullRecord(),
        PartsRecord(ShapeType::Polygon, {0}, {kLine[2], kLine[3], kLine[4], kLine[2]})}},
      {"records of another type converted by their own layout", ShapeType::Polygon,
       {PointRecord(ShapeType::PointZ, kLine[3], Trailer::Z), PartsRecord(ShapeType::Polygon, {0}, kLine),
        MultiPointRecord(ShapeType::MultiPoint, kLine)}},
      {"an Arc without points keeps its converted corners", ShapeType::Arc,
       {ContentBuilder(3).Box({120.5, 22.5, 121.5, 24.5}).Int(0).Int(0).Build()}},
      {"bytes after the layout are carried", ShapeType::Arc,
       {ContentBuilder(3).Box(BoundsOf(kLine)).Int(1).Int(5).Int(0).Points(kLine).Int(77).Int(-1).Build()}},
  };
}

TEST(RewriteRecords, EveryLayoutConvertsItsPointsAndBoxesAndCopiesEveryOtherByte) {
  for (const LayoutCase& c : LayoutCases()) {
    SCOPED_TRACE(c.Name);
    const Shapefile file = BuildShapefile(c.FileType, c.Records);
    Engine engine;
    const Bytes expected = BodyOf(ExpectedConversion(file, engine.state, kGeographicToTm2).Main);
    const bool hasCoordinates = std::any_of(c.Records.begin(), c.Records.end(), [](const RecordContent& r) {
      return !r.PointOffsets.empty() || r.BoxOffset;
    });
    if (hasCoordinates) {
      ASSERT_NE(expected, BodyOf(file.Main)) << "the case converts nothing";
    }
    // A block of 64 bytes splits fields across refills and patches boxes by seeking back.
    for (std::size_t block : {kDefaultBlockSize, std::size_t{64}}) {
      EXPECT_EQ(RewriteBody(file.Main, block), expected) << "block " << block;
    }
  }
}

TEST(RewriteRecords, RecordBoxIsTheExtentOfItsConvertedPointsNotItsConvertedCorners) {
  // Meridians converge: converting the corners (122, 25) of this box gives an easting smaller
  // than that of the point (121.9, 22.2).
  const Shapefile file = BuildShapefile(ShapeType::Polygon, {PartsRecord(ShapeType::Polygon, {0}, kLine)});
  RewriteResult result;
  const Bytes body = RewriteBody(file.Main, kDefaultBlockSize, &result);
  const Box box = ReadBox(body.data() + kRecordHeaderSize + 4);

  Engine engine;
  Bytes corners(file.Main.begin() + file.RecordStarts[0] + 4, file.Main.begin() + file.RecordStarts[0] + 36);
  ConvertBoxCorners(engine.state, kGeographicToTm2, corners.data());
  EXPECT_GT(box.Xmax, ReadBox(corners.data()).Xmax);

  double x = kLine[2].X, y = kLine[2].Y;
  ConvertPoint(engine.state, kGeographicToTm2, x, y, x, y);
  EXPECT_EQ(box.Xmax, x);
  EXPECT_EQ(result.Points.Bounds().Xmax, x);
  EXPECT_EQ(result.Records, 1u);
  EXPECT_EQ(result.Vertices, kLine.size());
}

TEST(RewriteRecords, PolygonLargerThanTheOutputBlockGetsItsBoxBySeekingBack) {
  std::vector<XY> ring;
  for (int i = 0; i < 200; ++i) ring.push_back({120.0 + 0.01 * i, 22.0 + 0.015 * i});
  const Shapefile file = BuildShapefile(ShapeType::Polygon, {PartsRecord(ShapeType::Polygon, {0}, ring)});
  Engine engine;
  int seeks = 0;
  EXPECT_EQ(RewriteBody(file.Main, 256, nullptr, &seeks),
            BodyOf(ExpectedConversion(file, engine.state, kGeographicToTm2).Main));
  EXPECT_EQ(seeks, 2);  // to the box and back to the end
}

struct DamageCase {
  const char* Name;
  std::vector<RecordContent> Records;
  std::size_t CutLastRecordBy;  // bytes removed from the end of the main file
  Bytes Appended;               // bytes added after the last record
  RecordDamage Damage;          // as data
  std::string Expected;         // the end of the message after "record N (at byte B) "
  std::int32_t ContentLength = 0;  // if not 0, written over the last record's ContentLength
};

TEST(RewriteRecords, DamagedRecordsEndTheRewritingWithTheirNumber) {
  const RecordContent good = PartsRecord(ShapeType::Arc, {0}, kLine);
  const std::vector<DamageCase> cases = {
      {"file cut inside a record", {good, good}, 10, {}, RecordDamage::PastEnd, "runs past the end of the file (128 bytes, 118 left)"},
      {"file cut inside a record header", {good}, 0, {0, 0, 0, 2, 0}, RecordDamage::CutShort, "is cut short"},
      {"negative content length", {good}, 0, {}, RecordDamage::ContentLength, "has a content length of -3 words", -3},
      {"content holding only the shape type", {ContentBuilder(1).Build()}, 0, {}, RecordDamage::TooShort, "is too short for a Point (4 bytes)"},
      {"negative number of parts", {ContentBuilder(3).Box({}).Int(-1).Int(0).Build()}, 0, {},
       RecordDamage::NegativeCount, "has a negative count (-1 parts, 0 points)"},
      {"two billion parts", {ContentBuilder(5).Box({}).Int(2000000000).Int(1).Int(0).Point({121, 23}).Build()},
       0, {}, RecordDamage::TooManyPartsPoints, "has 2000000000 parts and 1 points, more than its 64 bytes hold"},
      {"more points than the content holds",
       {ContentBuilder(8).Box({}).Int(6).Points(kLine).Build()}, 0, {}, RecordDamage::TooManyPoints, "has 6 points, more than its 120 bytes hold"},
      {"negative number of points", {ContentBuilder(8).Box({}).Int(-5).Build()}, 0, {},
       RecordDamage::NegativePoints, "has a negative number of points (-5)"},
      {"parts out of order", {PartsRecord(ShapeType::Arc, {0, 3, 2}, kLine)}, 0, {},
       RecordDamage::PartOutOfOrder, "has part 2 starting at point 2, out of order or past its 5 points"},
      {"part past the points", {PartsRecord(ShapeType::Arc, {0, 5}, kLine)}, 0, {},
       RecordDamage::PartOutOfOrder, "has part 1 starting at point 5, out of order or past its 5 points"},
      {"ArcZ without its Z values", {PartsRecord(ShapeType::ArcZ, {0}, kLine)}, 0, {},
       RecordDamage::TooManyPartsPoints, "has 1 parts and 5 points, more than its 128 bytes hold"},
      {"PointZ without its Z", {PointRecord(ShapeType::PointZ, kLine[0])}, 0, {},
       RecordDamage::TooShort, "is too short for a PointZ (20 bytes)"},
      {"unknown shape type", {ContentBuilder(7).Point({121, 23}).Build()}, 0, {},
       RecordDamage::UnknownType, "has the unknown shape type 7"},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<RecordContent> records = c.Records;
    Shapefile file = BuildShapefile(ShapeType::Arc, records);
    if (c.ContentLength != 0)
      WriteInt32BE(file.Main.data() + file.RecordStarts.back() - 4, c.ContentLength);
    file.Main.resize(file.Main.size() - c.CutLastRecordBy);
    file.Main.insert(file.Main.end(), c.Appended.begin(), c.Appended.end());
    const std::size_t damaged = c.Appended.empty() ? records.size() : records.size() + 1;
    const std::size_t at = c.Appended.empty() ? file.RecordStarts.back() - kRecordHeaderSize
                                              : file.Main.size() - c.Appended.size();
    const std::string message = "File in/roads.shp is damaged: record " + std::to_string(damaged) +
                                " (at byte " + std::to_string(at - kFileHeaderSize) + ") " + c.Expected;
    try {
      RewriteBody(file.Main, kDefaultBlockSize);
      ADD_FAILURE() << "no error";
    } catch (const RunError& error) {
      EXPECT_EQ(error.what(), message);
      const ErrorDetails& details = error.Details();
      EXPECT_EQ(details.Kind, ErrorKind::DamagedRecord);
      EXPECT_EQ(details.Path, "in/roads.shp");
      EXPECT_EQ(details.Record, damaged);
      EXPECT_EQ(details.Offset, at - kFileHeaderSize);
      EXPECT_EQ(details.Damage, c.Damage);
      // The English text is worded from the details alone.
      EXPECT_EQ(EnglishText(details), message);
    }
  }
}

}  // namespace
}  // namespace morvane::test
