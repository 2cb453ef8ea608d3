// A WindowDialogs that records every box instead of showing it, so no modal box blocks a test.
#pragma once

#include <QString>
#include <vector>

#include "dialogs.hpp"

namespace morvane::test {

enum class BoxKind { Message, Completion, Error, Question, Summary };

struct ShownBox {
  BoxKind Kind;
  QString Caption;  // empty for boxes captioned with the application's title
  QString Text;
  QString List = {};  // a summary's list of files, below its Text
};

class RecordingDialogs : public WindowDialogs {
 public:
  void ShowMessage(const QString& text) override { Boxes.push_back({BoxKind::Message, {}, text}); }
  void ShowCompletion(const QString& text, const QString& caption) override {
    Boxes.push_back({BoxKind::Completion, caption, text});
  }
  void ShowError(const QString& text) override { Boxes.push_back({BoxKind::Error, {}, text}); }
  // Questions are kept apart from the boxes, and answered with `Answer`.
  SuspiciousFilesChoice AskAboutSuspiciousFiles(const QString& files) override {
    Questions.push_back(files);
    return Answer;
  }
  bool AskYesNo(const QString& text) override {
    Boxes.push_back({BoxKind::Question, {}, text});
    return ReplaceAnswer;
  }
  void ShowRunSummary(const QString& headline, const QString& list) override {
    Boxes.push_back({BoxKind::Summary, {}, headline, list});
  }

  // File dialogs are answered from `FileAnswers`, first to last (empty: cancelled), and their
  // captions kept in `FileQuestions`.
  QString AskOpenFileName(const QString& caption, const QString&) override { return NextFile(caption); }
  QString AskSaveFileName(const QString& caption, const QString&, const QString&) override {
    return NextFile(caption);
  }

  std::vector<ShownBox> Boxes;
  std::vector<QString> Questions;
  SuspiciousFilesChoice Answer = SuspiciousFilesChoice::ConvertAnyway;
  bool ReplaceAnswer = false;  // the answer to every yes-or-no question
  std::vector<QString> FileAnswers;
  std::vector<QString> FileQuestions;

 private:
  QString NextFile(const QString& caption) {
    FileQuestions.push_back(caption);
    if (FileAnswers.empty()) return {};
    QString answer = FileAnswers.front();
    FileAnswers.erase(FileAnswers.begin());
    return answer;
  }
};

}  // namespace morvane::test
