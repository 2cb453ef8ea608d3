#include "pending_outputs.hpp"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "shapefile/live_temporaries.hpp"
#include "shapefile/process_ids.hpp"

namespace morvane {

namespace {

std::string NewTemporary(const std::string& final) {
  static std::atomic<unsigned long> counter{0};
  return TemporaryOutputPath(final, CurrentProcessId(), counter++);
}

bool IsWritten(OutputCondition condition, const std::vector<OutputCondition>& holding) {
  return condition == OutputCondition::Always || std::find(holding.begin(), holding.end(), condition) != holding.end();
}

}  // namespace

PendingOutputs::PendingOutputs(FileSystem& files, const ShapefileNames& names,
                               const std::vector<OutputCondition>& holding)
    : files_(files) {
  std::vector<std::string> finals;
  for (const ConversionOutput& output : kConversionOutputs) {
    const std::string& final = names.*output.Name;
    if (!IsWritten(output.WrittenWhen, holding)) {
      dropped_.push_back(final);
      continue;
    }
    outputs_.push_back({final, NewTemporary(final)});
    RegisterTemporary(outputs_.back().Temporary);  // before it exists, for a stop by a signal
    files_.Remove(outputs_.back().Temporary);  // left by an earlier process of the same id
    finals.push_back(final);
  }
  finals.insert(finals.end(), dropped_.begin(), dropped_.end());
  RemoveAbandonedTemporaries(files_, finals);  // left by runs that were killed
}

PendingOutputs::~PendingOutputs() {
  for (const Output& output : outputs_) {
    if (!committed_) files_.Remove(output.Temporary);
    ForgetTemporary(output.Temporary);
  }
}

const std::string& PendingOutputs::Temporary(const std::string& final) const {
  for (const Output& output : outputs_) {
    if (output.Final == final) return output.Temporary;
  }
  throw std::logic_error("no temporary for " + final);
}

void PendingOutputs::Rethrow(const FileError& error) const {
  for (const Output& output : outputs_) {
    if (error.Path() == output.Temporary) throw error.At(output.Final);
  }
  throw error;
}

void PendingOutputs::Commit() {
  const auto hold = HoldOffRemoval();  // a stop by a signal waits until all are in place
  std::vector<Output> asides;  // earlier outputs and where they were moved
  std::size_t placed = 0;      // temporaries renamed into place
  std::string moving;          // the output being moved, which an error names
  try {
    std::vector<std::string> finals = dropped_;
    for (const Output& output : outputs_) finals.push_back(output.Final);
    for (const std::string& final : finals) {
      moving = final;
      if (!files_.IsRegularFile(final)) continue;
      const std::string aside = NewTemporary(final);
      files_.Rename(final, aside);
      asides.push_back({final, aside});
    }
    for (; placed < outputs_.size(); ++placed) {
      moving = outputs_[placed].Final;
      files_.Rename(outputs_[placed].Temporary, outputs_[placed].Final);
    }
  } catch (const FileError& error) {
    PutBack(asides, placed);
    throw error.At(moving);
  }
  committed_ = true;
  for (const Output& aside : asides) files_.Remove(aside.Temporary);
}

void PendingOutputs::PutBack(const std::vector<Output>& asides, std::size_t placed) noexcept {
  for (std::size_t i = 0; i < placed; ++i) files_.Remove(outputs_[i].Final);
  for (const Output& aside : asides) {
    try {
      files_.Rename(aside.Temporary, aside.Final);
    } catch (const FileError&) {
      // Stays under its temporary name; the error that ended the commit is the one reported.
    }
  }
}

}  // namespace morvane
