// glibc's fegetexcept for the Windows build of the engine tests, whose C runtime has none:
// the exceptions that trap, those whose mask bit is clear in the x87 control word (bits 0-5)
// or in MXCSR (bits 7-12), in the FE_* bit positions that both registers share.
#pragma once

#include <cfenv>

inline int fegetexcept() {
  unsigned short x87 = 0;
  unsigned int sse = 0;
  __asm__ __volatile__("fnstcw %0\n\tstmxcsr %1" : "=m"(x87), "=m"(sse));
  const unsigned unmasked = (~x87 & 0x3Fu) | (~(sse >> 7) & 0x3Fu);
  return static_cast<int>(unmasked) & FE_ALL_EXCEPT;
}
