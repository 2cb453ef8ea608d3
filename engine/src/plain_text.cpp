#include "engine/plain_text.hpp"

#include <charconv>
#include <cmath>

namespace morvane {

std::optional<double> ParseDecimal(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::string_view> MeaningfulLines::Next() {
  while (at_ < text_.size()) {
    const std::size_t newline = text_.find('\n', at_);
    const std::size_t end = newline == std::string_view::npos ? text_.size() : newline;
    const std::string_view line = TrimBlanks(text_.substr(at_, end - at_));
    at_ = end + 1;
    ++number_;
    if (!line.empty() && line.front() != '#') return line;
  }
  return std::nullopt;
}

}  // namespace morvane
