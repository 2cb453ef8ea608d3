#include "shapefile/datum_step.hpp"

#include <cstdio>
#include <memory>

#include "engine/builtin_transforms.hpp"
#include "engine/mode_table.hpp"
#include "engine/plane_model_file.hpp"
#include "engine/plane_transform.hpp"

namespace morvane {

namespace {

// A model file is a few kilobytes; anything far larger is not one.
constexpr std::uint64_t kLargestModelFile = 16 * 1024 * 1024;

// The whole file; a FileError if it cannot be read.
std::string ReadWhole(FileSystem& files, const std::string& path) {
  std::unique_ptr<File> file = files.OpenRead(path);
  const std::uint64_t size = file->Size();
  if (size > kLargestModelFile) throw FileError(FileOperation::Read, path, "too large for a model file");
  std::string text(static_cast<std::size_t>(size), '\0');
  text.resize(file->Read(text.data(), text.size()));
  file->Close();
  return text;
}

DatumStepError ErrorFor(DatumStepProblem kind, TransformMode mode, Region region, const std::string& path) {
  DatumStepError error;
  error.Kind = kind;
  error.Mode = mode;
  error.RegionIndex = region;
  error.Path = path;
  return error;
}

std::string Metres(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f m", value);
  return text;
}

std::string Coordinate(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

}  // namespace

DatumStepResolution ResolveDatumStep(std::string_view choice, TransformMode mode, Region region, FileSystem& files) {
  if (choice == kStandardStepName) return {DatumStep{}, std::nullopt};
  const std::string path(choice);
  if (!TakesDatumStep(mode)) return {std::nullopt, ErrorFor(DatumStepProblem::NotADatumMode, mode, region, "")};
  DatumStep step;
  if (choice == kCommonPointsStepName) {
    const std::optional<int> meridian = RegionTm2Meridian(region);
    if (!meridian) return {std::nullopt, ErrorFor(DatumStepProblem::NoBuiltinModel, mode, region, "")};
    step.Kind = DatumStepKind::CommonPoints;
    step.Transform = BuiltinTransform(*meridian);
  } else {
    std::string text;
    try {
      text = ReadWhole(files, path);
    } catch (const FileError& error) {
      DatumStepError refusal = ErrorFor(DatumStepProblem::UnreadableModel, mode, region, path);
      refusal.Reason = error.Reason();
      return {std::nullopt, refusal};
    }
    ModelFileResult model = ReadModel(text);
    if (!model.Ok()) {
      DatumStepError refusal = ErrorFor(DatumStepProblem::InvalidModel, mode, region, path);
      refusal.Model = model.Error;
      return {std::nullopt, refusal};
    }
    step.Kind = DatumStepKind::ModelFile;
    step.ModelPath = path;
    step.Transform = std::make_shared<const FittedTransform>(std::move(*model.Transform));
  }
  if (std::optional<DatumStepError> error = CheckDatumStep({mode, region, step})) return {std::nullopt, error};
  return {step, std::nullopt};
}

std::string DatumStepName(const DatumStep& step) {
  switch (step.Kind) {
    case DatumStepKind::Standard:
      return std::string(kStandardStepName);
    case DatumStepKind::CommonPoints:
      return std::string(kCommonPointsStepName);
    case DatumStepKind::ModelFile:
      break;
  }
  return "model file " + step.ModelPath;
}

std::string DatumReportText(TransformMode mode, const DatumStep& step) {
  std::string text = "Morvane datum step report\n";
  if (mode < kModeCount) {
    const ModeRow& row = RowOf(mode);
    text += "Mode: " + std::to_string(row.Number) + ", " + std::string(row.Source.Description) + " to " +
            std::string(row.Target.Description) + "\n";
  }
  text += "Datum step: " + DatumStepName(step) + " (a plane transform fitted to common points, not the standard "
          "seven-parameter shift)\n";
  if (!step.Transform) return text;
  const FittedTransform& transform = *step.Transform;
  const FitSummary& fit = transform.Summary();
  text += "Model: " + std::string(PlaneModelName(transform.Model())) + "\n";
  text += "Meridian: " + std::to_string(transform.Meridian()) + " (TWD67 TM2 to TWD97 TM2 on this grid)\n";
  // A fit made in the window and not saved yet has no file to name.
  if (step.Kind == DatumStepKind::ModelFile)
    text += "Model file: " + (step.ModelPath.empty() ? std::string("(fitted to common points, not saved)") : step.ModelPath) + "\n";
  text += "Common points: " + std::to_string(fit.PointCount) + "\n";
  text += "RMS: " + Metres(fit.Rms) + " (largest " + Metres(fit.Max) + ")\n";
  text += "Leave-one-out RMS: " + Metres(fit.LooRms) + " (largest " + Metres(fit.LooMax) + ")\n";
  const PlaneBox& area = transform.FittedArea();
  text += "Fitted area (TWD67 TM2 metres): E " + Coordinate(area.MinE) + " to " + Coordinate(area.MaxE) + ", N " +
          Coordinate(area.MinN) + " to " + Coordinate(area.MaxN) + "\n";
  if (!transform.Attribution().empty()) text += transform.Attribution() + "\n";
  return text;
}

}  // namespace morvane
