// Where the command line's messages go: standard error, one line each, as "morvane-cli: text".
#pragma once

#include <string>
#include <string_view>

#include "engine/messages.hpp"

namespace morvane {

inline constexpr std::string_view kProgramName = "morvane-cli";

// Writes "morvane-cli: <text>\n" to stderr in one call, so that lines from several threads
// never mix.
void PrintMessage(std::string_view text);

// The engine's messages, straight to stderr.
class StderrMessageSink : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override { PrintMessage(text); }
};

}  // namespace morvane
