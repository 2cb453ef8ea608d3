#include "point_command.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "engine/modes.hpp"
#include "messages.hpp"

namespace morvane {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The converted pair as one output line, or the reason it could not be converted.
struct PointResult {
  std::string Line;
  std::string Error;
};

PointResult ConvertToLine(EngineState& engine, TransformMode mode, double x, double y) {
  double outX = 0.0;
  double outY = 0.0;
  try {
    ConvertPoint(engine, mode, x, y, outX, outY);
  } catch (const ConversionError& error) {
    return {{}, error.what()};
  }
  // The floating-point checks should make this impossible; never print "nan" as a coordinate.
  if (!std::isfinite(outX) || !std::isfinite(outY)) return {{}, "the result is not finite"};
  return {FormatCoordinate(outX) + ' ' + FormatCoordinate(outY) + '\n', {}};
}

bool WriteToStdout(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

int FinishOutput(bool failed) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    PrintMessage("cannot write to standard output");
    return 1;
  }
  return failed ? 1 : 0;
}

int ConvertStandardInput(EngineState& engine, TransformMode mode) {
  bool failed = false;
  char* buffer = nullptr;
  std::size_t capacity = 0;
  unsigned long long lineNumber = 0;
  for (ssize_t length; (length = ::getline(&buffer, &capacity, stdin)) >= 0;) {
    ++lineNumber;
    std::string_view line(buffer, static_cast<std::size_t>(length));
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (TrimBlanks(line).empty()) continue;  // blank lines carry no point

    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    const auto pair = ParseCoordinatePair(line);
    if (!pair) {
      PrintMessage(where + "expected two numbers separated by blanks or a comma");
      failed = true;
      continue;
    }
    const PointResult result = ConvertToLine(engine, mode, pair->first, pair->second);
    if (!result.Error.empty()) {
      PrintMessage(where + result.Error);
      failed = true;
    } else if (!WriteToStdout(result.Line)) {
      break;
    }
  }
  std::free(buffer);
  if (std::ferror(stdin)) {
    PrintMessage("cannot read standard input");
    failed = true;
  }
  return FinishOutput(failed);
}

}  // namespace

std::optional<double> ParseCoordinate(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::pair<double, double>> ParseCoordinatePair(std::string_view line) {
  line = TrimBlanks(line);
  std::size_t split = 0;
  while (split < line.size() && !IsBlank(line[split]) && line[split] != ',') ++split;
  const std::string_view first = line.substr(0, split);
  std::string_view rest = TrimBlanks(line.substr(split));
  if (!rest.empty() && rest.front() == ',') rest = TrimBlanks(rest.substr(1));
  if (split == line.size()) return std::nullopt;  // no separator at all

  const auto x = ParseCoordinate(first);
  const auto y = ParseCoordinate(rest);
  if (!x || !y) return std::nullopt;
  return std::pair{*x, *y};
}

std::string FormatCoordinate(double value) {
  // Fixed notation of the smallest subnormal needs about 330 characters.
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return std::string(text, result.ptr);
}

int RunPointCommand(const ParsedArguments& parsed) {
  const ModeAndRegion choice = RequireModeAndRegion(parsed);
  if (parsed.Operands.size() != 0 && parsed.Operands.size() != 2) {
    throw UsageError("give both X and Y, or neither to read pairs from standard input");
  }
  StderrMessageSink messages;
  EngineState engine(messages);
  ApplyTransformSettings(engine, choice.ModeIndex, choice.RegionIndex);

  if (parsed.Operands.empty()) return ConvertStandardInput(engine, choice.ModeIndex);

  const auto x = ParseCoordinate(parsed.Operands[0]);
  const auto y = ParseCoordinate(parsed.Operands[1]);
  if (!x || !y) {
    throw UsageError("X and Y must be finite numbers, not '" + parsed.Operands[!x ? 0 : 1] + "'");
  }
  const PointResult result = ConvertToLine(engine, choice.ModeIndex, *x, *y);
  if (!result.Error.empty()) {
    PrintMessage(result.Error);
    return 1;
  }
  WriteToStdout(result.Line);
  return FinishOutput(false);
}

}  // namespace morvane
