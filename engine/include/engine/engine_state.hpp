// Everything one conversion needs besides its inputs: the settings record, the Lambert grid
// and where messages go. The window owns one for the life of the program; each parallel job
// of the command line owns its own.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "engine/lambert_grid.hpp"
#include "engine/messages.hpp"
#include "engine/settings.hpp"
#include "engine/transverse_mercator.hpp"

namespace morvane {

class FittedTransform;

// The constants that the settings family derives from a TransformSettings, kept with the
// bytes of the settings they came from. For() derives them again whenever it is handed
// settings that differ in any bit, so a change of the settings takes effect at the next call
// exactly as if every operation derived its own. Settings whose derivation raises a
// floating-point flag are never kept: they are derived, and raise the flag, at every call.
class SettingsGridCache {
 public:
  const TmSettingsGrid& For(const TransformSettings& settings) {
    if (valid_ && Holds(settings.SemiMajorAxis, 0) && Holds(settings.InverseFlattening, 1) &&
        Holds(settings.FalseEasting, 2) && Holds(settings.ScaleFactor, 3) &&
        Holds(settings.CentralMeridian, 4)) {
      return grid_;
    }
    return Derive(settings);
  }

 private:
  // Whether `value` holds the value bytes of key field `field`, compared as integers: no value
  // passes the FPU, which would raise the invalid flag for a signalling NaN.
  bool Holds(const Extended& value, int field) const {
    std::uint64_t low;
    std::uint16_t high;
    std::memcpy(&low, &value, 8);
    std::memcpy(&high, reinterpret_cast<const unsigned char*>(&value) + 8, 2);
    return low == keyLow_[field] && high == keyHigh_[field];
  }
  const TmSettingsGrid& Derive(const TransformSettings& settings);

  std::uint64_t keyLow_[5] = {};   // the significand of each field
  std::uint16_t keyHigh_[5] = {};  // its sign and exponent
  bool valid_ = false;
  TmSettingsGrid grid_{};
};

struct EngineState {
  explicit EngineState(MessageSink& messages) : Messages(&messages) {}

  TransformSettings Settings;   // start values until a run writes them
  LambertParameters Lambert;    // the initial grid until a mainland run sets it up
  MessageSink* Messages;        // never null
  SettingsGridCache Grids;      // what ConvertPoint derives from Settings
  // The fitted transform that the datum modes apply instead of the standard shift; null for
  // the standard shift (conversion.hpp).
  std::shared_ptr<const FittedTransform> Datum;
};

// ApplyTransformSettings on the state's own settings, grid and messages.
inline void ApplyTransformSettings(EngineState& state, TransformMode mode, Region region) {
  ApplyTransformSettings(state.Settings, state.Lambert, mode, region, *state.Messages);
}

}  // namespace morvane
