#include "support/run_feedback.hpp"

namespace morvane::test {

void RecordingFeedback::ShowMessage(const std::string& text) {
  Events.push_back("message " + text);
  Messages.push_back(text);
}

void RecordingFeedback::ShowCompletion(const std::string& text, const std::string& caption) {
  Events.push_back("completion " + text + " | " + caption);
}

void RecordingFeedback::SetOverallProgress(int percent) { Events.push_back("overall " + std::to_string(percent)); }

void RecordingFeedback::SetFileProgress(int percent) {
  Events.push_back("file " + std::to_string(percent));
  FileProgress.push_back(percent);
}

void RecordingFeedback::OnBytesRead(std::uint64_t done, std::uint64_t total) {
  BytesRead.push_back(done);
  LastBytesRead = {done, total};
}

void RecordingFeedback::ShowError(const std::string& text) {
  Events.push_back("error " + text);
  Messages.push_back(text);
  Errors.push_back(text);
}

bool RecordingFeedback::ConfirmReplace(const std::vector<std::string>& outputs) {
  std::string event = "replace?";
  for (const std::string& output : outputs) event += " " + output;
  Events.push_back(event);
  return Replace;
}

bool RecordingFeedback::ConfirmSuspicious(const std::vector<FileProblem>& files) {
  std::string event = "convert anyway?";
  for (const FileProblem& file : files) event += " " + file.Path;
  Events.push_back(event);
  Problems = files;
  return ConvertAnyway;
}

}  // namespace morvane::test
