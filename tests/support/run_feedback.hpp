// Stand-ins for the conversion run's RunFeedback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shapefile/conversion_run.hpp"

namespace morvane::test {

// Shows nothing and answers every question with the run's default.
class IgnoringFeedback : public RunFeedback {
 public:
  void ShowMessage(const std::string&) override {}
  void ShowCompletion(const std::string&, const std::string&) override {}
  void SetOverallProgress(int) override {}
  void SetFileProgress(int) override {}
};

// Keeps everything a run shows and asks: each kind on its own, and all of them in order in
// Events ("message <text>", "error <text>", "completion <text> | <caption>", "overall <n>",
// "file <n>", "replace? <outputs>", "convert anyway? <inputs>"). The questions are answered
// with Replace and ConvertAnyway.
class RecordingFeedback : public RunFeedback {
 public:
  void ShowMessage(const std::string& text) override;
  void ShowCompletion(const std::string& text, const std::string& caption) override;
  void SetOverallProgress(int percent) override;
  void SetFileProgress(int percent) override;
  void OnBytesRead(std::uint64_t done, std::uint64_t total) override;
  void ShowError(const std::string& text) override;
  bool ConfirmReplace(const std::vector<std::string>& outputs) override;
  bool ConfirmSuspicious(const std::vector<FileProblem>& files) override;

  bool Replace = true;         // the answer before outputs are replaced
  bool ConvertAnyway = false;  // the answer about files whose input check failed

  std::vector<std::string> Events;
  std::vector<std::string> Messages;  // messages and errors, as a front end without an error list shows them
  std::vector<std::string> Errors;
  std::vector<int> FileProgress;
  std::vector<std::uint64_t> BytesRead;
  std::pair<std::uint64_t, std::uint64_t> LastBytesRead;  // done, total
  std::vector<FileProblem> Problems;  // the files asked about last
};

}  // namespace morvane::test
