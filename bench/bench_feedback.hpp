// The run feedback of the benchmarks: no progress, no questions, and any message on standard
// error, where it cannot mix with the figures a benchmark prints.
#pragma once

#include <cstdio>
#include <string>

#include "shapefile/run_feedback.hpp"

namespace morvane::bench {

class BenchFeedback : public RunFeedback {
 public:
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
  void ShowCompletion(const std::string&, const std::string&) override {}
  void SetOverallProgress(int) override {}
  void SetFileProgress(int) override {}
};

}  // namespace morvane::bench
