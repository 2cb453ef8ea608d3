#include "engine/extended.hpp"

namespace morvane {

// Clearing rewrites the whole x87 environment, which costs far more than testing it; most
// calls find nothing to clear.
void ClearFloatingPointFlags() noexcept {
  if (std::fetestexcept(kTrappedFlags) != 0) std::feclearexcept(kTrappedFlags);
}

void CheckFloatingPointFlags() {
  const int raised = std::fetestexcept(kTrappedFlags);
  if (raised == 0) return;
  std::feclearexcept(kTrappedFlags);
  if (raised & FE_INVALID) throw FloatingPointError("Invalid floating point operation");
  if (raised & FE_DIVBYZERO) throw FloatingPointError("Floating point division by zero");
  throw FloatingPointError("Floating point overflow");
}

void RaiseInvalidOperation() noexcept { std::feraiseexcept(FE_INVALID); }

}  // namespace morvane
