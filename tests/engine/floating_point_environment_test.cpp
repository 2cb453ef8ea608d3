// The floating-point environment the engine computes in, on every system it is built for
// (glibc, and the Windows C runtime of mingw-w64 whose engine tests run under Wine): the x87
// unit at extended precision (64-bit significands, which the long double arithmetic relies
// on; Windows starts its threads at 53 bits), rounding to nearest, every exception masked in
// the x87 unit and in SSE (the engine tests flags and never takes a trap), and SSE keeping
// subnormals (no flush to zero, no denormals read as zero). Checked in the starting thread and
// in a thread started later, as those that convert the records of a large file are.
#include <gtest/gtest.h>

#include <thread>

#include "engine/processor.hpp"

namespace morvane {
namespace {

// 1 + 2^-60 is 1 at 53 bits and above 1 at 64.
bool LongDoubleIsExtended() {
  volatile long double one = 1.0L;
  volatile long double tiny = 0x1p-60L;
  const long double sum = one + tiny;
  return sum > one;
}

#if MORVANE_X87_ASSEMBLY
constexpr unsigned kX87ExceptionMasks = 0x3Fu;   // control word bits 0-5
constexpr unsigned kX87Precision = 0x300u;       // bits 8-9: 11 is 64 bits
constexpr unsigned kX87Rounding = 0xC00u;        // bits 10-11: 00 is to nearest
constexpr unsigned kSseExceptionMasks = 0x1F80u;  // MXCSR bits 7-12
constexpr unsigned kSseRounding = 0x6000u;        // bits 13-14: 00 is to nearest
constexpr unsigned kSseFlushToZero = 0x8000u;
constexpr unsigned kSseDenormalsAreZero = 0x40u;

struct Environment {
  unsigned short X87Control = 0;
  unsigned Mxcsr = 0;
};

Environment ReadEnvironment() {
  Environment environment;
  __asm__ __volatile__("fnstcw %0\n\tstmxcsr %1" : "=m"(environment.X87Control), "=m"(environment.Mxcsr));
  return environment;
}

void ExpectTheEngineEnvironment(const Environment& found) {
  EXPECT_EQ(found.X87Control & kX87Precision, kX87Precision) << std::hex << found.X87Control;
  EXPECT_EQ(found.X87Control & kX87Rounding, 0u) << std::hex << found.X87Control;
  EXPECT_EQ(found.X87Control & kX87ExceptionMasks, kX87ExceptionMasks) << std::hex << found.X87Control;
  EXPECT_EQ(found.Mxcsr & kSseExceptionMasks, kSseExceptionMasks) << std::hex << found.Mxcsr;
  EXPECT_EQ(found.Mxcsr & (kSseRounding | kSseFlushToZero | kSseDenormalsAreZero), 0u) << std::hex << found.Mxcsr;
}

TEST(FloatingPointEnvironment, ControlRegistersInTheStartingThreadAndAStartedOne) {
  ExpectTheEngineEnvironment(ReadEnvironment());
  Environment inThread;
  std::thread([&inThread] { inThread = ReadEnvironment(); }).join();
  ExpectTheEngineEnvironment(inThread);
}
#endif

TEST(FloatingPointEnvironment, LongDoubleKeepsSixtyFourBitsInTheStartingThreadAndAStartedOne) {
  EXPECT_TRUE(LongDoubleIsExtended());
  bool inThread = false;
  std::thread([&inThread] { inThread = LongDoubleIsExtended(); }).join();
  EXPECT_TRUE(inThread);
}

}  // namespace
}  // namespace morvane
