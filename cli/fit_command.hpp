// `morvane-cli fit`: fits a TWD67 -> TWD97 plane transform to a file of common points, prints
// the report, and writes the model file, the residuals or a PROJ pipeline.
#pragma once

#include <string>

#include "command_line.hpp"
#include "engine/plane_fit.hpp"

namespace morvane {

// The report as the command prints it: model, parameters, fitted area, each point's residuals
// and leave-one-out residuals, their RMS and max, and the flagged points.
std::string FitReportText(const FittedTransform& transform, const FitReport& report);

// The residuals as CSV: "id,de,dn,d,loo_de,loo_dn,loo_d", metres, fitted minus published.
std::string ResidualsCsv(const FitReport& report);

// A similarity or affine transform as a PROJ pipeline of one affine step, which cct applies to
// TWD67 TM2 eastings and northings. Throws std::invalid_argument for the Local model.
std::string ProjPipeline(const FittedTransform& transform);

// Runs the command on parsed arguments; returns the exit status, throws UsageError.
int RunFitCommand(const ParsedArguments& parsed);

}  // namespace morvane
