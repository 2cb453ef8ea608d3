// The two passes a chain runs in (docs/engine.md, Failures). Both compute the same values in the
// same way; they differ in when the floating-point flags are read and when the outputs are stored.
// A chain is a template over its pass: Step wraps each step, Narrowed each result narrowed to
// double, Store each store.
#pragma once

#include <cstddef>

#include "engine/extended.hpp"
#include "engine/processor.hpp"

namespace morvane::chains {

// Throws the LambertGridError of a point outside the Lambert grid (lambert_chains.cpp).
[[noreturn]] void ThrowOutsideLambertGrid(double x, double y);

// Ends the conversion with a FloatingPointError if the step that produced `value` raised an
// invalid operation, a division by zero or an overflow.
template <typename T>
T Checked(T value) {
  processor::Materialise(value);
  CheckFloatingPointFlags();
  return value;
}

// The checked pass reads the flags after every step and before every store, and stores each
// output as soon as it is computed: a failure ends it with exactly the outputs stored that
// the failure rules say.
struct CheckedPass {
  static constexpr bool kChecked = true;
  template <typename T>
  T Step(T value) {
    return Checked(value);
  }
  // A result narrowed to double for storing, checked after the step that computed it and the
  // narrowing (which may overflow) both.
  double Narrowed(Extended value) { return Checked(static_cast<double>(value)); }
  void Store(double& target, double value) { target = value; }
  [[noreturn]] void OutsideLambertGrid(double x, double y) { ThrowOutsideLambertGrid(x, y); }
};

// The fast pass reads no flag and stores nothing: it keeps the stores for Commit, which
// makes them, in the same order, only if no flag was raised on the way. Otherwise ConvertPoint
// runs the chain again in the checked pass, which fails at the right step with the right
// outputs stored (the chains are deterministic: the same steps raise the same flags).
class FastPass {
 public:
  static constexpr bool kChecked = false;
  template <typename T>
  T Step(T value) {
    return value;
  }
  double Narrowed(Extended value) { return static_cast<double>(value); }
  void Store(double& target, double value) {
    targets_[stores_] = &target;
    values_[stores_] = value;
    ++stores_;
  }
  // The checked pass decides between the grid error and a floating-point error before it.
  void OutsideLambertGrid(double, double) { abandoned_ = true; }

  // Makes the stores and returns true, or returns false if the chain must run checked.
  bool Commit() {
    processor::Materialise(values_);
    if (abandoned_ || FloatingPointFlagsRaised()) return false;
    Store();
    return true;
  }

  // Whether the chain gave up before its end.
  bool Abandoned() const { return abandoned_; }
  // Makes the stores without reading the flags, for a caller that reads them later.
  void Store() {
    for (int i = 0; i < stores_; ++i) *targets_[i] = values_[i];
  }

 private:
  double* targets_[2] = {};
  double values_[2] = {};
  int stores_ = 0;
  bool abandoned_ = false;
};

// The several-point form of a chain that keeps the processor busy alone: its one-point fast pass
// (Form::Point) point after point, `n` pairs of `p` to `r`; false if a point gave up.
template <typename Form, typename State>
auto FastPassPointByPoint(State& state) {
  return [&state](const double* p, std::size_t n, double* r) {
    for (std::size_t i = 0; i < n; ++i) {
      FastPass pass;
      Form::Point(pass, state, p[2 * i], p[2 * i + 1], r[2 * i], r[2 * i + 1]);
      if (pass.Abandoned()) return false;
      pass.Store();
    }
    return true;
  };
}

}  // namespace morvane::chains
