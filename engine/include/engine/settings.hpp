// The five projection parameters that the settings-driven Transverse Mercator operations read
// at every call, and the step that fills them from a mode and a region before a run.
#pragma once

#include <cstdint>

#include "engine/constants.hpp"
#include "engine/extended.hpp"

namespace morvane {

class MessageSink;
struct LambertParameters;

// Item index of the mode radio group, one less than the number users see (ModeOfNumber), below
// kModeCount. Any other value is out of range (-1 reads as a large unsigned value).
using TransformMode = std::uint32_t;
inline constexpr TransformMode kModeCount = 16;

// Item index of the region radio group, one less than the number users see: kTaiwanRegion,
// kIslandsRegion (Penghu, Kinmen and Matsu), kMainlandRegion.
using Region = int;
inline constexpr Region kRegionCount = 3;

// Every value written here is the double nearest to the decimal, held in extended precision.
struct TransformSettings {
  Extended SemiMajorAxis = kTwd67SemiMajorAxis;          // metres
  Extended InverseFlattening = kTwd67InverseFlattening;  // 1/f
  Extended FalseEasting = kTm2FalseEasting;              // metres
  Extended ScaleFactor = kTm2ScaleFactor;                // k0 on the central meridian
  Extended CentralMeridian = kTaiwanCentralMeridian;     // degrees east
};

// Fills `settings` for the mode (step 1) and the region (step 2); for region 3 (the mainland)
// also sets up the mainland Lambert grid in `lambert`. A mode or a region out of range shows
// "No this choice" through `messages` and the step goes on.
void ApplyTransformSettings(TransformSettings& settings, LambertParameters& lambert,
                            TransformMode mode, Region region, MessageSink& messages);

}  // namespace morvane
