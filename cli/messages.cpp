#include "messages.hpp"

#include <cstdio>

namespace morvane {

void PrintMessage(std::string_view text) {
  std::string line;
  line.reserve(kProgramName.size() + 2 + text.size() + 1);
  line.append(kProgramName).append(": ").append(text).push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace morvane
