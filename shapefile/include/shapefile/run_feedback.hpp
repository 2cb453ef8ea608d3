// What a conversion run shows and asks of its front end, and how it learns that it is to stop.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/messages.hpp"

namespace morvane {

struct FileProblem;

// What the run shows: plain messages (MessageSink), the completion box and the two bars.
class RunFeedback : public MessageSink {
 public:
  // The completion box: `text` with `caption`, an OK button, no icon.
  virtual void ShowCompletion(const std::string& text, const std::string& caption) = 0;
  // The overall bar (percentage of ticked files begun, 100 at the end of a run).
  virtual void SetOverallProgress(int percent) = 0;
  // The per-file bar (100 whenever a file is finished).
  virtual void SetFileProgress(int percent) = 0;
  // Bytes of the current input main file read so far; for front ends that show finer
  // progress. The default ignores it.
  virtual void OnBytesRead(std::uint64_t /*done*/, std::uint64_t /*total*/) {}

  // An error that ended the conversion of one file (a missing companion among them), in
  // English, as it happens; the same error is in the run's summary as data. By default a plain
  // message; front ends that list the failures at the end ignore it.
  virtual void ShowError(const std::string& text) { ShowMessage(text); }
  // Asked at most once per run, before anything is written and after ConfirmSuspicious, with
  // the outputs that the run would replace of the files it will convert: true replaces them,
  // false leaves those files out. By default nothing is replaced.
  virtual bool ConfirmReplace(const std::vector<std::string>& /*outputs*/) { return false; }
  // Asked at most once per run, before anything is written and before anything else, with
  // the files whose input check failed (input_check.hpp), each with its reason: true converts
  // them anyway, false leaves them out. By default they are left out. Files the check found
  // unreadable are not among them: their conversion fails.
  virtual bool ConfirmSuspicious(const std::vector<FileProblem>& /*files*/) { return false; }
  // Whether the run is to stop: asked before each file, and within a file between blocks of
  // records and between its outputs, so that the file in progress is abandoned within a block
  // of about a megabyte with nothing written (ConversionCancelled).
  virtual bool StopRequested() { return false; }

  // For runs that convert several files side by side (RunOptions::Jobs > 1): the feedback of
  // each slot, where its engine messages and per-file progress go, and when a slot begins and
  // ends a file. Then every call may come from any of the slots' threads.
  virtual RunFeedback& ForSlot(unsigned /*slot*/) { return *this; }
  virtual void FileStarted(unsigned /*slot*/, const std::string& /*path*/) {}
  virtual void FileFinished(unsigned /*slot*/) {}
};

// The per-file bar's percentage for `done` of `total` bytes read (100 for an empty file).
inline int FilePercent(std::uint64_t done, std::uint64_t total) {
  return total == 0 ? 100 : static_cast<int>(std::min(done, total) * 100 / total);
}

}  // namespace morvane
