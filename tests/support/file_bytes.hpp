// Whole files read and written at once, as bytes or as text.
#pragma once

#include <string>

#include "support/byte_fields.hpp"

namespace morvane::test {

// Throw std::runtime_error when the file cannot be written or read.
void WriteFileBytes(const std::string& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::string& path);

void WriteFileText(const std::string& path, const std::string& text);
// Empty when the file cannot be read.
std::string ReadFileText(const std::string& path);

}  // namespace morvane::test
