#include "engine/engine_state.hpp"

#include <cfenv>
#include <cstdint>
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

// Whether an Extended holds the ten bytes `key` (compared as integers: no value passes the
// FPU, which would raise the invalid flag for a signalling NaN).
bool Holds(const Extended& value, const unsigned char (&key)[10]) {
  std::uint64_t low, keyLow;
  std::uint16_t high, keyHigh;
  std::memcpy(&low, &value, 8);
  std::memcpy(&high, reinterpret_cast<const unsigned char*>(&value) + 8, 2);
  std::memcpy(&keyLow, key, 8);
  std::memcpy(&keyHigh, key + 8, 2);
  return low == keyLow && high == keyHigh;
}

}  // namespace

const TmSettingsGrid& SettingsGridCache::For(const TransformSettings& settings) {
  if (valid_ && Holds(settings.SemiMajorAxis, key_[0]) && Holds(settings.InverseFlattening, key_[1]) &&
      Holds(settings.FalseEasting, key_[2]) && Holds(settings.ScaleFactor, key_[3]) &&
      Holds(settings.CentralMeridian, key_[4])) {
    return grid_;
  }
  unsigned char key[5][kKeyBytes];
  KeyOf(settings, key);

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
