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

}  // namespace morvane
