// Byte order, file headers and the names a conversion builds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "engine/modes.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/headers.hpp"
#include "shapefile/output_names.hpp"
#include "support/messages.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane::test {
namespace {

TEST(SwapBytes, ReversesTheFieldInPlaceAndTwiceRestoresIt) {
  struct Case {
    Bytes In;
    Bytes Out;
  };
  const std::vector<Case> cases = {
      {{}, {}}, {{7}, {7}}, {{1, 2}, {2, 1}}, {{1, 2, 3}, {3, 2, 1}}, {{1, 2, 3, 4}, {4, 3, 2, 1}},
      {{1, 2, 3, 4, 5, 6, 7, 8}, {8, 7, 6, 5, 4, 3, 2, 1}}};
  for (const Case& c : cases) {
    Bytes field = c.In;
    SwapBytes(field.data(), static_cast<int>(field.size()));
    EXPECT_EQ(field, c.Out);
    SwapBytes(field.data(), static_cast<int>(field.size()));
    EXPECT_EQ(field, c.In);
  }
}

TEST(ByteOrder, FieldsReadAndWriteInTheirFileOrder) {
  const unsigned char fileCode[] = {0x00, 0x00, 0x27, 0x0A};
  const unsigned char version[] = {0xE8, 0x03, 0x00, 0x00};
  const unsigned char minusTwoBig[] = {0xFF, 0xFF, 0xFF, 0xFE};
  const unsigned char one[] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  EXPECT_EQ(ReadInt32BE(fileCode), 9994);
  EXPECT_EQ(ReadInt32LE(version), 1000);
  EXPECT_EQ(ReadInt32BE(minusTwoBig), -2);
  EXPECT_EQ(ReadDoubleLE(one), 1.0);

  unsigned char field[8];
  WriteInt32BE(field, 9994);
  EXPECT_EQ(Bytes(field, field + 4), Bytes(fileCode, fileCode + 4));
  WriteInt32LE(field, 1000);
  EXPECT_EQ(Bytes(field, field + 4), Bytes(version, version + 4));
  WriteDoubleLE(field, 1.0);
  EXPECT_EQ(Bytes(field, field + 8), Bytes(one, one + 8));
}

TEST(ShapeTypeName, NamesThePublishedCodesAndNothingElse) {
  EXPECT_EQ(ShapeTypeName(0), "NullShape");
  EXPECT_EQ(ShapeTypeName(13), "ArcZ");
  EXPECT_EQ(ShapeTypeName(31), "MultiPatch");
  for (int code : {2, 4, 32, -1}) EXPECT_EQ(ShapeTypeName(code), "UnknownShapeType") << code;
}

TEST(ConvertHeaderBox, ConvertsTheTwoCornersAndNoOtherByte) {
  IgnoringMessages quiet;
  EngineState engine(quiet);
  constexpr TransformMode kGeographicToTm2 = IndexOf(Mode::Twd67GeographicToTwd67Tm2);
  ApplyTransformSettings(engine, kGeographicToTm2, kTaiwanRegion);
  Bytes header = BuildShapefile(ShapeType::Polygon, {}, Box{120, 22, 122, 25}).Main;
  const Bytes before = header;
  ConvertHeaderBox(engine, kGeographicToTm2, header.data());

  EXPECT_EQ(Bytes(header.begin(), header.begin() + 36), Bytes(before.begin(), before.begin() + 36));
  EXPECT_EQ(Bytes(header.begin() + 68, header.end()), Bytes(before.begin() + 68, before.end()));
  double x0 = 120, y0 = 22, x1 = 122, y1 = 25;
  ConvertPoint(engine, kGeographicToTm2, x0, y0, x0, y0);
  ConvertPoint(engine, kGeographicToTm2, x1, y1, x1, y1);
  const Box box = ReadBox(header.data() + kHeaderBoxOffset);
  EXPECT_EQ(box.Xmin, x0);
  EXPECT_EQ(box.Ymin, y0);
  EXPECT_EQ(box.Xmax, x1);
  EXPECT_EQ(box.Ymax, y1);
  EXPECT_GT(x0, 100000.0);  // really a grid easting now
}

TEST(BuildShapefileNames, OutputsShareTheItemsBaseBesideTheInput) {
  struct Case {
    std::string Folder, Item, Stem, Output;  // Output without its extension
  };
  const std::vector<Case> cases = {
      {"/data", "roads.shp", "/data/roads", "/data/roads_1"},
      {"/data", "a.b.shp", "/data/a.b", "/data/a.b_1"},
      {"/data", "ROADS.SHP", "/data/ROADS", "/data/ROADS_1"},
      {"/data/", "roads.shp", "/data/roads", "/data/roads_1"},
      {"/", "roads.shp", "/roads", "/roads_1"},
      {"", "roads.shp", "roads", "roads_1"},
  };
  for (const Case& c : cases) {
    const ShapefileNames names = BuildShapefileNames(c.Folder, c.Item);
    EXPECT_EQ(names.Stem, c.Stem);
    EXPECT_EQ(names.OutputMain, c.Output + ".shp");
    EXPECT_EQ(names.OutputIndex, c.Output + ".shx");
    EXPECT_EQ(names.OutputTable, c.Output + ".dbf");
  }
}

TEST(TemporaryOutputName, IsHiddenBesideTheOutputAndRecognisable) {
  EXPECT_EQ(TemporaryOutputPath("/data/roads_1.shp", 812, 3), "/data/.roads_1.shp.morvane-tmp-812-3");
  EXPECT_EQ(TemporaryOutputPath("roads_1.dbf", 1, 0), ".roads_1.dbf.morvane-tmp-1-0");
  EXPECT_TRUE(IsTemporaryOutputName(".roads_1.shp.morvane-tmp-812-3"));
  for (const char* name : {"roads_1.shp", "roads_1.shp.morvane-tmp-812-3", ".roads_1.shp.morvane-tmp-812-",
                           ".roads_1.shp.morvane-tmp--3", ".roads_1.shp.morvane-tmp-8x2-3", ".morvane-tmp-1-2"})
    EXPECT_FALSE(IsTemporaryOutputName(name)) << name;
}

}  // namespace
}  // namespace morvane::test
