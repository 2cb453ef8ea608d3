#include "lambert_chains.hpp"

#include <charconv>
#include <cmath>
#include <string>

namespace morvane::chains {

namespace {

// The shortest text that reads back as `value`, without an exponent for map coordinates.
std::string FormatCoordinate(double value) {
  char text[64];
  const double magnitude = std::fabs(value);
  const bool plain = magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e15);
  const auto result = plain ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
                            : std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace

void ThrowOutsideLambertGrid(double x, double y) {
  throw LambertGridError("The point (" + FormatCoordinate(x) + ", " + FormatCoordinate(y) +
                         ") lies outside the Lambert grid",
                         x, y);
}

}  // namespace morvane::chains
