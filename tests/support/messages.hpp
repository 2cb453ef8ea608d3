// Stand-ins for the engine's MessageSink. Header only, so that the engine's tests built for
// Windows use them without the rest of this library.
#pragma once

#include <string>
#include <vector>

#include "engine/messages.hpp"

namespace morvane::test {

// Drops every text it is shown.
using IgnoringMessages = IgnoredMessages;

// Keeps every text it is shown.
class RecordingMessages : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override { Texts.push_back(text); }
  std::vector<std::string> Texts;
};

}  // namespace morvane::test
