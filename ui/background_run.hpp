// Runs a conversion on a worker thread while the window's thread keeps its event loop turning:
// the window repaints, the bars move and the cancel button works. Everything the run shows
// goes to the window's own feedback on the window's thread, in order, the worker waiting for
// each call as it waited for the box it showed when it ran on the window's thread.
#pragma once

#include <QObject>
#include <atomic>
#include <exception>
#include <functional>

#include "shapefile/conversion_run.hpp"

namespace morvane {

// Hands every call of the run's feedback to `target` on the thread of `context`.
class ForwardingFeedback : public RunFeedback {
 public:
  ForwardingFeedback(QObject& context, RunFeedback& target, const std::atomic<bool>& stop)
      : context_(context), target_(target), stop_(stop) {}

  void ShowMessage(const std::string& text) override;
  void ShowCompletion(const std::string& text, const std::string& caption) override;
  void SetOverallProgress(int percent) override;
  void SetFileProgress(int percent) override;
  void ShowError(const std::string& text) override;
  bool ConfirmReplace(const std::vector<std::string>& outputs) override;
  bool ConfirmSuspicious(const std::vector<FileProblem>& files) override;
  // The per-file bar follows the bytes read, handed over only when its percentage changes.
  void OnBytesRead(std::uint64_t done, std::uint64_t total) override;
  void FileStarted(unsigned slot, const std::string& path) override;
  bool StopRequested() override { return stop_.load(); }

 private:
  void OnWindowThread(const std::function<void()>& call);

  QObject& context_;
  RunFeedback& target_;
  const std::atomic<bool>& stop_;
  int filePercent_ = -1;  // last handed over; the run's thread alone uses it
};

// Runs `work` on a new thread and turns a local event loop until it has ended; an exception
// that `work` throws is thrown again here.
void RunInBackground(const std::function<void()>& work);

}  // namespace morvane
