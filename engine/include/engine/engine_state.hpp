// Everything one conversion needs besides its inputs: the settings record, the Lambert grid
// and where messages go. The window owns one for the life of the program; each parallel job
// of the command line owns its own.
#pragma once

#include "engine/lambert_grid.hpp"
#include "engine/messages.hpp"
#include "engine/settings.hpp"

namespace morvane {

struct EngineState {
  explicit EngineState(MessageSink& messages) : Messages(&messages) {}

  TransformSettings Settings;   // start values until a run writes them
  LambertParameters Lambert;    // the initial grid until a mainland run sets it up
  MessageSink* Messages;        // never null
};

// ApplyTransformSettings on the state's own settings, grid and messages.
inline void ApplyTransformSettings(EngineState& state, TransformMode mode, Region region) {
  ApplyTransformSettings(state.Settings, state.Lambert, mode, region, *state.Messages);
}

}  // namespace morvane
