#include "shapefile/shapefile_conversion.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/builtin_transforms.hpp"
#include "pending_outputs.hpp"
#include "shapefile/buffered_io.hpp"
#include "shapefile/datum_step.hpp"
#include "shapefile/folder_listing.hpp"
#include "shapefile/headers.hpp"
#include "shapefile/output_names.hpp"
#include "shapefile/records.hpp"
#include "shapefile/target_system.hpp"

namespace morvane {

namespace {

// A header's box becomes the extent of the converted records; a file without points keeps
// the conversion of its stored corners.
void SetHeaderBox(EngineState& engine, TransformMode mode, ShapefileHeader& header,
                  const Extent& records) {
  if (records.Empty())
    ConvertHeaderBox(engine, mode, header.Bytes.data());
  else
    WriteBox(header.Box(), records.Bounds());
}

// Abandons the file in progress when the run is to stop; its temporaries go as the error unwinds.
void StopIfRequested(RunFeedback& feedback) {
  if (feedback.StopRequested()) throw ConversionCancelled();
}

void WriteTextFile(FileSystem& files, const std::string& path, const std::string& text) {
  std::unique_ptr<File> file = files.Create(path);
  file->Write(text.data(), text.size());
  file->Close();
}

// The step a datum report describes: the caller's, or, if the caller gave another, the one the
// engine holds, named by what it is.
DatumStep ReportedStep(const EngineState& engine, const DatumStep& datum) {
  if (datum.Transform == engine.Datum) return datum;
  const bool builtin = engine.Datum == BuiltinTransform(engine.Datum->Meridian());
  return {builtin ? DatumStepKind::CommonPoints : DatumStepKind::ModelFile, "", engine.Datum};
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
  if (in.Read(header.Bytes.data(), kFileHeaderSize) < kFileHeaderSize) ThrowShortHeader(inputPath);
  CheckMainFileHeader(header, in.FileSize(), inputPath);
  out.Write(header.Bytes.data(), kFileHeaderSize);

  const RewriteResult records =
      RewriteRecordsOnThreads(in, out, engine, mode, inputPath,
                              [&](std::uint64_t done) {
                                feedback.OnBytesRead(done, in.FileSize());
                                StopIfRequested(feedback);
                              },
                              threads);
  SetHeaderBox(engine, mode, header, records.Points);
  out.PatchAt(kHeaderBoxOffset, header.Box(), kBoxSize);
  out.Flush();
  output->Close();

  stats.Records = records.Records;
  stats.Vertices = records.Vertices;
  stats.BytesRead = in.Position();
  return records.Points;
}

// Checks the header of the main file before its companions are looked for, so that a file
// that is no shapefile is said to be one, and leaves the file at its start.
void CheckMainFileStart(File& input, const std::string& path) {
  ShapefileHeader header;
  std::size_t got = 0;
  for (std::size_t n; got < kFileHeaderSize && (n = input.Read(header.Bytes.data() + got, kFileHeaderSize - got)) > 0;)
    got += n;
  if (got < kFileHeaderSize) ThrowShortHeader(path);
  CheckMainFileHeader(header, input.Size(), path);
  input.SeekToStart();
}

// The index copy at `outputPath` with its header box set.
void WriteIndex(EngineState& engine, TransformMode mode, const std::string& inputPath,
                FileSystem& files, const std::string& outputPath, const Extent& records) {
  files.CopyNoOverwrite(inputPath, outputPath);
  std::unique_ptr<File> index = files.OpenReadWrite(outputPath);
  ShapefileHeader header;
  if (index->Read(header.Bytes.data(), kFileHeaderSize) < kFileHeaderSize) ThrowShortHeader(inputPath);
  SetHeaderBox(engine, mode, header, records);
  index->SeekToStart();
  index->Write(header.Bytes.data(), kFileHeaderSize);
  index->Close();
}

}  // namespace

ShapefileOutcome ConvertShapefile(EngineState& engine, const std::string& folder,
                                  const std::string& item, TransformMode mode,
                                  RunFeedback& feedback, FileSystem& files,
                                  ShapefileStats* stats, const ConversionThreads& threads, const DatumStep& datum) {
  const ShapefileNames names = BuildShapefileNames(folder, item);
  std::unique_ptr<File> input = files.OpenRead(names.InputMain);
  CheckMainFileStart(*input, names.InputMain);
  const std::optional<std::string> index = FindCompanion(files, names.Stem, ".shx");
  const std::optional<std::string> table = index ? FindCompanion(files, names.Stem, ".dbf") : std::nullopt;
  if (!index || !table) {
    const ErrorDetails missing = DetailsOf(ErrorKind::MissingCompanion, names.Stem + (index ? ".dbf" : ".shx"));
    feedback.ShowError(EnglishText(missing));
    if (stats != nullptr) {
      stats->Missing = EnglishText(missing);
      stats->MissingDetails = missing;
    }
    return ShapefileOutcome::MissingCompanion;
  }

  // The system the converted coordinates are in (none for a mode that converts nothing), and
  // the table's code page, which the byte copy of the table keeps. The input's own .prj
  // describes the source system and is never carried.
  const std::optional<std::string> system = TargetSystemWkt(mode, engine.Settings, engine.Lambert);
  const std::optional<std::string> codePage = FindCompanion(files, names.Stem, ".cpg");
  // Outputs of a fitted datum step carry a report of it; an earlier report goes with the
  // outputs it described.
  const std::optional<std::string> datumReport =
      engine.Datum && TakesDatumStep(mode) ? std::optional(DatumReportText(mode, ReportedStep(engine, datum)))
                                           : std::nullopt;

  std::vector<OutputCondition> holding;  // of the outputs not always written (kConversionOutputs)
  if (system) holding.push_back(OutputCondition::TargetSystem);
  if (codePage) holding.push_back(OutputCondition::InputCodePage);
  if (datumReport) holding.push_back(OutputCondition::FittedDatumStep);

  PendingOutputs outputs(files, names, holding);
  ShapefileStats done;
  try {
    const Extent records = WriteMainFile(engine, mode, *input, names.InputMain, files,
                                         outputs.Temporary(names.OutputMain), feedback, done, threads);
    StopIfRequested(feedback);
    WriteIndex(engine, mode, *index, files, outputs.Temporary(names.OutputIndex), records);
    StopIfRequested(feedback);
    files.CopyNoOverwrite(*table, outputs.Temporary(names.OutputTable));
    if (system) WriteTextFile(files, outputs.Temporary(names.OutputProjection), *system);
    if (codePage) files.CopyNoOverwrite(*codePage, outputs.Temporary(names.OutputCodePage));
    if (datumReport) WriteTextFile(files, outputs.Temporary(names.OutputDatumReport), *datumReport);
    input->Close();
  } catch (const FileError& error) {
    outputs.Rethrow(error);
  }
  // The last moment to stop: once the outputs move into place, the file is converted.
  StopIfRequested(feedback);
  outputs.Commit();
  feedback.SetFileProgress(100);
  if (stats != nullptr) *stats = done;
  return ShapefileOutcome::Converted;
}

}  // namespace morvane
