// Helpers shared by the engine tests.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/messages.hpp"

namespace morvane {

// A MessageSink that keeps every text it is shown.
class RecordingMessages : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override { Texts.push_back(text); }
  std::vector<std::string> Texts;
};

// Names each row of a parameterised table after its Name field.
struct CaseName {
  template <typename Row>
  std::string operator()(const testing::TestParamInfo<Row>& row) const {
    return row.param.Name;
  }
};

// Prints a table row by its name in test reports.
template <typename Row>
  requires requires(const Row& row) { row.Name; }
void PrintTo(const Row& row, std::ostream* out) {
  *out << row.Name;
}

}  // namespace morvane
