#include "engine/conversion.hpp"

#include "engine/constants.hpp"
#include "engine/mode_table.hpp"
#include "engine/plane_transform.hpp"
#include "chain_dispatch.hpp"

namespace morvane {

bool TakesDatumStep(TransformMode mode) { return mode < kModeCount && TakesFittedDatum(RowOf(mode).Steps); }

std::optional<int> RegionTm2Meridian(Region region) {
  if (region == kTaiwanRegion) return static_cast<int>(kTaiwanCentralMeridian);
  if (region == kIslandsRegion) return static_cast<int>(kIslandsTm2CentralMeridian);
  return std::nullopt;
}

std::string DescribeInEnglish(const DatumStepError& error) {
  const std::string region = "region " + std::to_string(error.RegionIndex + 1);
  switch (error.Kind) {
    case DatumStepProblem::NotADatumMode:
      return "mode " + std::to_string(error.Mode + 1) +
             " shifts no datum; a datum step other than standard applies only to modes 9, 10, 11, 12, 15 and 16";
    case DatumStepProblem::NoTm2Grid:
      return region + " has no two-degree grid for a fitted datum step";
    case DatumStepProblem::NoBuiltinModel:
      return region + " has no built-in common-points model (regions 1 and 2 have one)";
    case DatumStepProblem::NoTransform:
      return "the fitted datum step has no transform";
    case DatumStepProblem::MeridianMismatch:
      return "the model is fitted on the " + std::to_string(error.ModelMeridian) + " meridian, but " + region +
             "'s grid is on the " + std::to_string(error.RegionMeridian) + " meridian";
    case DatumStepProblem::UnreadableModel:
      return "cannot read model file " + error.Path + (error.Reason.empty() ? "" : ": " + error.Reason);
    case DatumStepProblem::InvalidModel:
      return "model file " + error.Path + ": " + (error.Model ? DescribeInEnglish(*error.Model) : "not a model");
  }
  return "unknown datum step problem";
}

std::optional<DatumStepError> CheckDatumStep(const Conversion& conversion) {
  const DatumStep& step = conversion.Datum;
  if (step.Kind == DatumStepKind::Standard) return std::nullopt;
  DatumStepError error;
  error.Mode = conversion.Mode;
  error.RegionIndex = conversion.RegionIndex;
  error.Path = step.ModelPath;
  const std::optional<int> meridian = RegionTm2Meridian(conversion.RegionIndex);
  if (!TakesDatumStep(conversion.Mode)) {
    error.Kind = DatumStepProblem::NotADatumMode;
  } else if (!meridian) {
    error.Kind = DatumStepProblem::NoTm2Grid;
  } else if (!step.Transform) {
    error.Kind = DatumStepProblem::NoTransform;
  } else if (step.Transform->Meridian() != *meridian) {
    error.Kind = DatumStepProblem::MeridianMismatch;
    error.ModelMeridian = step.Transform->Meridian();
    error.RegionMeridian = *meridian;
  } else {
    return std::nullopt;
  }
  return error;
}

void PrepareEngine(EngineState& state, const Conversion& conversion) {
  state.Settings = TransformSettings{};
  state.Lambert = LambertParameters{};
  state.Grids = SettingsGridCache{};
  state.Datum = conversion.Datum.Kind == DatumStepKind::Standard ? nullptr : conversion.Datum.Transform;
  ApplyTransformSettings(state, conversion.Mode, conversion.RegionIndex);
}

EngineState EngineFor(const Conversion& conversion, MessageSink& messages) {
  EngineState state(messages);
  PrepareEngine(state, conversion);
  return state;
}

}  // namespace morvane
