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

void WindowFeedback::ShowError(const std::string& text) { dialogs_.ShowError(ErrorBoxText(TranslatedMessage(DisplayText(text)))); }

bool WindowFeedback::ConfirmReplace(const std::vector<std::string>& outputs) {
  return dialogs_.AskYesNo(ReplaceQuestionText(outputs));
}

bool WindowFeedback::ConfirmSuspicious(const std::vector<FileProblem>& files) {
  return dialogs_.AskAboutSuspiciousFiles(SuspiciousFilesText(files)) == SuspiciousFilesChoice::ConvertAnyway;
}

}  // namespace morvane
