#include "shapefile/conversion_run.hpp"

#include <unistd.h>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <utility>

#include "shapefile/buffered_io.hpp"
#include "shapefile/folder_listing.hpp"
#include "shapefile/headers.hpp"
#include "shapefile/live_temporaries.hpp"
#include "shapefile/output_names.hpp"
#include "shapefile/records.hpp"
#include "shapefile/target_system.hpp"

namespace morvane {

namespace {

constexpr char kCompletionText[] = "已完成!! 請按確定";
constexpr char kCompletionCaption[] = "Message";

[[noreturn]] void ShortHeader(const std::string& path) {
  throw RunError("File " + path + " is damaged: its header is shorter than 100 bytes");
}

// A header's box becomes the extent of the converted records; a file without points keeps
// the conversion of its stored corners.
void SetHeaderBox(EngineState& engine, TransformMode mode, ShapefileHeader& header,
                  const Extent& records) {
  if (records.Empty())
    ConvertHeaderBox(engine, mode, header.Bytes.data());
  else
    WriteBox(header.Box(), records.Bounds());
}

// One shapefile's outputs while they are written under temporary names. Unless Commit has
// moved them into place, the temporaries are removed when this goes out of scope.
class PendingOutputs {
 public:
  struct Output {
    std::string Final;
    std::string Temporary;
  };

  // `written`: the outputs that this conversion writes. `dropped`: outputs that it does not
  // write this time (no .cpg beside the input); an earlier file of such a name described the
  // outputs being replaced, so it goes when they do.
  PendingOutputs(FileSystem& files, const std::vector<std::string>& written, std::vector<std::string> dropped)
      : files_(files), dropped_(std::move(dropped)) {
    for (const std::string& final : written) {
      outputs_.push_back({final, NewTemporary(final)});
      RegisterTemporary(outputs_.back().Temporary);  // before it exists, for a stop by a signal
      files_.Remove(outputs_.back().Temporary);  // left by an earlier process of the same id
    }
    std::vector<std::string> finals = written;
    finals.insert(finals.end(), dropped_.begin(), dropped_.end());
    RemoveAbandonedTemporaries(files_, finals);  // left by runs that were killed
  }
  ~PendingOutputs() {
    for (const Output& output : outputs_) {
      if (!committed_) files_.Remove(output.Temporary);
      ForgetTemporary(output.Temporary);
    }
  }
  PendingOutputs(const PendingOutputs&) = delete;
  PendingOutputs& operator=(const PendingOutputs&) = delete;

  // The temporary of the written output `final`.
  const std::string& Temporary(const std::string& final) const {
    for (const Output& output : outputs_) {
      if (output.Final == final) return output.Temporary;
    }
    throw std::logic_error("no temporary for " + final);
  }

  // The same error, naming the final output instead of its temporary.
  [[noreturn]] void Rethrow(const FileError& error) const {
    for (const Output& output : outputs_) {
      if (error.Path() == output.Temporary) throw FileError(error.Operation(), output.Final, error.Reason());
    }
    throw error;
  }

  // Renames every temporary over its final name and removes the dropped outputs. The earlier
  // outputs are first moved aside under temporary names, so that a failure part way can put
  // all of them back: the outputs are then either all new or all as they were. The earlier
  // files moved aside are removed last; one that cannot be is left under its temporary name.
  void Commit() {
    const auto hold = HoldOffRemoval();  // a stop by a signal waits until all are in place
    std::vector<Output> asides;  // earlier outputs and where they were moved
    std::size_t placed = 0;      // temporaries renamed into place
    std::string moving;          // the output being moved, which an error names
    try {
      std::vector<std::string> finals = dropped_;
      for (const Output& output : outputs_) finals.push_back(output.Final);
      for (const std::string& final : finals) {
        moving = final;
        if (!files_.IsRegularFile(final)) continue;
        const std::string aside = NewTemporary(final);
        files_.Rename(final, aside);
        asides.push_back({final, aside});
      }
      for (; placed < outputs_.size(); ++placed) {
        moving = outputs_[placed].Final;
        files_.Rename(outputs_[placed].Temporary, outputs_[placed].Final);
      }
    } catch (const FileError& error) {
      PutBack(asides, placed);
      throw FileError(error.Operation(), moving, error.Reason());
    }
    committed_ = true;
    for (const Output& aside : asides) files_.Remove(aside.Temporary);
  }

 private:
  static std::string NewTemporary(const std::string& final) {
    static std::atomic<unsigned long> counter{0};
    return TemporaryOutputPath(final, static_cast<unsigned long>(::getpid()), counter++);
  }

  // Undoes a Commit that failed: the outputs placed go and the earlier files come back.
  void PutBack(const std::vector<Output>& asides, std::size_t placed) noexcept {
    for (std::size_t i = 0; i < placed; ++i) files_.Remove(outputs_[i].Final);
    for (const Output& aside : asides) {
      try {
        files_.Rename(aside.Temporary, aside.Final);
      } catch (const FileError&) {
        // Stays under its temporary name; the error that ended the commit is the one reported.
      }
    }
  }

  FileSystem& files_;
  std::vector<Output> outputs_;
  std::vector<std::string> dropped_;
  bool committed_ = false;
};

// name_1.prj, name_1.cpg: beside name_1.shp, with its base.
std::string SiblingOutput(const ShapefileNames& names, const char* extension) {
  return names.OutputMain.substr(0, names.OutputMain.size() - 4) + extension;
}

void WriteTextFile(FileSystem& files, const std::string& path, const std::string& text) {
  std::unique_ptr<File> file = files.Create(path);
  file->Write(text.data(), text.size());
  file->Close();
}

// Writes the converted main file to `outputPath`; returns the extent of its records.
Extent WriteMainFile(EngineState& engine, TransformMode mode, File& input,
                     const std::string& inputPath, FileSystem& files,
                     const std::string& outputPath, RunFeedback& feedback, ShapefileStats& stats,
                     const ConversionThreads& threads) {
  std::unique_ptr<File> output = files.Create(outputPath);
  BufferedReader in(input);
  BufferedWriter out(*output);
  ShapefileHeader header;
  if (in.Read(header.Bytes.data(), kFileHeaderSize) < kFileHeaderSize) ShortHeader(inputPath);
  CheckMainFileHeader(header, in.FileSize(), inputPath);
  out.Write(header.Bytes.data(), kFileHeaderSize);

  const RewriteResult records =
      RewriteRecordsOnThreads(in, out, engine, mode, inputPath,
                              [&](std::uint64_t done) { feedback.OnBytesRead(done, in.FileSize()); }, threads);
  SetHeaderBox(engine, mode, header, records.Points);
  out.PatchAt(kHeaderBoxOffset, header.Box(), kBoxSize);
  out.Flush();
  output->Close();

  stats.Records = records.Records;
  stats.Vertices = records.Vertices;
  stats.BytesRead = in.Position();
  return records.Points;
}

// The index copy at `outputPath` with its header box set.
void WriteIndex(EngineState& engine, TransformMode mode, const std::string& inputPath,
                FileSystem& files, const std::string& outputPath, const Extent& records) {
  files.CopyNoOverwrite(inputPath, outputPath);
  std::unique_ptr<File> index = files.OpenReadWrite(outputPath);
  ShapefileHeader header;
  if (index->Read(header.Bytes.data(), kFileHeaderSize) < kFileHeaderSize) ShortHeader(inputPath);
  SetHeaderBox(engine, mode, header, records);
  index->SeekToStart();
  index->Write(header.Bytes.data(), kFileHeaderSize);
  index->Close();
}

}  // namespace

ShapefileOutcome ConvertShapefile(EngineState& engine, const std::string& folder,
                                  const std::string& item, TransformMode mode,
                                  RunFeedback& feedback, FileSystem& files,
                                  ShapefileStats* stats, const ConversionThreads& threads) {
  const ShapefileNames names = BuildShapefileNames(folder, item);
  std::unique_ptr<File> input = files.OpenRead(names.InputMain);
  const std::optional<std::string> index = FindCompanion(files, names.Stem, ".shx");
  if (!index) {
    feedback.ShowMessage(names.Stem + ".shx Not found");
    return ShapefileOutcome::EndRun;
  }
  const std::optional<std::string> table = FindCompanion(files, names.Stem, ".dbf");
  if (!table) {
    feedback.ShowMessage(names.Stem + ".dbf Not found");
    return ShapefileOutcome::EndRun;
  }

  // The system the converted coordinates are in (none for a mode that converts nothing), and
  // the table's code page, which the byte copy of the table keeps. The input's own .prj
  // describes the source system and is never carried.
  const std::optional<std::string> system = TargetSystemWkt(mode, engine.Settings, engine.Lambert);
  const std::optional<std::string> codePage = FindCompanion(files, names.Stem, ".cpg");
  const std::string projectionOutput = SiblingOutput(names, ".prj");
  const std::string codePageOutput = SiblingOutput(names, ".cpg");
  std::vector<std::string> written = {names.OutputMain, names.OutputIndex, names.OutputTable};
  std::vector<std::string> dropped;
  (system ? written : dropped).push_back(projectionOutput);
  (codePage ? written : dropped).push_back(codePageOutput);

  PendingOutputs outputs(files, written, std::move(dropped));
  ShapefileStats done;
  try {
    const Extent records = WriteMainFile(engine, mode, *input, names.InputMain, files,
                                         outputs.Temporary(names.OutputMain), feedback, done, threads);
    WriteIndex(engine, mode, *index, files, outputs.Temporary(names.OutputIndex), records);
    files.CopyNoOverwrite(*table, outputs.Temporary(names.OutputTable));
    if (system) WriteTextFile(files, outputs.Temporary(projectionOutput), *system);
    if (codePage) files.CopyNoOverwrite(*codePage, outputs.Temporary(codePageOutput));
    input->Close();
  } catch (const FileError& error) {
    outputs.Rethrow(error);
  }
  outputs.Commit();
  feedback.SetFileProgress(100);
  if (stats != nullptr) *stats = done;
  return ShapefileOutcome::Converted;
}

void RunConversion(EngineState& engine, const std::vector<RunItem>& items,
                   const std::string& folder, TransformMode mode, Region region,
                   RunFeedback& feedback, FileSystem& files, const ConversionThreads& threads) {
  ApplyTransformSettings(engine, mode, region);
  std::int64_t ticked = 0;
  for (const RunItem& item : items) ticked += item.Ticked ? 1 : 0;

  std::int64_t started = 0;
  for (const RunItem& item : items) {
    if (!item.Ticked) continue;
    feedback.SetOverallProgress(static_cast<int>(started * 100 / ticked));
    ++started;
    if (ConvertShapefile(engine, folder, item.Text, mode, feedback, files, nullptr, threads) == ShapefileOutcome::EndRun)
      break;
  }
  feedback.SetOverallProgress(100);
  feedback.ShowCompletion(kCompletionText, kCompletionCaption);
}

}  // namespace morvane
