// The one way the engine talks to a person: a plain modal message with an OK button.
#pragma once

#include <string>

namespace morvane {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows `text` and returns when the person has acknowledged it.
  virtual void ShowMessage(const std::string& text) = 0;
};

// Drops every text: for conversions the program makes for itself (the input check's extents,
// the preview, the fitted area), where a message could only repeat what the run will say.
class IgnoredMessages : public MessageSink {
 public:
  void ShowMessage(const std::string&) override {}
};

}  // namespace morvane
