#include "engine/extended.hpp"

namespace morvane {

void CheckFloatingPointFlags() {
  const int raised = RaisedFloatingPointFlags();
  if (raised == 0) return;
  std::feclearexcept(kTrappedFlags);
  if (raised & FE_INVALID) throw FloatingPointError("Invalid floating point operation");
  if (raised & FE_DIVBYZERO) throw FloatingPointError("Floating point division by zero");
  throw FloatingPointError("Floating point overflow");
}


void RaiseInvalidOperation() noexcept { std::feraiseexcept(FE_INVALID); }

}  // namespace morvane
