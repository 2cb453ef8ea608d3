#include "point_command.hpp"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/conversion.hpp"
#include "engine/modes.hpp"
#include "engine/plain_text.hpp"
#include "messages.hpp"
#include "shapefile/file_system.hpp"

namespace morvane {

namespace {

// The converted pair as one output line, or the reason it could not be converted.
struct PointResult {
  std::string Line;
  std::string Error;
};

// The output line of a converted pair, or why there is none.
PointResult ResultOf(double outX, double outY) {
  // The floating-point checks should make this impossible; never print "nan" as a coordinate.
  if (!std::isfinite(outX) || !std::isfinite(outY)) return {{}, "the result is not finite"};
  return {FormatCoordinate(outX) + ' ' + FormatCoordinate(outY) + '\n', {}};
}

PointResult ConvertToLine(EngineState& engine, TransformMode mode, double x, double y) {
  double outX = 0.0;
  double outY = 0.0;
  try {
    ConvertPoint(engine, mode, x, y, outX, outY);
  } catch (const ConversionError& error) {
    return {{}, error.what()};
  }
  return ResultOf(outX, outY);
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

// The lines of standard input, their pairs converted in blocks through ConvertPoints, with the
// output lines and the messages of converting them one by one, in line order.
class LineConverter {
 public:
  LineConverter(EngineState& engine, TransformMode mode) : engine_(engine), mode_(mode) {}

  // Takes the next line, without its newline; false once standard output cannot be written.
  bool Line(std::string_view line) {
    ++lineNumber_;
    if (TrimBlanks(line).empty()) return true;  // blank lines carry no point
    const auto pair = ParseCoordinatePair(line);
    if (!pair) {
      // The lines before it go out first.
      if (!ConvertHeld()) return false;
      Report(lineNumber_, "expected two numbers separated by blanks or a comma");
      return true;
    }
    pairs_.push_back(pair->first);
    pairs_.push_back(pair->second);
    lines_.push_back(lineNumber_);
    return lines_.size() < kPairsPerBlock || ConvertHeld();
  }

  // Converts and writes the pairs held; false if standard output cannot be written.
  bool ConvertHeld() {
    if (lines_.empty()) return true;
    std::vector<double> results = pairs_;
    try {
      ConvertPoints(engine_, mode_, results);
      for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!Emit(ResultOf(results[2 * i], results[2 * i + 1]), lines_[i])) return false;
      }
    } catch (const ConversionError&) {
      // Once more pair by pair from the inputs, as ConvertPoint names the pairs that fail.
      for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!Emit(ConvertToLine(engine_, mode_, pairs_[2 * i], pairs_[2 * i + 1]), lines_[i])) return false;
      }
    }
    pairs_.clear();
    lines_.clear();
    return WriteOutput();
  }

  bool Failed() const { return failed_; }

 private:
  static constexpr std::size_t kPairsPerBlock = 1024;

  // Adds a result to the output, or reports it after the output before it.
  bool Emit(const PointResult& result, unsigned long long line) {
    if (result.Error.empty()) {
      output_ += result.Line;
      return true;
    }
    if (!WriteOutput()) return false;
    Report(line, result.Error);
    return true;
  }

  void Report(unsigned long long line, const std::string& why) {
    PrintMessage("line " + std::to_string(line) + ": " + why);
    failed_ = true;
  }

  bool WriteOutput() {
    const bool written = WriteToStdout(output_);
    output_.clear();
    return written;
  }

  EngineState& engine_;
  TransformMode mode_;
  std::vector<double> pairs_;                // x, y of the lines held
  std::vector<unsigned long long> lines_;    // their line numbers
  std::string output_;                       // converted lines not yet written
  unsigned long long lineNumber_ = 0;
  bool failed_ = false;
};

// Standard input is read as it comes: the whole lines of what one read returns are converted
// before the next read, so that a program that writes a line and waits for its answer gets it.
int ConvertStandardInput(EngineState& engine, TransformMode mode) {
  LineConverter converter(engine, mode);
  std::string pending;  // the bytes after the last newline read
  std::vector<char> chunk(std::size_t{1} << 16);
  bool readFailed = false;
  bool writing = true;
  while (writing) {
    const ssize_t got = ::read(STDIN_FILENO, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      readFailed = got < 0;
      break;
    }
    pending.append(chunk.data(), static_cast<std::size_t>(got));
    std::size_t begin = 0;
    for (std::size_t newline; writing && (newline = pending.find('\n', begin)) != std::string::npos;
         begin = newline + 1) {
      writing = converter.Line(std::string_view(pending).substr(begin, newline - begin));
    }
    pending.erase(0, begin);
    writing = writing && converter.ConvertHeld() && std::fflush(stdout) == 0;
  }
  if (writing && !pending.empty()) writing = converter.Line(pending);  // a last line without newline
  if (writing) converter.ConvertHeld();
  bool failed = converter.Failed();
  if (readFailed) {
    PrintMessage("cannot read standard input");
    failed = true;
  }
  return FinishOutput(failed);
}

}  // namespace

std::optional<double> ParseCoordinate(std::string_view text) { return ParseDecimal(text); }

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
  LocalFileSystem files;
  const Conversion conversion = RequireConversion(parsed, files);
  if (parsed.Operands.size() != 0 && parsed.Operands.size() != 2) {
    throw UsageError("give both X and Y, or neither to read pairs from standard input");
  }
  StderrMessageSink messages;
  EngineState engine = EngineFor(conversion, messages);

  if (parsed.Operands.empty()) return ConvertStandardInput(engine, conversion.Mode);

  const auto x = ParseCoordinate(parsed.Operands[0]);
  const auto y = ParseCoordinate(parsed.Operands[1]);
  if (!x || !y) {
    throw UsageError("X and Y must be finite numbers, not '" + parsed.Operands[!x ? 0 : 1] + "'");
  }
  const PointResult result = ConvertToLine(engine, conversion.Mode, *x, *y);
  if (!result.Error.empty()) {
    PrintMessage(result.Error);
    return 1;
  }
  WriteToStdout(result.Line);
  return FinishOutput(false);
}

}  // namespace morvane
