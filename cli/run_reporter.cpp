#include "run_reporter.hpp"

#include <algorithm>
#include <cstdio>

#include "console.hpp"
#include "messages.hpp"

namespace morvane {

namespace {

void WriteStderr(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

}  // namespace

RunReporter::RunReporter(bool showProgress, std::size_t fileCount, unsigned jobs)
    : showProgress_(showProgress),
      fileCount_(fileCount),
      filePercent_(jobs, kIdle),
      width_(showProgress ? TerminalWidth() : 80) {}

void RunReporter::Message(std::string_view text) {
  const std::lock_guard lock(mutex_);
  EraseLocked();
  PrintMessage(text);
  RedrawLocked();
}

void RunReporter::FileStarted(unsigned job) { FileProgress(job, 0); }

void RunReporter::FileProgress(unsigned job, int percent) {
  const std::lock_guard lock(mutex_);
  filePercent_.at(job) = std::clamp(percent, 0, 100);
  RedrawLocked();
}

void RunReporter::FileFinished(unsigned job) {
  const std::lock_guard lock(mutex_);
  filePercent_.at(job) = kIdle;
  ++filesFinished_;
  RedrawLocked();
}

void RunReporter::EndProgress() {
  const std::lock_guard lock(mutex_);
  EraseLocked();
  ended_ = true;  // the summary and any message after it stay the last lines
}

// "morvane-cli: 33% (1 of 3 files) | file 45%", one figure per busy job, cut to the width
// of the terminal so that the carriage return redraws a single line.
std::string RunReporter::ProgressLine() const {
  const std::size_t overall = fileCount_ == 0 ? 100 : filesFinished_ * 100 / fileCount_;
  std::string line = std::string(kProgramName) + ": " + std::to_string(overall) + "% (" +
                     std::to_string(filesFinished_) + " of " + std::to_string(fileCount_) +
                     " files)";
  std::string perFile;
  std::size_t busy = 0;
  for (const int percent : filePercent_) {
    if (percent == kIdle) continue;
    const std::string figure = ' ' + std::to_string(percent) + '%';
    if (line.size() + 8 + perFile.size() + figure.size() >= width_) break;
    perFile += figure;
    ++busy;
  }
  if (busy > 0) line += (busy == 1 ? " | file" : " | files") + perFile;
  return line;
}

void RunReporter::RedrawLocked() {
  if (!showProgress_ || ended_) return;
  std::string line = ProgressLine();
  if (line == drawn_) return;
  WriteStderr("\r\033[K" + line);
  std::fflush(stderr);
  drawn_ = std::move(line);
}

void RunReporter::EraseLocked() {
  if (drawn_.empty()) return;
  WriteStderr("\r\033[K");
  drawn_.clear();
}

void JobFeedback::OnBytesRead(std::uint64_t done, std::uint64_t total) {
  reporter_.FileProgress(job_, FilePercent(done, total));
}

}  // namespace morvane
