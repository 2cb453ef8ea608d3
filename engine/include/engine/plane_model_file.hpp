// The model file: a fitted plane transform as plain text, written and read from strings (the
// front ends do the file I/O). Reading what was written gives a transform whose results are
// the same bit for bit: every number is written with %.17g.
//
//   morvane-plane-model 1
//   model affine
//   meridian 121
//   centre <E> <N>
//   shift <E> <N>
//   matrix <a> <b> <c> <d>
//   area <min E> <min N> <max E> <max N>
//   fit <points> <rms> <max> <loo rms> <loo max>
//   length <L>                       (local only)
//   nugget <lambda>                  (local only)
//   nodes <count>                    (local only)
//   node <E67> <N67> <weight E> <weight N>     (local only, count lines)
//   attribution <text to the end of the line>  (optional)
//
// Keys come in this order; lines starting with '#' and blank lines are skipped.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/plane_transform.hpp"

namespace morvane {

enum class ModelFileProblem {
  NotAModelFile,       // the first line is not "morvane-plane-model <version>"
  UnsupportedVersion,  // Text: the version written
  MissingKey,          // Key: the key wanted (the file ends or another key comes)
  BadValue,            // Key; Text: the field as written (not a number, wrong count, unknown model)
  Invalid,             // the values do not make a transform (singular matrix, meridian, ...)
  TrailingText,        // Text: a line after the end of the model
};

struct ModelFileError {
  ModelFileProblem Kind = ModelFileProblem::NotAModelFile;
  int Line = 0;  // 1-based
  std::string Key;
  std::string Text;
};

struct ModelFileResult {
  std::optional<FittedTransform> Transform;
  std::optional<ModelFileError> Error;
  bool Ok() const { return Transform.has_value(); }
};

std::string WriteModel(const FittedTransform& transform);
ModelFileResult ReadModel(std::string_view text);

// One English sentence for the command line, e.g. "line 5: \"matrix\" has a bad value: \"x\"".
std::string DescribeInEnglish(const ModelFileError& error);

}  // namespace morvane
