#include "engine/plane_model_file.hpp"

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <vector>

#include "engine/plain_text.hpp"

namespace morvane {

namespace {

constexpr std::string_view kMagic = "morvane-plane-model";
constexpr std::string_view kVersion = "1";

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

void AddLine(std::string& out, std::string_view key, std::initializer_list<double> values) {
  out += key;
  for (double value : values) {
    out += ' ';
    out += Number(value);
  }
  out += '\n';
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    const std::size_t start = at;
    while (at < line.size() && !IsBlank(line[at])) ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

// A decimal, or "nan" as %.17g writes an undefined figure (leave-one-out with the minimum of points).
std::optional<double> ParseNumber(std::string_view text) {
  if (text == "nan" || text == "-nan") return std::numeric_limits<double>::quiet_NaN();
  return ParseDecimal(text);
}

// A failure to read, carried out of the key readers.
struct ReadFailure {
  ModelFileError Error;
};

ModelFileError ErrorOf(ModelFileProblem kind, int line, std::string key = {}, std::string text = {}) {
  return {kind, line, std::move(key), std::move(text)};
}

// Reads the line "key v1 v2 ... vcount" into `values`.
class KeyReader {
 public:
  explicit KeyReader(std::string_view text) : lines_(text) {}

  std::optional<std::string_view> NextLine() { return lines_.Next(); }
  int Line() const { return lines_.Number(); }

  // The words after `key` on the next line; throws ReadFailure if the line is another key.
  std::vector<std::string_view> Words(std::string_view key) {
    const auto line = lines_.Next();
    if (!line) throw ReadFailure{ErrorOf(ModelFileProblem::MissingKey, lines_.Number(), std::string(key))};
    auto words = morvane::Words(*line);
    if (words.empty() || words.front() != key) {
      throw ReadFailure{ErrorOf(ModelFileProblem::MissingKey, lines_.Number(), std::string(key))};
    }
    words.erase(words.begin());
    return words;
  }

  std::vector<double> Numbers(std::string_view key, std::size_t count) {
    const auto words = Words(key);
    std::vector<double> values;
    for (std::string_view word : words) {
      const auto value = ParseNumber(word);
      if (!value) throw ReadFailure{ErrorOf(ModelFileProblem::BadValue, lines_.Number(), std::string(key), std::string(word))};
      values.push_back(*value);
    }
    if (values.size() != count) {
      std::string text;
      for (std::string_view word : words) text += (text.empty() ? "" : " ") + std::string(word);
      throw ReadFailure{ErrorOf(ModelFileProblem::BadValue, lines_.Number(), std::string(key), text)};
    }
    return values;
  }

 private:
  MeaningfulLines lines_;
};

PlaneModel ReadModelKind(KeyReader& reader) {
  const auto words = reader.Words("model");
  for (PlaneModel model : {PlaneModel::Similarity, PlaneModel::Affine, PlaneModel::Local}) {
    if (words.size() == 1 && words[0] == PlaneModelName(model)) return model;
  }
  throw ReadFailure{ErrorOf(ModelFileProblem::BadValue, reader.Line(), "model", words.empty() ? "" : std::string(words[0]))};
}

TransformParameters ReadParameters(KeyReader& reader) {
  TransformParameters p;
  p.Model = ReadModelKind(reader);
  const double meridian = reader.Numbers("meridian", 1)[0];
  if (meridian != 121 && meridian != 119) {
    throw ReadFailure{ErrorOf(ModelFileProblem::BadValue, reader.Line(), "meridian", Number(meridian))};
  }
  p.Meridian = static_cast<int>(meridian);
  const auto centre = reader.Numbers("centre", 2);
  const auto shift = reader.Numbers("shift", 2);
  const auto matrix = reader.Numbers("matrix", 4);
  p.Plane = {centre[0], centre[1], shift[0], shift[1], matrix[0], matrix[1], matrix[2], matrix[3]};
  const auto area = reader.Numbers("area", 4);
  p.Area = {area[0], area[1], area[2], area[3]};
  const auto fit = reader.Numbers("fit", 5);
  if (!(fit[0] >= 0 && fit[0] <= 1e9 && fit[0] == std::floor(fit[0]))) {
    throw ReadFailure{ErrorOf(ModelFileProblem::BadValue, reader.Line(), "fit", Number(fit[0]))};
  }
  p.Summary = {static_cast<int>(fit[0]), fit[1], fit[2], fit[3], fit[4]};
  if (p.Model == PlaneModel::Local) {
    p.Length = reader.Numbers("length", 1)[0];
    p.Nugget = reader.Numbers("nugget", 1)[0];
    const double count = reader.Numbers("nodes", 1)[0];
    if (!(count >= 1 && count <= 1e6 && count == std::floor(count))) {
      throw ReadFailure{ErrorOf(ModelFileProblem::BadValue, reader.Line(), "nodes", Number(count))};
    }
    for (int i = 0; i < static_cast<int>(count); ++i) {
      const auto node = reader.Numbers("node", 4);
      p.Nodes.push_back({node[0], node[1], node[2], node[3]});
    }
  }
  return p;
}

}  // namespace

std::string WriteModel(const FittedTransform& transform) {
  const TransformParameters& p = transform.Parameters();
  std::string out;
  out += std::string(kMagic) + " " + std::string(kVersion) + "\n";
  out += std::string("model ") + PlaneModelName(p.Model) + "\n";
  out += "meridian " + std::to_string(p.Meridian) + "\n";
  AddLine(out, "centre", {p.Plane.CentreE, p.Plane.CentreN});
  AddLine(out, "shift", {p.Plane.ShiftE, p.Plane.ShiftN});
  AddLine(out, "matrix", {p.Plane.A, p.Plane.B, p.Plane.C, p.Plane.D});
  AddLine(out, "area", {p.Area.MinE, p.Area.MinN, p.Area.MaxE, p.Area.MaxN});
  out += "fit " + std::to_string(p.Summary.PointCount);
  for (double value : {p.Summary.Rms, p.Summary.Max, p.Summary.LooRms, p.Summary.LooMax}) out += " " + Number(value);
  out += "\n";
  if (p.Model == PlaneModel::Local) {
    AddLine(out, "length", {p.Length});
    AddLine(out, "nugget", {p.Nugget});
    out += "nodes " + std::to_string(p.Nodes.size()) + "\n";
    for (const LocalNode& node : p.Nodes) AddLine(out, "node", {node.E67, node.N67, node.WeightE, node.WeightN});
  }
  if (!p.Attribution.empty()) {
    std::string attribution = p.Attribution;
    for (char& c : attribution) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    out += "attribution " + attribution + "\n";
  }
  return out;
}

ModelFileResult ReadModel(std::string_view text) {
  ModelFileResult result;
  KeyReader reader(text);
  try {
    const auto first = reader.NextLine();
    const auto words = first ? Words(*first) : std::vector<std::string_view>{};
    if (words.size() != 2 || words[0] != kMagic) {
      throw ReadFailure{ErrorOf(ModelFileProblem::NotAModelFile, reader.Line())};
    }
    if (words[1] != kVersion) {
      throw ReadFailure{ErrorOf(ModelFileProblem::UnsupportedVersion, reader.Line(), {}, std::string(words[1]))};
    }
    TransformParameters parameters = ReadParameters(reader);
    if (auto line = reader.NextLine()) {
      const auto lineWords = Words(*line);
      if (lineWords.front() != "attribution") {
        throw ReadFailure{ErrorOf(ModelFileProblem::TrailingText, reader.Line(), {}, std::string(*line))};
      }
      parameters.Attribution = std::string(TrimBlanks(line->substr(lineWords.front().size())));
      if (auto extra = reader.NextLine()) {
        throw ReadFailure{ErrorOf(ModelFileProblem::TrailingText, reader.Line(), {}, std::string(*extra))};
      }
    }
    const int lastLine = reader.Line();
    try {
      result.Transform.emplace(std::move(parameters));
    } catch (const std::invalid_argument& invalid) {
      throw ReadFailure{ErrorOf(ModelFileProblem::Invalid, lastLine, {}, invalid.what())};
    }
  } catch (const ReadFailure& failure) {
    result.Error = failure.Error;
  }
  return result;
}

std::string DescribeInEnglish(const ModelFileError& error) {
  const std::string where = error.Line > 0 ? "line " + std::to_string(error.Line) + ": " : "";
  switch (error.Kind) {
    case ModelFileProblem::NotAModelFile:
      return where + "not a plane model file (the first line must be \"" + std::string(kMagic) + " " +
             std::string(kVersion) + "\")";
    case ModelFileProblem::UnsupportedVersion:
      return where + "plane model file version " + error.Text + " is not supported (only " + std::string(kVersion) + ")";
    case ModelFileProblem::MissingKey:
      return where + "expected \"" + error.Key + "\"";
    case ModelFileProblem::BadValue:
      return where + "\"" + error.Key + "\" has a bad value: \"" + error.Text + "\"";
    case ModelFileProblem::Invalid:
      return "the model is unusable: " + error.Text;
    case ModelFileProblem::TrailingText:
      return where + "unexpected text after the model: \"" + error.Text + "\"";
  }
  return where + "unreadable plane model file";
}

}  // namespace morvane
