#include "engine/settings.hpp"

#include "engine/constants.hpp"
#include "engine/lambert_grid.hpp"
#include "engine/messages.hpp"
#include "engine/mode_table.hpp"

namespace morvane {
namespace {

constexpr const char* kNoThisChoice = "No this choice";

void SetGrid(TransformSettings& settings, Extended semiMajorAxis, Extended inverseFlattening,
             Extended falseEasting, Extended scaleFactor) {
  settings.SemiMajorAxis = semiMajorAxis;
  settings.InverseFlattening = inverseFlattening;
  settings.FalseEasting = falseEasting;
  settings.ScaleFactor = scaleFactor;
}

void WriteGridValues(TransformSettings& settings, GridValues values) {
  switch (values) {
    case GridValues::Keep:
      break;
    case GridValues::Twd67Tm2:
      SetGrid(settings, kTwd67SemiMajorAxis, kTwd67InverseFlattening, kTm2FalseEasting, kTm2ScaleFactor);
      break;
    case GridValues::Tm3:
      SetGrid(settings, kTwd67SemiMajorAxis, kTwd67InverseFlattening, kTm3FalseEasting, kTm3ScaleFactor);
      break;
    case GridValues::Utm:
      SetGrid(settings, kTwd67SemiMajorAxis, kUtmInverseFlattening, kUtmFalseEasting, kUtmScaleFactor);
      break;
    case GridValues::Grs80Tm2:
      SetGrid(settings, kGrs80SemiMajorAxis, kGrs80SettingsInverseFlattening, kTm2FalseEasting,
              kTm2ScaleFactor);
      break;
  }
}

// The mainland grid. The status is 0 for these fixed arguments; the grid keeps the module's
// ellipsoid.
void SetUpMainlandGrid(LambertParameters& lambert) {
  SetLambertParameters(lambert, lambert.SemiMajorAxis, lambert.Flattening, kMainlandOriginLatitude,
                       kMainlandCentralMeridian, kMainlandFirstParallel, kMainlandSecondParallel, 0.0,
                       0.0);
}

}  // namespace

void ApplyTransformSettings(TransformSettings& settings, LambertParameters& lambert,
                            TransformMode mode, Region region, MessageSink& messages) {
  const bool known = mode < kModeCount;
  // Step 1: the ellipsoid and grid of the mode.
  if (known) {
    const ModeRow& row = RowOf(mode);
    WriteGridValues(settings, row.Grid);
    if (row.GridMeridian) settings.CentralMeridian = *row.GridMeridian;
  } else {
    messages.ShowMessage(kNoThisChoice);
  }
  // Step 2: the central meridian of the region, and for the mainland its Lambert grid.
  if (region < 0 || region >= kRegionCount) {
    messages.ShowMessage(kNoThisChoice);
    return;
  }
  const std::optional<Extended> meridian =
      known ? RowOf(mode).Meridians[static_cast<std::size_t>(region)]
            : (region == kTaiwanRegion ? std::optional<Extended>(kTaiwanCentralMeridian) : std::nullopt);
  if (meridian) settings.CentralMeridian = *meridian;
  // The Lambert modes always convert on the mainland grid, whatever region was chosen and
  // whatever ran before.
  if (region == kMainlandRegion || (known && RowOf(mode).UsesLambertGrid)) SetUpMainlandGrid(lambert);
}

}  // namespace morvane
