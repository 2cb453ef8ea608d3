// What a run shows, forwarded to the window: messages and the completion box to its dialogs,
// the two percentages to its progress bars. It also takes the engine's own messages. Errors
// that end a file are not shown as they happen: the window's summary lists them at the end.
#pragma once

#include <string>

#include "dialogs.hpp"
#include "shapefile/conversion_run.hpp"
#include "widgets/tiled_progress_bar.hpp"

namespace morvane {

class WindowFeedback : public RunFeedback {
 public:
  WindowFeedback(WindowDialogs& dialogs, TiledProgressBar& overall, TiledProgressBar& file)
      : dialogs_(dialogs), overall_(overall), file_(file) {}

  // Text added to the end of the completion box of the runs that follow.
  void SetCompletionNote(const QString& note) { completionNote_ = note; }

  void ShowMessage(const std::string& text) override;
  void ShowCompletion(const std::string& text, const std::string& caption) override;
  void SetOverallProgress(int percent) override;
  void SetFileProgress(int percent) override;
  // The per-file bar: 0 when a file begins, then the share of its main file read.
  void OnBytesRead(std::uint64_t done, std::uint64_t total) override;
  void FileStarted(unsigned slot, const std::string& path) override;
  void ShowError(const std::string& text) override;
  bool ConfirmReplace(const std::vector<std::string>& outputs) override;
  bool ConfirmSuspicious(const std::vector<FileProblem>& files) override;

 private:
  WindowDialogs& dialogs_;
  TiledProgressBar& overall_;
  TiledProgressBar& file_;
  QString completionNote_;
};

}  // namespace morvane
