// One file converted on several threads against the same file on one: the outputs, the
// messages, every progress report, the figures, the settings left behind and, for damaged
// input, the error and the absence of outputs must all be the same.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/mode_table.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/conversion_run.hpp"
#include "support/file_bytes.hpp"
#include "support/run_feedback.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane::test {
namespace {

// Records what the run shows, checks every progress report and stops once StopAfterReports
// came (0: never), as a cancelled run.
class CheckedFeedback : public RecordingFeedback {
 public:
  void OnBytesRead(std::uint64_t done, std::uint64_t total) override {
    RecordingFeedback::OnBytesRead(done, total);
    EXPECT_GE(total, done);
  }
  bool StopRequested() override { return StopAfterReports > 0 && BytesRead.size() >= StopAfterReports; }
  std::size_t StopAfterReports = 0;
};

// What one conversion of the fixture showed and left.
struct Outcome {
  std::vector<std::string> Messages;
  std::vector<int> FileProgress;
  std::vector<std::uint64_t> BytesRead;
  std::string Error;  // empty when converted
  std::vector<std::string> Names;
  Bytes Main;
  Bytes Index;
  std::uint64_t Records = 0;
  std::uint64_t Vertices = 0;
  Bytes Settings;  // the value bytes of the five fields
};

Bytes SettingsBytes(const TransformSettings& settings) {
  Bytes bytes;
  for (const Extended* field : {&settings.SemiMajorAxis, &settings.InverseFlattening, &settings.FalseEasting,
                                &settings.ScaleFactor, &settings.CentralMeridian}) {
    const auto* first = reinterpret_cast<const unsigned char*>(field);
    bytes.insert(bytes.end(), first, first + 10);
  }
  return bytes;
}

// The engine is set up for `settingsMode` (region 1, Taiwan) and then converts with `mode`, as
// a run whose settings an earlier run left behind.
Outcome Convert(const TempFolder& folder, TransformMode settingsMode, TransformMode mode,
                const ConversionThreads& threads, std::size_t stopAfterReports = 0) {
  CheckedFeedback feedback;
  feedback.StopAfterReports = stopAfterReports;
  EngineState engine(feedback);
  ApplyTransformSettings(engine, settingsMode, kTaiwanRegion);
  LocalFileSystem files;
  ShapefileStats stats;
  Outcome outcome;
  try {
    ConvertShapefile(engine, folder.Path(), "big.shp", mode, feedback, files, &stats, threads);
    outcome.Main = ReadFileBytes(folder / "big_1.shp");
    outcome.Index = ReadFileBytes(folder / "big_1.shx");
  } catch (const std::exception& error) {
    outcome.Error = error.what();
  }
  outcome.Messages = feedback.Messages;
  outcome.FileProgress = feedback.FileProgress;
  outcome.BytesRead = feedback.BytesRead;
  outcome.Names = folder.Names();
  outcome.Records = stats.Records;
  outcome.Vertices = stats.Vertices;
  outcome.Settings = SettingsBytes(engine.Settings);
  return outcome;
}

void ExpectSame(const Outcome& one, const Outcome& many) {
  EXPECT_EQ(many.Error, one.Error);
  EXPECT_EQ(many.Messages, one.Messages);
  EXPECT_EQ(many.FileProgress, one.FileProgress);
  EXPECT_EQ(many.BytesRead, one.BytesRead);
  EXPECT_EQ(many.Names, one.Names);
  EXPECT_TRUE(many.Main == one.Main) << "main files differ";
  EXPECT_TRUE(many.Index == one.Index) << "indexes differ";
  EXPECT_EQ(many.Records, one.Records);
  EXPECT_EQ(many.Vertices, one.Vertices);
  EXPECT_EQ(many.Settings, one.Settings);
}

// A Polygon file of about 2 MB, so that progress is reported more than once: polygons of 1 to
// 300 points, null records between them, and a few polygons larger than the blocks below.
Shapefile MixedPolygons(double x0, double x1, double y0, double y1) {
  std::mt19937_64 random(14);
  const auto uniform = [&random](double low, double high) {
    return low + (high - low) * (static_cast<double>(random() >> 11) * 0x1.0p-53);
  };
  std::vector<RecordContent> records;
  for (int r = 0; r < 750; ++r) {
    if (r % 37 == 5) {
      records.push_back(NullRecord());
      continue;
    }
    const int count = r % 250 == 100 ? 6000 : 1 + static_cast<int>(random() % 300);
    std::vector<XY> points;
    for (int i = 0; i < count; ++i) points.push_back({uniform(x0, x1), uniform(y0, y1)});
    records.push_back(PartsRecord(ShapeType::Polygon, count > 1 ? std::vector<std::int32_t>{0, count / 2}
                                                                : std::vector<std::int32_t>{0},
                                  points));
  }
  return BuildShapefile(ShapeType::Polygon, records);
}

const Shapefile& Tm2Polygons() {
  static const Shapefile file = MixedPolygons(150000, 350000, 2400000, 2800000);
  return file;
}

const ConversionThreads kThreadings[] = {
    {2, 65536},  // a few hundred blocks, the largest polygons rewritten straight from the file
    {3, 4096},
    {7, 1 << 20},
};

// The settings a UTM run leaves, and the mode that writes its TWD67 grid fields over them.
constexpr TransformMode kUtmSettings = IndexOf(Mode::UtmToTwd67Geographic);
constexpr TransformMode kTwd97Tm2ToTwd67Tm2 = IndexOf(Mode::Twd97Tm2ToTwd67Tm2);

struct ModeCase {
  Mode Settings;
  Mode Which;
};

// Mode 12 (TWD97 TM2 to TWD67 TM2) on settings that another mode left writes its three TWD67
// grid fields; the other two read the settings (the two-degree grid) and the Lambert grid.
const ModeCase kModeCases[] = {{Mode::UtmToTwd67Geographic, Mode::Twd97Tm2ToTwd67Tm2},
                               {Mode::Twd67Tm2ToTwd67Geographic, Mode::Twd67Tm2ToTwd67Geographic},
                               {Mode::LambertToGeographic, Mode::LambertToGeographic}};

TEST(RecordThreads, ManyThreadsGiveWhatOneGivesByteForByte) {
  for (const ModeCase& c : kModeCases) {
    SCOPED_TRACE("mode " + std::to_string(IndexOf(c.Which)));
    const Shapefile& input =
        c.Which == Mode::LambertToGeographic ? MixedPolygons(-1500000, 1500000, 2000000, 4000000) : Tm2Polygons();
    TempFolder folder;
    WriteShapefile(folder, "big", input);
    const Outcome one = Convert(folder, IndexOf(c.Settings), IndexOf(c.Which), {1});
    ASSERT_EQ(one.Error, "");
    ASSERT_GT(one.BytesRead.size(), 1u);
    if (c.Which == Mode::Twd97Tm2ToTwd67Tm2) {
      IgnoringFeedback quiet;
      EngineState start(quiet);
      ApplyTransformSettings(start, IndexOf(c.Settings), kTaiwanRegion);
      ASSERT_NE(one.Settings, SettingsBytes(start.Settings)) << "the fixture must show mode 11's writes";
    }
    for (const ConversionThreads& threads : kThreadings) {
      SCOPED_TRACE(std::to_string(threads.Count) + " threads, blocks of " + std::to_string(threads.BlockBytes));
      ExpectSame(one, Convert(folder, IndexOf(c.Settings), IndexOf(c.Which), threads));
    }
  }
}

// Damage is planted into copies of the fixture's main file.
void SetDouble(Bytes& main, std::size_t at, double value) { WriteDoubleLE(main.data() + at, value); }

struct DamageCase {
  const char* Name;
  void (*Plant)(Shapefile& file);
};

// Within a Polygon record's content: shape type, box, NumParts, NumPoints, then Parts.
constexpr std::size_t kFirstPartOffset = 44;

// The offset of record r's first X.
std::size_t FirstX(const Shapefile& file, std::size_t r) { return file.RecordStarts[r] + file.Records[r].PointOffsets[0]; }

const DamageCase kDamageCases[] = {
    {"a NaN late in the file", [](Shapefile& f) { SetDouble(f.Main, FirstX(f, 700), std::nan("")); }},
    {"a part past the points", [](Shapefile& f) { WriteInt32LE(f.Main.data() + f.RecordStarts[500] + kFirstPartOffset, 100000); }},
    {"a content length past the end", [](Shapefile& f) { WriteInt32BE(f.Main.data() + f.RecordStarts[749] - 4, 1 << 30); }},
    {"a content length of one word", [](Shapefile& f) { WriteInt32BE(f.Main.data() + f.RecordStarts[300] - 4, 1); }},
    {"an overflow in a large polygon", [](Shapefile& f) { SetDouble(f.Main, FirstX(f, 600) + 16 * 3000, 1e308); }},
    {"two faults: the earlier one counts",
     [](Shapefile& f) {
       SetDouble(f.Main, FirstX(f, 650), std::nan(""));
       WriteInt32LE(f.Main.data() + f.RecordStarts[450] + kFirstPartOffset, -3);
     }},
};

TEST(RecordThreads, DamageAnywhereEndsTheFileAsOnOneThreadWithNothingWritten) {
  for (const DamageCase& c : kDamageCases) {
    SCOPED_TRACE(c.Name);
    Shapefile input = Tm2Polygons();
    c.Plant(input);
    TempFolder folder;
    WriteShapefile(folder, "big", input);
    const Outcome one = Convert(folder, kUtmSettings, kTwd97Tm2ToTwd67Tm2, {1});
    ASSERT_NE(one.Error, "");
    EXPECT_EQ(one.Names, (std::vector<std::string>{"big.dbf", "big.shp", "big.shx"}));
    for (const ConversionThreads& threads : kThreadings) {
      SCOPED_TRACE(std::to_string(threads.Count) + " threads, blocks of " + std::to_string(threads.BlockBytes));
      ExpectSame(one, Convert(folder, kUtmSettings, kTwd97Tm2ToTwd67Tm2, threads));
    }
  }
}

// A stop asked for between blocks ends the file where one thread ends it: the same reports up to
// the stop, nothing written, the threads ended with the blocks they held.
TEST(RecordThreads, AStopBetweenBlocksEndsTheFileAsOnOneThreadWithNothingWritten) {
  TempFolder folder;
  WriteShapefile(folder, "big", Tm2Polygons());
  for (const std::size_t reports : {1, 2}) {
    SCOPED_TRACE("stopped after report " + std::to_string(reports));
    const Outcome one = Convert(folder, kUtmSettings, kTwd97Tm2ToTwd67Tm2, {1}, reports);
    ASSERT_EQ(one.Error, "Conversion cancelled");
    EXPECT_EQ(one.BytesRead.size(), reports);
    EXPECT_EQ(one.Names, (std::vector<std::string>{"big.dbf", "big.shp", "big.shx"}));
    for (const ConversionThreads& threads : kThreadings) {
      SCOPED_TRACE(std::to_string(threads.Count) + " threads, blocks of " + std::to_string(threads.BlockBytes));
      ExpectSame(one, Convert(folder, kUtmSettings, kTwd97Tm2ToTwd67Tm2, threads, reports));
    }
  }
}

}  // namespace
}  // namespace morvane::test
