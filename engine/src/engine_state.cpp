#include "engine/engine_state.hpp"

#include <cfenv>

#include "engine/processor.hpp"

namespace morvane {

const TmSettingsGrid& SettingsGridCache::Derive(const TransformSettings& settings) {
  // Derived under clear flags so that what the derivation raises is known; the flags raised
  // before are raised again, so both stay raised. Not fegetexceptflag and fesetexceptflag:
  // mingw-w64's fesetexceptflag clears the exception masks of MXCSR, so that the next SSE
  // division by zero or overflow would trap and end the program.
  const int before = std::fetestexcept(kTrappedFlags);
  std::feclearexcept(kTrappedFlags);
  grid_ = TmSettingsGridOf(settings);
  processor::Materialise(grid_);  // computed before the flags are read
  const int raised = std::fetestexcept(kTrappedFlags);
  if (before != 0) std::feraiseexcept(before);
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
