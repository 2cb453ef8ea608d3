#include "conversion_check.hpp"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>

#include "engine/engine_state.hpp"
#include "engine/extended.hpp"
#include "shapefile/buffered_io.hpp"
#include "shapefile/byte_order.hpp"
#include "shapefile/conversion_run.hpp"
#include "shapefile/output_names.hpp"
#include "shapefile/records.hpp"
#include "support/expected_conversion.hpp"
#include "support/memory_file_system.hpp"
#include "support/run_feedback.hpp"

namespace morvane::fuzz {

namespace {

constexpr char kFolder[] = "in";
constexpr char kMain[] = "in/f.shp";
constexpr char kIndex[] = "in/f.shx";
constexpr char kTable[] = "in/f.dbf";

struct Choices {
  TransformMode Mode;
  Region RegionIndex;
  std::size_t BlockSize;
};

Choices ChoicesOf(std::uint8_t byte) {
  static constexpr std::size_t kBlockSizes[] = {64, 100, 509, 4096};
  return {static_cast<TransformMode>(byte & 15u), ((byte >> 4) & 3) % 3, kBlockSizes[byte >> 6]};
}

struct RunResult {
  Outcome Result = Outcome::Unexpected;
  std::string Message;
};

template <typename Conversion>
RunResult Classify(Conversion conversion) {
  try {
    conversion();
    return {Outcome::Converted, ""};
  } catch (const FileError& error) {
    // In memory no file operation fails, unless the run writes a file it opened for reading.
    return {Outcome::Unexpected, std::string("file error: ") + error.what()};
  } catch (const RunError& error) {
    return {Outcome::Damaged, error.what()};
  } catch (const ConversionError& error) {
    return {Outcome::EngineError, error.what()};
  } catch (const std::exception& error) {
    return {Outcome::Unexpected, std::string("unexpected exception: ") + error.what()};
  }
}

// ---- the independent reading of the layout --------------------------------------------

struct LayoutReading {
  test::Shapefile File;  // Records and RecordStarts; Main and Index are set by the caller
  std::string Damage;    // empty if every record fits, else what the damage message must say
};

enum class Kind { Null, Point, MultiPoint, Parts, Unknown };

struct KindOfType {
  Kind Layout = Kind::Unknown;
  bool Z = false;          // a Z range and one Z per point must follow the points
  bool PartTypes = false;  // one part type per part follows the part starts
};

KindOfType KindOf(std::int32_t type) {
  switch (type) {
    case 0: return {Kind::Null};
    case 1: case 21: return {Kind::Point};
    case 11: return {Kind::Point, true};
    case 8: case 28: return {Kind::MultiPoint};
    case 18: return {Kind::MultiPoint, true};
    case 3: case 5: case 23: case 25: return {Kind::Parts};
    case 13: case 15: return {Kind::Parts, true};
    case 31: return {Kind::Parts, true, true};
    default: return {};
  }
}

std::string RecordAt(std::uint64_t number, std::uint64_t offset) {
  return "record " + std::to_string(number) + " (at byte " + std::to_string(offset) + ")";
}

// Marks the coordinates of one record's content, or says why they do not fit.
bool ReadContent(const unsigned char* content, std::uint64_t size, test::RecordContent& record) {
  const std::int32_t type = ReadInt32LE(content);
  const KindOfType kind = KindOf(type);
  const std::uint64_t rest = size - 4;  // after the shape type
  switch (kind.Layout) {
    case Kind::Null:
      return true;
    case Kind::Point:
      if (rest < 16 + (kind.Z ? 8u : 0u)) return false;
      record.PointOffsets.push_back(4);
      return true;
    case Kind::MultiPoint: {
      if (rest < 36) return false;
      const std::int64_t points = ReadInt32LE(content + 36);
      if (points < 0) return false;
      const std::uint64_t need = 36 + 16 * static_cast<std::uint64_t>(points) +
                                 (kind.Z ? 16 + 8 * static_cast<std::uint64_t>(points) : 0);
      if (need > rest) return false;
      record.BoxOffset = 4;
      for (std::int64_t i = 0; i < points; ++i) record.PointOffsets.push_back(40 + 16 * static_cast<std::size_t>(i));
      return true;
    }
    case Kind::Parts: {
      if (rest < 40) return false;
      const std::int64_t parts = ReadInt32LE(content + 36);
      const std::int64_t points = ReadInt32LE(content + 40);
      if (parts < 0 || points < 0) return false;
      const std::uint64_t starts = 4 * static_cast<std::uint64_t>(parts);
      const std::uint64_t partTypes = kind.PartTypes ? starts : 0;
      const std::uint64_t need = 40 + starts + partTypes + 16 * static_cast<std::uint64_t>(points) +
                                 (kind.Z ? 16 + 8 * static_cast<std::uint64_t>(points) : 0);
      if (need > rest) return false;
      std::int64_t previous = -1;
      for (std::int64_t i = 0; i < parts; ++i) {
        const std::int64_t first = ReadInt32LE(content + 44 + 4 * i);
        if (first <= previous || first >= points) return false;
        previous = first;
      }
      record.BoxOffset = 4;
      const std::size_t firstPoint = 44 + static_cast<std::size_t>(starts + partTypes);
      for (std::int64_t i = 0; i < points; ++i) record.PointOffsets.push_back(firstPoint + 16 * static_cast<std::size_t>(i));
      return true;
    }
    case Kind::Unknown:
      return false;
  }
  return false;
}

LayoutReading ReadLayout(const Bytes& main) {
  LayoutReading reading;
  if (main.size() < kFileHeaderSize) {
    reading.Damage = "its header is shorter than 100 bytes";
    return reading;
  }
  std::uint64_t at = kFileHeaderSize;
  for (std::uint64_t number = 1; at < main.size(); ++number) {
    const std::uint64_t left = main.size() - at;
    const std::int32_t words = left < kRecordHeaderSize ? 0 : ReadInt32BE(main.data() + at + 4);
    const std::uint64_t size = 2 * static_cast<std::uint64_t>(std::max(words, 0));
    test::RecordContent record;
    if (left < kRecordHeaderSize || words < 2 || size > left - kRecordHeaderSize ||
        !ReadContent(main.data() + at + kRecordHeaderSize, size, record)) {
      reading.Damage = RecordAt(number, at);
      return reading;
    }
    const auto content = main.begin() + static_cast<std::ptrdiff_t>(at + kRecordHeaderSize);
    record.Data.assign(content, content + static_cast<std::ptrdiff_t>(size));
    reading.File.Records.push_back(std::move(record));
    reading.File.RecordStarts.push_back(static_cast<std::size_t>(at + kRecordHeaderSize));
    at += kRecordHeaderSize + size;
  }
  return reading;
}

// What the run must say of the main file's header before any record is read, or empty if
// the header lets the records be read: a header of another kind of file, or a file shorter
// than its header says. A file shorter than a header is left to the reading of the layout.
std::string HeaderVerdict(const Bytes& main) {
  if (main.size() < kFileHeaderSize) return "";
  const std::string file = std::string("File ") + kMain;
  if (ReadInt32BE(main.data()) != 9994 || ReadInt32LE(main.data() + 28) != 1000 ||
      KindOf(ReadInt32LE(main.data() + 32)).Layout == Kind::Unknown)
    return file + " is not a shapefile";
  const std::int64_t stated = 2 * static_cast<std::int64_t>(ReadInt32BE(main.data() + 24));
  if (stated > static_cast<std::int64_t>(main.size()))
    return file + " is damaged: its header gives a length of " + std::to_string(stated) + " bytes";
  return "";
}

// ---- the expected conversion ----------------------------------------------------------

struct Expectation {
  test::Shapefile Converted;
  bool EngineFails = false;  // some point cannot be converted
};

Expectation Expect(const test::Shapefile& file, const Choices& choices) {
  test::IgnoringFeedback quiet;
  EngineState reference(quiet);
  ApplyTransformSettings(reference, choices.Mode, choices.RegionIndex);
  Expectation expectation;
  try {
    expectation.Converted = test::ExpectedConversion(file, reference, choices.Mode);
  } catch (const ConversionError&) {
    expectation.EngineFails = true;
    return expectation;
  }
  // The run refuses a point that converts to NaN, as the extent could not hold it.
  for (std::size_t r = 0; r < file.Records.size(); ++r) {
    for (const std::size_t at : file.Records[r].PointOffsets) {
      const unsigned char* point = expectation.Converted.Main.data() + file.RecordStarts[r] + at;
      if (std::isnan(ReadDoubleLE(point)) || std::isnan(ReadDoubleLE(point + 8))) expectation.EngineFails = true;
    }
  }
  return expectation;
}

// ---- the two conversions --------------------------------------------------------------

RunResult ConvertWhole(MemoryFileSystem& files, const Choices& choices, std::vector<std::string>& messages) {
  // Collects every message: with a mode and a region in range, none may come.
  test::RecordingFeedback feedback;
  EngineState engine(feedback);
  ApplyTransformSettings(engine, choices.Mode, choices.RegionIndex);
  const RunResult result = Classify([&] { ConvertShapefile(engine, kFolder, "f.shp", choices.Mode, feedback, files); });
  messages = feedback.Messages;
  return result;
}

RunResult RewriteAlone(const Bytes& main, const Choices& choices, Bytes& output) {
  test::IgnoringFeedback quiet;
  EngineState engine(quiet);
  ApplyTransformSettings(engine, choices.Mode, choices.RegionIndex);
  test::MemoryFile input(main);
  test::MemoryFile written;
  BufferedReader in(input, choices.BlockSize);
  BufferedWriter out(written, choices.BlockSize);
  unsigned char header[kFileHeaderSize];
  in.Read(header, sizeof header);
  out.Write(header, sizeof header);
  const RunResult result = Classify([&] {
    RewriteRecords(in, out, engine, choices.Mode, kMain);
    out.Flush();
  });
  output = written.Data();
  return result;
}

std::string Describe(const RunResult& result) {
  switch (result.Result) {
    case Outcome::Converted: return "converted";
    case Outcome::Damaged: return "damaged (" + result.Message + ")";
    case Outcome::EngineError: return "engine error (" + result.Message + ")";
    case Outcome::Unexpected: break;
  }
  return result.Message;
}

bool SameBody(const Bytes& a, const Bytes& b) {
  return a.size() == b.size() && a.size() >= kFileHeaderSize &&
         std::equal(a.begin() + kFileHeaderSize, a.end(), b.begin() + kFileHeaderSize);
}

}  // namespace

CheckReport CheckFuzzInput(const std::uint8_t* data, std::size_t size,
                           const std::function<void(MemoryFileSystem&)>& afterRun) {
  const Choices choices = ChoicesOf(size > 0 ? data[0] : 0);
  const Bytes main = size > 0 ? Bytes(data + 1, data + size) : Bytes();
  const Bytes index(main.begin(), main.begin() + static_cast<std::ptrdiff_t>(std::min(main.size(), kFileHeaderSize)));
  const Bytes table = {'t', 'a', 'b', 'l', 'e'};
  const std::map<std::string, Bytes> inputs = {{kMain, main}, {kIndex, index}, {kTable, table}};

  MemoryFileSystem files;
  for (const auto& [path, bytes] : inputs) files.Put(path, bytes);
  std::vector<std::string> messages;
  const RunResult whole = ConvertWhole(files, choices, messages);
  if (afterRun) afterRun(files);

  CheckReport report;
  report.Result = whole.Result;
  report.Message = whole.Message;
  auto finding = [&](const std::string& text) { report.Findings.push_back(text); };
  if (whole.Result == Outcome::Unexpected) finding(whole.Message);
  for (const std::string& message : messages) finding("message shown: " + message);

  // Inputs untouched; nothing left but complete outputs, and no output after a failure.
  const std::map<std::string, Bytes> after = files.Contents();
  for (const auto& [path, bytes] : inputs) {
    const auto found = after.find(path);
    if (found == after.end() || found->second != bytes) finding("input " + path + " changed");
  }
  for (const auto& [path, bytes] : after) {
    if (inputs.count(path) != 0) continue;
    if (IsTemporaryOutputName(path.substr(path.rfind('/') + 1)))
      finding("temporary " + path + " left");
    else if (whole.Result != Outcome::Converted)
      finding("output " + path + " written although the conversion failed");
  }

  const LayoutReading layout = ReadLayout(main);
  const std::string headerVerdict = HeaderVerdict(main);
  std::optional<Expectation> expected;
  if (layout.Damage.empty()) {
    test::Shapefile file = layout.File;
    file.Main = main;
    file.Index = index;
    expected = Expect(file, choices);
  }
  if (!headerVerdict.empty()) {
    if (whole.Result != Outcome::Damaged || whole.Message.compare(0, headerVerdict.size(), headerVerdict) != 0)
      finding(Describe(whole) + ", not \"" + headerVerdict + "\"");
  } else if (!layout.Damage.empty()) {
    const std::string damaged = std::string("File ") + kMain + " is damaged: " + layout.Damage;
    if (whole.Result == Outcome::Converted)
      finding("converted although " + layout.Damage + " does not fit its layout");
    else if (whole.Result == Outcome::Damaged && whole.Message.compare(0, damaged.size(), damaged) != 0)
      finding("reported \"" + whole.Message + "\", not \"" + damaged + " ...\"");
  } else {
    if (whole.Result == Outcome::Damaged)
      finding("reported a file whose records all fit as damaged: " + whole.Message);
    else if (whole.Result == Outcome::EngineError && !expected->EngineFails)
      finding("engine error on points that convert: " + whole.Message);
    else if (whole.Result == Outcome::Converted && expected->EngineFails)
      finding("converted although a point cannot be converted");
    else if (whole.Result == Outcome::Converted) {
      const auto output = [&](const char* name) {
        const auto found = after.find(std::string(kFolder) + "/" + name);
        return found == after.end() ? std::optional<Bytes>() : found->second;
      };
      if (output("f_1.shp") != expected->Converted.Main) finding("in/f_1.shp is not the expected conversion");
      if (output("f_1.shx") != expected->Converted.Index) finding("in/f_1.shx is not the expected conversion");
      if (output("f_1.dbf") != table) finding("in/f_1.dbf is not a copy of the table");
    }
  }

  // The same records through small blocks: the same outcome, the same bytes. Only the
  // header's box, which this pass leaves alone, may fail in the engine in the whole run alone.
  // This pass does not look at the header: where the run refused the header, its records are
  // held to the reading of the layout instead.
  if (main.size() >= kFileHeaderSize && !headerVerdict.empty()) {
    Bytes body;
    const RunResult alone = RewriteAlone(main, choices, body);
    const std::string damaged = std::string("File ") + kMain + " is damaged: " + layout.Damage;
    if (!layout.Damage.empty()) {
      const bool reported = alone.Result == Outcome::Damaged && alone.Message.compare(0, damaged.size(), damaged) == 0;
      if (!reported && alone.Result != Outcome::EngineError)
        finding("small blocks: " + Describe(alone) + ", not \"" + damaged + " ...\"");
    } else if (expected->EngineFails ? alone.Result == Outcome::Damaged : alone.Result != Outcome::Converted) {
      // Where the expected conversion fails, the failing point may be the header's box alone,
      // which this pass does not convert: converted or an engine error are both right then.
      finding("small blocks, records that all fit: " + Describe(alone));
    } else if (!expected->EngineFails && !SameBody(body, expected->Converted.Main)) {
      finding("with blocks of " + std::to_string(choices.BlockSize) + " bytes the records are not the expected conversion");
    }
  } else if (main.size() >= kFileHeaderSize) {
    Bytes body;
    const RunResult alone = RewriteAlone(main, choices, body);
    const bool headerFailedAlone = whole.Result == Outcome::EngineError && alone.Result == Outcome::Converted;
    if (alone.Result == Outcome::Unexpected) finding("small blocks: " + alone.Message);
    if (alone.Result != whole.Result && !headerFailedAlone)
      finding("with blocks of " + std::to_string(choices.BlockSize) + " bytes: " + Describe(alone) +
              ", in one piece: " + Describe(whole));
    else if (alone.Result == whole.Result && alone.Message != whole.Message)
      finding("small blocks: \"" + alone.Message + "\", in one piece: \"" + whole.Message + "\"");
    else if (alone.Result == Outcome::Converted && expected && !expected->EngineFails &&
             !SameBody(body, expected->Converted.Main))
      finding("with blocks of " + std::to_string(choices.BlockSize) + " bytes the records are not the expected conversion");
  }
  return report;
}

}  // namespace morvane::fuzz
