// What a conversion from the command line shows on standard error: messages, and, on a
// terminal, one progress line redrawn in place with the overall percentage and the percentage
// of each file being converted. Safe to call from several jobs at once.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "shapefile/conversion_run.hpp"

namespace morvane {

class RunReporter {
 public:
  // `jobs` slots, one per job that may convert a file at a time.
  RunReporter(bool showProgress, std::size_t fileCount, unsigned jobs);

  // "morvane-cli: <text>" on its own line; the progress line is drawn again below it.
  void Message(std::string_view text);
  void FileStarted(unsigned job);
  void FileProgress(unsigned job, int percent);
  void FileFinished(unsigned job);
  // Erases the progress line for good; call before the summary.
  void EndProgress();

 private:
  std::string ProgressLine() const;
  void RedrawLocked();
  void EraseLocked();

  static constexpr int kIdle = -1;

  std::mutex mutex_;
  const bool showProgress_;
  const std::size_t fileCount_;
  std::size_t filesFinished_ = 0;
  std::vector<int> filePercent_;  // per job; kIdle when it converts nothing
  std::string drawn_;             // the progress line on screen, empty if none
  bool ended_ = false;            // EndProgress was called: no more progress lines
  std::size_t width_;             // terminal columns
};

// The feedback of one job: messages to the reporter, the per-file percentage from the bytes
// read. The overall figure is the reporter's own, over all jobs.
class JobFeedback : public RunFeedback {
 public:
  JobFeedback(RunReporter& reporter, unsigned job) : reporter_(reporter), job_(job) {}

  void ShowMessage(const std::string& text) override { reporter_.Message(text); }
  void ShowCompletion(const std::string& /*text*/, const std::string& /*caption*/) override {}
  void SetOverallProgress(int /*percent*/) override {}
  void SetFileProgress(int percent) override { reporter_.FileProgress(job_, percent); }
  void OnBytesRead(std::uint64_t done, std::uint64_t total) override;

 private:
  RunReporter& reporter_;
  unsigned job_;
};

}  // namespace morvane
