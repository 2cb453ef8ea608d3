#include "engine/engine_state.hpp"

#include <cfenv>
#include <cstring>

namespace morvane {
namespace {

// The value bytes of the five settings fields, in the layout of the key.
void KeyOf(const TransformSettings& settings, unsigned char (&key)[5][10]) {
  const Extended* fields[5] = {&settings.SemiMajorAxis, &settings.InverseFlattening,
                               &settings.FalseEasting, &settings.ScaleFactor,
                               &settings.CentralMeridian};
  for (int i = 0; i < 5; ++i) std::memcpy(key[i], fields[i], 10);
}

}  // namespace

const TmSettingsGrid& SettingsGridCache::For(const TransformSettings& settings) {
  unsigned char key[5][kKeyBytes];
  KeyOf(settings, key);
  if (valid_ && std::memcmp(key, key_, sizeof key) == 0) return grid_;

  // Derived under clear flags so that what the derivation raises is known; the flags raised
  // before stay raised, and the derivation's own are raised again on top of them.
  std::fexcept_t before;
  std::fegetexceptflag(&before, kTrappedFlags);
  std::feclearexcept(kTrappedFlags);
  grid_ = TmSettingsGridOf(settings);
  __asm__ __volatile__("" : : "m"(grid_) : "memory");  // computed before the flags are read
  const int raised = std::fetestexcept(kTrappedFlags);
  std::fesetexceptflag(&before, kTrappedFlags);
  if (raised != 0) std::feraiseexcept(raised);
  std::memcpy(key_, key, sizeof key);
  valid_ = raised == 0;
  return grid_;
}

}  // namespace morvane
