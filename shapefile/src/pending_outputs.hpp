// One shapefile's outputs while they are written under temporary names (output_names.hpp),
// and their move into place together with the removal of earlier outputs that the conversion
// does not write again.
#pragma once

#include <string>
#include <vector>

#include "shapefile/file_system.hpp"
#include "shapefile/output_names.hpp"

namespace morvane {

// Unless Commit has moved them into place, the temporaries are removed when this goes out of
// scope.
class PendingOutputs {
 public:
  struct Output {
    std::string Final;
    std::string Temporary;
  };

  // The outputs of `names` (kConversionOutputs) written always or on one of the conditions
  // `holding` get a temporary each; the others (a .cpg when the input has none) are dropped:
  // an earlier file of such a name described the outputs being replaced, so it goes when they do.
  PendingOutputs(FileSystem& files, const ShapefileNames& names, const std::vector<OutputCondition>& holding);
  ~PendingOutputs();
  PendingOutputs(const PendingOutputs&) = delete;
  PendingOutputs& operator=(const PendingOutputs&) = delete;

  // The temporary of the written output `final`.
  const std::string& Temporary(const std::string& final) const;

  // The same error, naming the final output instead of its temporary.
  [[noreturn]] void Rethrow(const FileError& error) const;

  // Renames every temporary over its final name and removes the dropped outputs. The earlier
  // outputs are first moved aside under temporary names, so that a failure part way can put
  // all of them back: the outputs are then either all new or all as they were. The earlier
  // files moved aside are removed last; one that cannot be is left under its temporary name.
  void Commit();

 private:
  // Undoes a Commit that failed: the outputs placed go and the earlier files come back.
  void PutBack(const std::vector<Output>& asides, std::size_t placed) noexcept;

  FileSystem& files_;
  std::vector<Output> outputs_;
  std::vector<std::string> dropped_;
  bool committed_ = false;
};

}  // namespace morvane
