// The sines and cosines of 2, 4, 6 and 8 times an angle by products, from one sine/cosine pair:
// a shallower chain than a recurrence, and no further library calls. The shortcuts of the
// meridian arc (the footpoint search's model, the narrowed northing) take their sines this way.
#pragma once

namespace morvane {

template <typename T>
struct MultipleAngles {
  T S2, C2, S4, C4, S6, C6, S8, C8;
};

// From the sine and cosine of twice the angle.
template <typename T>
MultipleAngles<T> MultipleAnglesOfDouble(T s2, T c2) {
  const T s4 = 2 * s2 * c2;
  const T c4 = (c2 - s2) * (c2 + s2);
  return {s2, c2, s4, c4, s4 * c2 + c4 * s2, c4 * c2 - s4 * s2, 2 * s4 * c4, (c4 - s4) * (c4 + s4)};
}

// From the sine and cosine of the angle.
template <typename T>
MultipleAngles<T> MultipleAnglesOf(T s1, T c1) {
  return MultipleAnglesOfDouble<T>(2 * s1 * c1, (c1 - s1) * (c1 + s1));
}

}  // namespace morvane
