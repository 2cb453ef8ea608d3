// Helpers shared by the engine tests.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/messages.hpp"

namespace morvane {

using test::RecordingMessages;

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
