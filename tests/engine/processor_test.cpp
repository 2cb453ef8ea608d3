// The processor-specific instructions against their portable forms: both must give the same
// result on every case, or a build on another processor would convert differently.
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <functional>
#include <limits>

#include "engine/extended.hpp"
#include "engine/processor.hpp"
#include "test_support.hpp"

namespace morvane {
namespace {

using ::morvane::PrintTo;  // rows print by name in reports

struct RoundingCase {
  const char* Name;
  long double Value;
  std::int64_t Nearest;  // ties to even
};

// Halfway cases of both signs (where truncation and rounding away from zero differ), values
// next to them, and the ends of the range the footpoint search uses (units of 2^-62 of its
// bracket).
const RoundingCase kRoundingCases[] = {
    {"Zero", 0.0L, 0},
    {"NegativeZero", -0.0L, 0},
    {"HalfToEvenZero", 0.5L, 0},
    {"OneAndAHalfUp", 1.5L, 2},
    {"TwoAndAHalfDown", 2.5L, 2},
    {"NegativeHalf", -0.5L, 0},
    {"NegativeOneAndAHalf", -1.5L, -2},
    {"NegativeTwoAndAHalf", -2.5L, -2},
    {"JustBelowHalf", 0.49999999999999999997L, 0},
    {"JustAboveHalf", 0.50000000000000000003L, 1},
    {"NegativeJustAboveHalf", -0.50000000000000000003L, -1},
    {"Fraction", 1234567.25L, 1234567},
    {"NegativeFraction", -1234567.75L, -1234568},
    {"LargeHalfway", 0x1p62L + 0.5L, std::int64_t{1} << 62},
    {"LargeHalfwayUp", 0x1p62L + 1.5L, (std::int64_t{1} << 62) + 2},
    {"NearTopOfRange", 0x1p63L - 1.5L, std::numeric_limits<std::int64_t>::max() - 1},
    {"NegativeLargeHalfway", -0x1p62L - 0.5L, -(std::int64_t{1} << 62)},
};

class NearestInteger : public testing::TestWithParam<RoundingCase> {};

TEST_P(NearestInteger, PortableFormRoundsToNearestEven) {
  EXPECT_EQ(processor::PortableNearestInteger(GetParam().Value), GetParam().Nearest);
}

TEST_P(NearestInteger, X87FormEqualsThePortableForm) {
#if MORVANE_X87_ASSEMBLY
  EXPECT_EQ(processor::X87NearestInteger(GetParam().Value),
            processor::PortableNearestInteger(GetParam().Value));
#else
  GTEST_SKIP() << "no x87 instructions on this processor";
#endif
}

INSTANTIATE_TEST_SUITE_P(Cases, NearestInteger, testing::ValuesIn(kRoundingCases), CaseName());

// Raises flags in one of the two units: the x87 unit (extended arithmetic) or the SSE unit
// (double arithmetic), which keep separate status words.
volatile long double extendedZero = 0.0L;
volatile long double extendedHuge = std::numeric_limits<long double>::max();
volatile double doubleZero = 0.0;
volatile double doubleHuge = std::numeric_limits<double>::max();
volatile double doubleTiny = std::numeric_limits<double>::min();

struct FlagCase {
  const char* Name;
  std::function<void()> Raise;
  int Expected;  // of kTrappedFlags
};

const FlagCase kFlagCases[] = {
    {"Nothing", [] {}, 0},
    {"X87Invalid", [] { extendedZero = extendedZero / extendedZero; }, FE_INVALID},
    {"X87DivisionByZero", [] { extendedZero = 1 / extendedZero; }, FE_DIVBYZERO},
    {"X87Overflow", [] { extendedHuge = extendedHuge * 2; }, FE_OVERFLOW},
    {"SseInvalid", [] { doubleZero = doubleZero / doubleZero; }, FE_INVALID},
    {"SseDivisionByZero", [] { doubleZero = 1 / doubleZero; }, FE_DIVBYZERO},
    {"SseOverflow", [] { doubleHuge = doubleHuge * 2; }, FE_OVERFLOW},
    // Underflow and inexact are raised but not trapped: both forms leave them out.
    {"SseUnderflowIsNotTrapped", [] { doubleTiny = doubleTiny * doubleTiny; }, 0},
    {"X87InvalidAndSseOverflow",
     [] {
       extendedZero = extendedZero / extendedZero;
       doubleHuge = doubleHuge * 2;
     },
     FE_INVALID | FE_OVERFLOW},
    {"LibraryRaisesAll", [] { std::feraiseexcept(FE_ALL_EXCEPT); }, kTrappedFlags},
};

class RaisedFlags : public testing::TestWithParam<FlagCase> {
 protected:
  void SetUp() override {
    extendedZero = 0.0L;
    extendedHuge = std::numeric_limits<long double>::max();
    doubleZero = 0.0;
    doubleHuge = std::numeric_limits<double>::max();
    std::feclearexcept(FE_ALL_EXCEPT);
  }
  void TearDown() override { std::feclearexcept(FE_ALL_EXCEPT); }
};

TEST_P(RaisedFlags, PortableFormSeesTheTrappedFlags) {
  GetParam().Raise();
  EXPECT_EQ(processor::PortableRaisedFlags(kTrappedFlags), GetParam().Expected);
}

TEST_P(RaisedFlags, X87FormEqualsThePortableForm) {
#if MORVANE_X87_ASSEMBLY
  GetParam().Raise();
  EXPECT_EQ(processor::X87RaisedFlags(kTrappedFlags), processor::PortableRaisedFlags(kTrappedFlags));
  EXPECT_EQ(processor::X87RaisedFlags(FE_ALL_EXCEPT), processor::PortableRaisedFlags(FE_ALL_EXCEPT));
#else
  GTEST_SKIP() << "no x87 instructions on this processor";
#endif
}

INSTANTIATE_TEST_SUITE_P(Cases, RaisedFlags, testing::ValuesIn(kFlagCases), CaseName());

}  // namespace
}  // namespace morvane
