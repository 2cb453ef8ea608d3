// What a run shows, forwarded to the window: messages and the completion box to its dialogs,
// the two percentages to its progress bars. It also takes the engine's own messages.
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
