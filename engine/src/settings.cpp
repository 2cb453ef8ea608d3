#include "engine/settings.hpp"

#include "engine/constants.hpp"
#include "engine/lambert_grid.hpp"
#include "engine/messages.hpp"

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

// Step 1: the ellipsoid and grid of the mode. Modes 6 to 9, 14 and 15 read no field and keep
// them all; modes 2 to 5, 10 and 11 keep the central meridian for the region step.
void ApplyModeSettings(TransformSettings& settings, TransformMode mode, MessageSink& messages) {
  switch (mode) {
    case 0:
    case 1:
      SetGrid(settings, kTwd67SemiMajorAxis, kTwd67InverseFlattening, kTm2FalseEasting,
              kTm2ScaleFactor);
      settings.CentralMeridian = kTaiwanCentralMeridian;
      break;
    case 2:
    case 3:
      SetGrid(settings, kTwd67SemiMajorAxis, kTwd67InverseFlattening, kTm3FalseEasting,
              kTm3ScaleFactor);
      break;
    case 4:
    case 5:
      SetGrid(settings, kTwd67SemiMajorAxis, kUtmInverseFlattening, kUtmFalseEasting,
              kUtmScaleFactor);
      break;
    case 10:
    case 11:
      SetGrid(settings, kTwd67SemiMajorAxis, kTwd67InverseFlattening, kTm2FalseEasting,
              kTm2ScaleFactor);
      break;
    case 12:
    case 13:
      SetGrid(settings, kGrs80SemiMajorAxis, kGrs80SettingsInverseFlattening, kTm2FalseEasting,
              kTm2ScaleFactor);
      settings.CentralMeridian = kTaiwanCentralMeridian;
      break;
    case 6:
    case 7:
    case 8:
    case 9:
    case 14:
    case 15:
      break;
    default:
      messages.ShowMessage(kNoThisChoice);
      break;
  }
}

// Region 1: the islands' own zones. Modes 8, 10 and 11 get the two-degree meridian too:
// modes 10 and 11 read it on both of their two-degree grids, and keeping an earlier run's
// value (121 after start-up) would put every island point in the wrong zone.
void ApplyIslandsCentralMeridian(TransformSettings& settings, TransformMode mode) {
  switch (mode) {
    case 0:
    case 1:
    case 8:
    case 10:
    case 11:
    case 12:
    case 13:
      settings.CentralMeridian = kIslandsTm2CentralMeridian;
      break;
    case 2:
    case 3:
      settings.CentralMeridian = kIslandsTm3CentralMeridian;
      break;
    case 4:
    case 5:
      settings.CentralMeridian = kIslandsUtmCentralMeridian;
      break;
    default:
      break;  // modes that read no central meridian, and a mode out of range
  }
}

// Step 2: the central meridian of the region, and for the mainland its Lambert grid.
void ApplyRegionSettings(TransformSettings& settings, LambertParameters& lambert,
                         TransformMode mode, Region region, MessageSink& messages) {
  switch (region) {
    case 0:
      settings.CentralMeridian =
          (mode == 4 || mode == 5) ? kUtm51CentralMeridian : kTaiwanCentralMeridian;
      break;
    case 1:
      ApplyIslandsCentralMeridian(settings, mode);
      break;
    case 2:
      // The status is 0 for these fixed arguments; the grid keeps the module's ellipsoid.
      SetLambertParameters(lambert, lambert.SemiMajorAxis, lambert.Flattening,
                           kMainlandOriginLatitude, kMainlandCentralMeridian,
                           kMainlandFirstParallel, kMainlandSecondParallel, 0.0, 0.0);
      break;
    default:
      messages.ShowMessage(kNoThisChoice);
      break;
  }
}

}  // namespace

void ApplyTransformSettings(TransformSettings& settings, LambertParameters& lambert,
                            TransformMode mode, Region region, MessageSink& messages) {
  ApplyModeSettings(settings, mode, messages);
  ApplyRegionSettings(settings, lambert, mode, region, messages);
}

}  // namespace morvane
