#include "command_line.hpp"

#include <charconv>
#include <limits>

#include "engine/mode_table.hpp"
#include "shapefile/datum_step.hpp"

namespace morvane {

namespace {

bool LooksLikeNumber(std::string_view word) {
  return word.size() >= 2 && word[0] == '-' &&
         ((word[1] >= '0' && word[1] <= '9') || word[1] == '.');
}

const KnownOption* FindOption(std::span<const KnownOption> options, std::string_view name) {
  for (const KnownOption& option : options) {
    if (option.Name == name) return &option;
  }
  return nullptr;
}

const KnownOption* FindShortOption(std::span<const KnownOption> options, std::string_view word) {
  for (const KnownOption& option : options) {
    if (!option.Short.empty() && option.Short == word) return &option;
  }
  return nullptr;
}

// Digits only, no sign, no blanks, within [low, high].
long ParseWholeNumber(std::string_view text, long low, long high, std::string_view what) {
  long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  const bool digitsOnly = !text.empty() && text[0] >= '0' && text[0] <= '9';
  if (!digitsOnly || error != std::errc() || stop != end || value < low || value > high) {
    throw UsageError(std::string(what) + " must be a whole number from " + std::to_string(low) +
                     " to " + std::to_string(high) + ", not '" + std::string(text) + "'");
  }
  return value;
}

}  // namespace

ParsedArguments ParseArguments(std::span<const std::string> args,
                               std::span<const KnownOption> options) {
  ParsedArguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--") {
      parsed.Operands.insert(parsed.Operands.end(), args.begin() + static_cast<long>(i) + 1,
                             args.end());
      break;
    }
    if (word == "-h" || word == "--help") {
      parsed.Help = true;
      continue;
    }
    if (word.size() < 2 || word[0] != '-' || LooksLikeNumber(word)) {
      parsed.Operands.push_back(word);
      continue;
    }
    const KnownOption* option = nullptr;
    std::size_t equals = std::string::npos;
    if (word[1] != '-') {
      option = FindShortOption(options, word);
      if (option == nullptr) throw UsageError("unknown option '" + word + "'");
    } else {
      equals = word.find('=');
      option = FindOption(options, word.substr(2, equals == std::string::npos ? equals : equals - 2));
      if (option == nullptr) {
        throw UsageError("unknown option '" + word.substr(0, equals) + "'");
      }
    }
    const std::string name(option->Name);
    if (parsed.Has(name)) throw UsageError("--" + name + " is given twice");

    std::string value;
    if (option->TakesValue) {
      if (equals != std::string::npos) {
        value = word.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        throw UsageError("--" + name + " needs a value");
      }
    } else if (equals != std::string::npos) {
      throw UsageError("--" + name + " takes no value");
    }
    parsed.Options.emplace(name, std::move(value));
  }
  return parsed;
}

TransformMode ParseModeNumber(std::string_view text) {
  return *ModeOfNumber(static_cast<unsigned>(ParseWholeNumber(text, 1, kModeCount, "--mode")));
}

Region ParseRegionNumber(std::string_view text) {
  return static_cast<Region>(ParseWholeNumber(text, 1, kRegionCount, "--region") - 1);
}

unsigned ParseJobCount(std::string_view text) {
  return static_cast<unsigned>(
      ParseWholeNumber(text, 1, std::numeric_limits<int>::max(), "--jobs"));
}

unsigned ParseThreadCount(std::string_view text) {
  return static_cast<unsigned>(ParseWholeNumber(text, 1, 1024, "--threads"));
}

ModeAndRegion RequireModeAndRegion(const ParsedArguments& parsed) {
  const auto mode = parsed.Options.find("mode");
  if (mode == parsed.Options.end()) {
    throw UsageError("--mode is required (see 'morvane-cli modes')");
  }
  const auto region = parsed.Options.find("region");
  if (region == parsed.Options.end()) {
    throw UsageError("--region is required (see 'morvane-cli modes')");
  }
  return {ParseModeNumber(mode->second), ParseRegionNumber(region->second)};
}

Conversion RequireConversion(const ParsedArguments& parsed, FileSystem& files) {
  const ModeAndRegion choice = RequireModeAndRegion(parsed);
  const auto datum = parsed.Options.find("datum");
  if (datum == parsed.Options.end()) return {choice.ModeIndex, choice.RegionIndex, {}};
  const DatumStepResolution step = ResolveDatumStep(datum->second, choice.ModeIndex, choice.RegionIndex, files);
  if (!step.Ok()) throw UsageError("--datum " + datum->second + ": " + DescribeInEnglish(*step.Error));
  return {choice.ModeIndex, choice.RegionIndex, *step.Step};
}

}  // namespace morvane
