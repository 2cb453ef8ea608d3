// The engine's number type and its floating-point failure handling.
//
// Every engine computation runs in the 80-bit x87 extended format (64-bit mantissa, round to
// nearest), which on x86-64 Linux is `long double`. The elementary functions are always called
// on doubles; their results continue in extended precision.
//
// Floating-point failures (invalid operation, division by zero, overflow) end a conversion.
// They are detected through the status flags of <cfenv>, never by unmasking hardware traps:
// a chain clears the flags when it starts and checks them after each of its steps.
#pragma once

#include <bit>
#include <cfenv>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "engine/processor.hpp"

namespace morvane {

using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64, "the engine needs the 80-bit extended format");

// Any error that ends the conversion of a coordinate pair; callers treat all kinds alike.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A floating-point invalid operation, division by zero or overflow. what() is the exact
// user-facing text: "Invalid floating point operation", "Floating point division by zero"
// or "Floating point overflow".
class FloatingPointError : public ConversionError {
 public:
  using ConversionError::ConversionError;
};

// A point that the Lambert grid cannot convert (outside the grid's range).
class LambertGridError : public ConversionError {
 public:
  using ConversionError::ConversionError;
  // The text, and the point it is about, kept for front ends that word it themselves.
  LambertGridError(const std::string& text, double x, double y) : ConversionError(text), x_(x), y_(y) {}

  double X() const noexcept { return x_; }
  double Y() const noexcept { return y_; }

 private:
  double x_ = 0;
  double y_ = 0;
};

inline constexpr int kTrappedFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// How many independent points the engine's several-point forms take at once. Each step of a
// conversion waits for the one before; the steps of several points, interleaved, do not.
inline constexpr std::size_t kMaxLanes = 16;

// The trapped flags that are raised: fetestexcept(kTrappedFlags), on x86-64 without the call.
inline int RaisedFloatingPointFlags() noexcept { return processor::RaisedFlags(kTrappedFlags); }

// Whether a trapped flag is raised.
inline bool FloatingPointFlagsRaised() noexcept { return RaisedFloatingPointFlags() != 0; }

// Clears the trapped flags; a chain calls this before its first step. Clearing rewrites the
// whole x87 environment, which costs far more than testing it; most calls find nothing to
// clear.
inline void ClearFloatingPointFlags() noexcept {
  if (FloatingPointFlagsRaised()) std::feclearexcept(kTrappedFlags);
}

// Throws FloatingPointError if a trapped flag is raised. Invalid operation is reported first,
// then division by zero, then overflow.
void CheckFloatingPointFlags();

// Whether `value`, known to lie within `error` of an exact result, narrows to `narrowed` (its
// own nearest double) as the exact result does: both on the same side of every rounding
// boundary. False also for a narrowed value that is tiny, infinite or NaN. The engine's
// shortcuts compute part of a result more cheaply and keep it only where this holds.
inline bool NarrowsAlike(Extended value, double narrowed, Extended error) {
  const auto bits = std::bit_cast<std::uint64_t>(narrowed);
  const auto exponent = static_cast<int>((bits >> 52) & 0x7ff);
  if (exponent < 64 || exponent == 0x7ff) return false;
  // Half a unit in the last place; below a power of two the units are half as large.
  const bool powerOfTwo = (bits & ((std::uint64_t{1} << 52) - 1)) == 0;
  const double halfUnit = std::bit_cast<double>(std::uint64_t(exponent - 53 - (powerOfTwo ? 1 : 0)) << 52);
  return std::fabs(value - narrowed) + error < halfUnit;
}

// Raises the invalid flag by hand. An ordered comparison with a NaN must count as an invalid
// operation, and the compiler's quiet comparisons do not raise it, so code that compares
// a value that may be NaN calls this first (see FailIfNaN).
void RaiseInvalidOperation() noexcept;

// Raises the invalid flag if any argument is NaN.
template <typename... T>
inline void FailIfNaN(T... values) noexcept {
  if ((std::isnan(values) || ...)) RaiseInvalidOperation();
}

}  // namespace morvane
