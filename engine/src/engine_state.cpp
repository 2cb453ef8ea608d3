#include "engine/engine_state.hpp"

#include <cfenv>

#include "engine/processor.hpp"

namespace morvane {

const TmSettingsGrid& SettingsGridCache::Derive(const TransformSettings& settings) {
  // Derived under clear flags so that what the derivation raises is known; the flags raised
  // before stay raised, and the derivation's own are raised again on top of them.
  std::fexcept_t before;
  std::fegetexceptflag(&before, kTrappedFlags);
  std::feclearexcept(kTrappedFlags);
  grid_ = TmSettingsGridOf(settings);
  processor::Materialise(grid_);  // computed before the flags are read
  const int raised = std::fetestexcept(kTrappedFlags);
  std::fesetexceptflag(&before, kTrappedFlags);
  if (raised != 0) std::feraiseexcept(raised);
  const Extended* fields[5] = {&settings.SemiMajorAxis, &settings.InverseFlattening,
                               &settings.FalseEasting, &settings.ScaleFactor,
                               &settings.CentralMeridian};
  for (int i = 0; i < 5; ++i) {
    std::memcpy(&keyLow_[i], fields[i], 8);
    std::memcpy(&keyHigh_[i], reinterpret_cast<const unsigned char*>(fields[i]) + 8, 2);
  }
  valid_ = raised == 0;
  return grid_;
}

}  // namespace morvane
