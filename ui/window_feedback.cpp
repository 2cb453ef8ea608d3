#include "window_feedback.hpp"

#include "texts.hpp"
#include "translation.hpp"

namespace morvane {

void WindowFeedback::ShowMessage(const std::string& text) {
  dialogs_.ShowMessage(TranslatedMessage(DisplayText(text)));
}

void WindowFeedback::ShowCompletion(const std::string& text, const std::string& caption) {
  dialogs_.ShowCompletion(TranslatedMessage(DisplayText(text)) + completionNote_,
                          TranslatedMessage(DisplayText(caption)));
}

void WindowFeedback::SetOverallProgress(int percent) { overall_.SetPercent(percent); }

void WindowFeedback::SetFileProgress(int percent) { file_.SetPercent(percent); }

void WindowFeedback::OnBytesRead(std::uint64_t done, std::uint64_t total) { file_.SetPercent(FilePercent(done, total)); }

void WindowFeedback::FileStarted(unsigned /*slot*/, const std::string& /*path*/) { file_.SetPercent(0); }

// The window lists every failure once, in the run's summary at its end.
void WindowFeedback::ShowError(const std::string& /*text*/) {}

bool WindowFeedback::ConfirmReplace(const std::vector<std::string>& outputs) {
  return dialogs_.AskYesNo(ReplaceQuestionText(outputs));
}

bool WindowFeedback::ConfirmSuspicious(const std::vector<FileProblem>& files) {
  return dialogs_.AskAboutSuspiciousFiles(SuspiciousFilesText(files)) == SuspiciousFilesChoice::ConvertAnyway;
}

}  // namespace morvane
