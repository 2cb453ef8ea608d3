#include "fit_command.hpp"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "engine/extended.hpp"
#include "engine/plane_model_file.hpp"
#include "messages.hpp"
#include "shapefile/file_system.hpp"
#include "shapefile/live_temporaries.hpp"
#include "shapefile/output_names.hpp"

namespace morvane {

namespace {

constexpr double kArcSecondsPerRadian = 180.0 * 3600.0 / 3.14159265358979323846;

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Millimetres, "-" for an undefined value; never "-0.000".
std::string Metres(double value) {
  if (std::isnan(value)) return "-";
  return Format("%.3f", std::fabs(value) < 0.0005 ? 0.0 : value);
}

// "a,b" quoted as CSV needs it.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

PlaneModel ParseModel(const ParsedArguments& parsed) {
  const auto option = parsed.Options.find("model");
  if (option == parsed.Options.end()) return PlaneModel::Similarity;
  for (PlaneModel model : {PlaneModel::Similarity, PlaneModel::Affine, PlaneModel::Local}) {
    if (option->second == PlaneModelName(model)) return model;
  }
  throw UsageError("--model must be similarity, affine or local, not '" + option->second + "'");
}

int ParseMeridian(const ParsedArguments& parsed) {
  const auto option = parsed.Options.find("meridian");
  if (option == parsed.Options.end()) return 121;
  if (option->second == "121") return 121;
  if (option->second == "119") return 119;
  throw UsageError("--meridian must be 121 (Taiwan) or 119 (Penghu), not '" + option->second + "'");
}

std::string ReadWholeFile(FileSystem& files, const std::string& path) {
  const auto file = files.OpenRead(path);
  std::string text;
  char buffer[1 << 16];
  for (std::size_t got; (got = file->Read(buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  return text;
}

// Writes `text` to `path` whole or not at all: into a temporary beside it, then moved over it.
void WriteWholeFile(FileSystem& files, const std::string& path, const std::string& text) {
  static unsigned long counter = 0;
  const std::string temporary = TemporaryOutputPath(path, static_cast<unsigned long>(::getpid()), counter++);
  RegisterTemporary(temporary);  // before it exists, for a stop by a signal
  try {
    try {
      const auto file = files.Create(temporary);
      file->Write(text.data(), text.size());
      file->Close();
      files.Rename(temporary, path);
    } catch (const FileError& error) {
      // Name the file asked for, not the temporary.
      throw FileError(error.Operation(), path, error.Reason());
    }
  } catch (...) {
    files.Remove(temporary);
    ForgetTemporary(temporary);
    throw;
  }
  ForgetTemporary(temporary);
}

bool WriteToStdout(const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}

}  // namespace

std::string FitReportText(const FittedTransform& transform, const FitReport& report) {
  const PlaneParameters& p = transform.Plane();
  const FitSummary& s = report.Summary;
  std::string text = std::string("model: ") + PlaneModelName(transform.Model()) + ", TM2 meridian " +
                     std::to_string(transform.Meridian()) + ", " + std::to_string(s.PointCount) + " points\n";
  text += "centre (TWD67): E " + Metres(p.CentreE) + " m, N " + Metres(p.CentreN) + " m\n";
  text += "its image (TWD97): E " + Metres(p.ShiftE) + " m, N " + Metres(p.ShiftN) + " m\n";
  text += "matrix: a " + Format("%.12f", p.A) + ", b " + Format("%.12f", p.B) + ", c " + Format("%.12f", p.C) +
          ", d " + Format("%.12f", p.D) + "\n";
  if (transform.Model() == PlaneModel::Similarity) {
    text += "scale: " + Format("%.3f", (transform.Scale() - 1) * 1e6) + " ppm, rotation: " +
            Format("%.3f", transform.Rotation() * kArcSecondsPerRadian) + " arc seconds\n";
  }
  if (transform.Model() == PlaneModel::Local) {
    text += "local correction: " + std::to_string(transform.Nodes().size()) + " nodes, length " +
            Format("%.0f", transform.Length()) + " m, nugget " + Format("%g", transform.Nugget()) + "\n";
  }
  const PlaneBox& area = transform.FittedArea();
  text += "fitted area (TWD67): E " + Metres(area.MinE) + " to " + Metres(area.MaxE) + " m, N " + Metres(area.MinN) +
          " to " + Metres(area.MaxN) + " m\n";
  text += "\nresiduals, fitted minus published TWD97 (m); loo: from the fit to the other points\n";
  char line[256];
  std::snprintf(line, sizeof line, "%-12s %9s %9s %9s %9s %9s %9s\n", "id", "dE", "dN", "d", "loo dE", "loo dN",
                "loo d");
  text += line;
  for (const PointResidual& point : report.Points) {
    std::snprintf(line, sizeof line, "%-12s %9s %9s %9s %9s %9s %9s%s\n", point.Id.c_str(), Metres(point.DE).c_str(),
                  Metres(point.DN).c_str(), Metres(point.D).c_str(), Metres(point.LooDE).c_str(),
                  Metres(point.LooDN).c_str(), Metres(point.LooD).c_str(), point.Flagged ? "  flagged" : "");
    text += line;
  }
  text += "\nfit: rms " + Metres(s.Rms) + " m, max " + Metres(s.Max) + " m\n";
  text += "leave-one-out: rms " + Metres(s.LooRms) + " m, max " + Metres(s.LooMax) + " m\n";
  if (std::isnan(s.LooRms)) {
    text += "flagged: none (leave-one-out needs more points than the model's minimum)\n";
    return text;
  }
  std::string flagged;
  for (const PointResidual& point : report.Points) {
    if (point.Flagged) flagged += (flagged.empty() ? "" : ", ") + point.Id;
  }
  text += "flagged (leave-one-out over " + Metres(report.FlagThreshold) + " m, 3 times the median): " +
          (flagged.empty() ? "none" : flagged) + "\n";
  return text;
}

std::string ResidualsCsv(const FitReport& report) {
  std::string csv = "id,de,dn,d,loo_de,loo_dn,loo_d\n";
  for (const PointResidual& point : report.Points) {
    csv += CsvField(point.Id);
    for (double value : {point.DE, point.DN, point.D, point.LooDE, point.LooDN, point.LooD}) {
      csv += "," + (std::isnan(value) ? std::string() : Format("%.4f", value));
    }
    csv += "\n";
  }
  return csv;
}

std::string ProjPipeline(const FittedTransform& transform) {
  if (transform.Model() == PlaneModel::Local) {
    throw std::invalid_argument("the local model has no PROJ pipeline");
  }
  // x' = xoff + s11 x + s12 y about the origin, not about the centre.
  const PlaneParameters& p = transform.Plane();
  const Extended xoff = p.ShiftE - (static_cast<Extended>(p.A) * p.CentreE + static_cast<Extended>(p.B) * p.CentreN);
  const Extended yoff = p.ShiftN - (static_cast<Extended>(p.C) * p.CentreE + static_cast<Extended>(p.D) * p.CentreN);
  return "+proj=pipeline +step +proj=affine +xoff=" + Format("%.17g", static_cast<double>(xoff)) +
         " +yoff=" + Format("%.17g", static_cast<double>(yoff)) + " +s11=" + Format("%.17g", p.A) +
         " +s12=" + Format("%.17g", p.B) + " +s21=" + Format("%.17g", p.C) + " +s22=" + Format("%.17g", p.D);
}

int RunFitCommand(const ParsedArguments& parsed) {
  const PlaneModel model = ParseModel(parsed);
  const int meridian = ParseMeridian(parsed);
  if (parsed.Operands.size() != 1) throw UsageError("fit takes one POINTS file");
  if (parsed.Has("proj") && model == PlaneModel::Local) {
    throw UsageError("--proj takes the similarity or affine model: PROJ has no step for the local correction");
  }
  const std::string& path = parsed.Operands.front();
  LocalFileSystem files;
  std::string text;
  try {
    text = ReadWholeFile(files, path);
  } catch (const FileError& error) {
    PrintMessage(error.what());
    return 1;
  }
  const CommonPointsResult read = ReadCommonPoints(text, meridian);
  FitResult fit;
  if (read.Ok()) fit = Fit(read.Points, model, meridian);
  const auto& error = read.Ok() ? fit.Error : read.Error;
  if (error) {
    PrintMessage(path + ": " + DescribeInEnglish(*error));
    return 1;
  }
  const std::string output = parsed.Has("proj") ? ProjPipeline(*fit.Transform) + "\n"
                                                 : FitReportText(*fit.Transform, fit.Report);
  try {
    if (const auto option = parsed.Options.find("output"); option != parsed.Options.end()) {
      WriteWholeFile(files, option->second, WriteModel(*fit.Transform));
    }
    if (const auto option = parsed.Options.find("residuals"); option != parsed.Options.end()) {
      WriteWholeFile(files, option->second, ResidualsCsv(fit.Report));
    }
  } catch (const FileError& failure) {
    PrintMessage(failure.what());
    return 1;
  }
  if (!WriteToStdout(output)) {
    PrintMessage("cannot write to standard output");
    return 1;
  }
  return 0;
}

}  // namespace morvane
