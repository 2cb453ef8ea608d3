// The pieces of text that the engine's formats (common point files, model files) and the
// command line read alike: lines, blanks and decimal numbers, independent of the locale.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace morvane {

// Space, tab, carriage return, vertical tab and form feed.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A finite decimal number with an optional sign ('+' or '-', not both) and nothing else, in
// any form std::from_chars reads (exponents included); nothing for anything else.
std::optional<double> ParseDecimal(std::string_view text);

// The lines of a text that mean something, trimmed of blanks (CR of CRLF included) and numbered
// from 1; blank lines and lines starting with '#' are skipped.
class MeaningfulLines {
 public:
  explicit MeaningfulLines(std::string_view text) : text_(text) {}

  // The next meaningful line, or nothing at the end of the text.
  std::optional<std::string_view> Next();
  // The number of the line Next returned last.
  int Number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  int number_ = 0;
};

}  // namespace morvane
