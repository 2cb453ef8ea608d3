// The input check's findings in the window's language, worded from their data as the run's
// errors are (texts.hpp): each a sentence that starts with the name of the file it is about
// ("degrees.shp 的坐標（…）不在…之內。"). The command line keeps the English wording of
// input_check.hpp.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "shapefile/input_check.hpp"

namespace morvane {

// One finding. The findings of a file the run could not convert are worded as ProblemText
// words the run's own error.
QString CheckReasonWords(const CheckReason& reason);

// The hint of the modes whose source is the system the .prj beside `mainPath` names, with the
// region of those that need another one than `chosen`; empty when there are none.
QString FittingModesWords(const std::vector<ModeFit>& fits, Region chosen, const std::string& mainPath);

// What a failed check of the main file `mainPath` found: each finding, then the hint of the
// modes that fit its .prj, one per line. The region chosen is the one the findings name.
QString CheckWords(const InputCheck& check, const std::string& mainPath);

}  // namespace morvane
