// Stand-ins that fail the running GoogleTest test at any message shown: for code that must
// have nothing to say. Header only, for the GoogleTest suites alone.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/messages.hpp"
#include "support/run_feedback.hpp"

namespace morvane::test {

class FailOnMessage : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override { ADD_FAILURE() << "unexpected message " << text; }
};

// A run that may show no message; the errors that ended a file are kept (the run's summary
// holds them too).
class FailOnMessageFeedback : public IgnoringFeedback {
 public:
  void ShowMessage(const std::string& text) override { ADD_FAILURE() << "unexpected message " << text; }
  void ShowError(const std::string& text) override { Errors.push_back(text); }
  std::vector<std::string> Errors;
};

}  // namespace morvane::test
