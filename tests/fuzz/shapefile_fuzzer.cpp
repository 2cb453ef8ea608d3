// libFuzzer entry: every input goes through the conversion check (conversion_check.hpp), and
// any finding aborts, so that libFuzzer keeps the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "conversion_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const morvane::fuzz::CheckReport report = morvane::fuzz::CheckFuzzInput(data, size);
  if (report.Findings.empty()) return 0;
  for (const std::string& finding : report.Findings) std::fprintf(stderr, "finding: %s\n", finding.c_str());
  std::abort();
}
