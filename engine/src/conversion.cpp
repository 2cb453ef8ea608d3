#include "engine/conversion.hpp"

namespace morvane {

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
