#include "background_run.hpp"

#include <QEventLoop>
#include <QMetaObject>
#include <thread>

namespace morvane {

void ForwardingFeedback::OnWindowThread(const std::function<void()>& call) {
  QMetaObject::invokeMethod(&context_, call, Qt::BlockingQueuedConnection);
}

void ForwardingFeedback::ShowMessage(const std::string& text) {
  OnWindowThread([&] { target_.ShowMessage(text); });
}

void ForwardingFeedback::ShowCompletion(const std::string& text, const std::string& caption) {
  OnWindowThread([&] { target_.ShowCompletion(text, caption); });
}

void ForwardingFeedback::SetOverallProgress(int percent) {
  OnWindowThread([&] { target_.SetOverallProgress(percent); });
}

void ForwardingFeedback::SetFileProgress(int percent) {
  OnWindowThread([&] { target_.SetFileProgress(percent); });
}

void ForwardingFeedback::OnBytesRead(std::uint64_t done, std::uint64_t total) {
  const int percent = FilePercent(done, total);
  if (percent == filePercent_) return;
  filePercent_ = percent;
  OnWindowThread([&] { target_.OnBytesRead(done, total); });
}

void ForwardingFeedback::FileStarted(unsigned slot, const std::string& path) {
  filePercent_ = -1;
  OnWindowThread([&] { target_.FileStarted(slot, path); });
}

void ForwardingFeedback::ShowError(const std::string& text) {
  OnWindowThread([&] { target_.ShowError(text); });
}

bool ForwardingFeedback::ConfirmReplace(const std::vector<std::string>& outputs) {
  bool replace = false;
  OnWindowThread([&] { replace = target_.ConfirmReplace(outputs); });
  return replace;
}

bool ForwardingFeedback::ConfirmSuspicious(const std::vector<FileProblem>& files) {
  bool convert = false;
  OnWindowThread([&] { convert = target_.ConfirmSuspicious(files); });
  return convert;
}

void RunInBackground(const std::function<void()>& work) {
  QEventLoop loop;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace morvane
