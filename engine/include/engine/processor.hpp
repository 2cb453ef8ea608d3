// The engine's processor-specific instructions, all in one place, each beside a portable
// equivalent that gives the same result.
//
// On x86-64 with GCC or Clang the engine reads the floating-point status with two instructions
// instead of a library call, rounds to an integer with one x87 instruction instead of a library
// call, and keeps the compiler from moving arithmetic past a flag test with an empty assembly
// statement. Elsewhere the portable forms run. Both forms are compiled on x86-64 so that the
// tests can compare them.
#pragma once

#include <atomic>
#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>

// 1 where the x86-64 instructions are used; a build may set it to 0 to run the portable forms.
#ifndef MORVANE_X87_ASSEMBLY
#if defined(__x86_64__) && defined(__GNUC__)
#define MORVANE_X87_ASSEMBLY 1
#else
#define MORVANE_X87_ASSEMBLY 0
#endif
#endif

namespace morvane::processor {

// ---- Raised floating-point flags --------------------------------------------------------

// The flags of `mask` (FE_* bits) that are raised, by the library.
inline int PortableRaisedFlags(int mask) noexcept { return std::fetestexcept(mask); }

#if MORVANE_X87_ASSEMBLY
// The same from the x87 status word and the SSE status register, whose exception bits have the
// FE_* values on x86-64.
inline int X87RaisedFlags(int mask) noexcept {
  unsigned short x87;
  unsigned int sse;
  __asm__ __volatile__("fnstsw %0\n\tstmxcsr %1" : "=m"(x87), "=m"(sse) : : "memory");
  return (x87 | static_cast<int>(sse)) & mask;
}
#endif

inline int RaisedFlags(int mask) noexcept {
#if MORVANE_X87_ASSEMBLY
  return X87RaisedFlags(mask);
#else
  return PortableRaisedFlags(mask);
#endif
}

// ---- Rounding to an integer -------------------------------------------------------------

// The integer nearest `value` (ties to even, in the default rounding mode), for a value of
// magnitude below 2^63, by the library.
inline std::int64_t PortableNearestInteger(long double value) noexcept {
  return static_cast<std::int64_t>(std::llrint(value));
}

#if MORVANE_X87_ASSEMBLY
// The same in one x87 instruction. The compiler's own conversion truncates, and switches the
// rounding mode of the x87 unit twice to do so.
inline std::int64_t X87NearestInteger(long double value) noexcept {
  std::int64_t n;
  __asm__("fistpll %0" : "=m"(n) : "t"(value) : "st");
  return n;
}
#endif

inline std::int64_t NearestInteger(long double value) noexcept {
#if MORVANE_X87_ASSEMBLY
  return X87NearestInteger(value);
#else
  return PortableNearestInteger(value);
#endif
}

// ---- Ordering against flag tests --------------------------------------------------------

// Forces `value` to be fully computed and in memory here: the compiler may otherwise move the
// arithmetic that produces it past a flag test that follows, which it does not see as reading
// the result of that arithmetic.
template <typename T>
inline void Materialise(const T& value) noexcept {
#if MORVANE_X87_ASSEMBLY
  __asm__ __volatile__("" : : "m"(value) : "memory");
#else
  // Volatile reads of every byte need the value stored; the fence keeps later accesses after.
  const volatile unsigned char* bytes = reinterpret_cast<const volatile unsigned char*>(&value);
  unsigned char sink = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) sink = static_cast<unsigned char>(sink ^ bytes[i]);
  static_cast<void>(sink);
  std::atomic_signal_fence(std::memory_order_seq_cst);
#endif
}

}  // namespace morvane::processor
