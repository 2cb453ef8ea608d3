#include "engine/modes.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "chain_dispatch.hpp"
#include "chain_pass.hpp"
#include "engine/mode_table.hpp"
#include "engine/processor.hpp"
#include "fitted_datum.hpp"
#include "grid_to_grid_chains.hpp"

// The entry points and their passes: ConvertPoint runs a chain in the fast pass and, if a flag was
// raised, again in the checked pass (chain_pass.hpp); ConvertPoints runs a block of pairs in the
// several-point fast pass and reads the flags once for it, and sends a block that raised one
// through ConvertPoint pair by pair. The chains themselves are in the headers that
// chain_dispatch.hpp names.

namespace morvane {

const std::array<std::string_view, kModeCount> kModeCaptions = [] {
  std::array<std::string_view, kModeCount> captions{};
  for (TransformMode mode = 0; mode < kModeCount; ++mode) captions[mode] = RowOf(mode).Caption;
  return captions;
}();

const std::array<std::string_view, kRegionCount> kRegionCaptions = [] {
  std::array<std::string_view, kRegionCount> captions{};
  for (std::size_t region = 0; region < captions.size(); ++region) captions[region] = kRegions[region].Caption;
  return captions;
}();

namespace {

using chains::CheckedPass;
using chains::FastPass;
using chains::WriteTwd67GridFields;
using processor::Materialise;

template <typename Pass>
void RunChain(Pass& pass, EngineState& state, Chain chain, double x, double y, double& outX, double& outY) {
  chains::WithChain(chain, [&](auto row) { decltype(row)::Point(pass, state, x, y, outX, outY); });
}

// How many pairs ConvertPoints converts between two readings of the flags: enough to spread
// the reading's cost, few enough that the results fit in a small buffer on the stack.
constexpr std::size_t kPairsPerBlock = 64;

// Makes the results of a block's fast pass the block's outputs, and returns true; or returns
// false, with `pairs` and the settings untouched, if a flag was raised on the way (or before:
// the caller's flags are not cleared first).
bool CommitBlock(EngineState& state, TransformMode mode, double* pairs, double* results, std::size_t count) {
  Materialise(results[0]);
  Materialise(results[2 * count - 1]);
  if (FloatingPointFlagsRaised()) return false;
  std::memcpy(pairs, results, 2 * count * sizeof(double));
  // Mode 12 (TWD97 TM2 to TWD67 TM2) writes the same fields at every pair; a pair's results do not
  // depend on whether the pairs before it have written them (its fast pass reads them from a
  // written copy).
  if (RowOf(mode).WritesTwd67GridFields) WriteTwd67GridFields(state.Settings);
  return true;
}

// How many points the long chains take side by side.
constexpr std::size_t kLanes = kMaxLanes;

// Converts `count` (1 to kPairsPerBlock) pairs of `pairs` in place, kLanes points at a time by
// `lanes` (pairs, count, results), and returns true; or returns false, with `pairs` and the
// settings untouched, if a pair must go through ConvertPoint: an input that is not finite, a
// point outside the Lambert grid (`lanes` gives up), or a flag raised. The long chains are
// sequences of library calls and divisions, each waiting for the one before: several
// independent chains side by side keep the processor busier.
template <typename Lanes>
bool ConvertBlockInLanes(EngineState& state, TransformMode mode, double* pairs, std::size_t count,
                         const Lanes& lanes) {
  for (std::size_t i = 0; i < 2 * count; ++i) {
    if (!std::isfinite(pairs[i])) return false;
  }
  double results[2 * kPairsPerBlock];
  for (std::size_t i = 0; i < count; i += kLanes) {
    if (!lanes(pairs + 2 * i, std::min(kLanes, count - i), results + 2 * i)) return false;
  }
  return CommitBlock(state, mode, pairs, results, count);
}

// ConvertPoints with `blockFast` (pairs, count) -> bool converting each block in a fast pass.
template <typename BlockFast>
void ConvertPairs(EngineState& state, TransformMode mode, std::span<double> pairs, const BlockFast& blockFast) {
  const std::size_t count = pairs.size() / 2;
  for (std::size_t first = 0; first < count; first += kPairsPerBlock) {
    const std::size_t block = std::min(kPairsPerBlock, count - first);
    double* blockPairs = pairs.data() + 2 * first;
    if (blockFast(blockPairs, block)) continue;
    // Once more pair by pair: ConvertPoint fails at the right pair, at the right step, with
    // the right outputs stored. The flags raised by the fast attempt are not the caller's.
    ClearFloatingPointFlags();
    for (std::size_t i = 0; i < block; ++i) {
      double& x = blockPairs[2 * i];
      double& y = blockPairs[2 * i + 1];
      ConvertPoint(state, mode, x, y, x, y);
    }
  }
}

}  // namespace

void ConvertPoints(EngineState& state, TransformMode mode, std::span<double> pairs) {
  if (mode >= kModeCount) {
    // "No the other choice" once per pair, nothing written.
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
      ConvertPoint(state, mode, pairs[i], pairs[i + 1], pairs[i], pairs[i + 1]);
    }
    return;
  }
  // The chain is chosen once per call: one instance of the block loop per chain. Within a block
  // the settings do not change (the writes of mode 12, TWD97 TM2 to TWD67 TM2, wait for the
  // block's commit), so the grid derived from them is looked up once per block.
  // lanesOf() gives the several-point form for one block.
  const auto convertInLanes = [&](const auto& lanesOf) {
    ConvertPairs(state, mode, pairs, [&](double* block, std::size_t count) {
      return ConvertBlockInLanes(state, mode, block, count, lanesOf());
    });
  };
  chains::WithChain(RowOf(mode).Steps, [&](auto row) {
    using Row = decltype(row);
    if constexpr (Row::kFittedForm != FittedForm::None) {
      if (state.Datum) {
        return convertInLanes([&] {
          return [&transform = *state.Datum](const double* p, std::size_t n, double* r) {
            return ConvertPairsFitted(transform, Row::kFittedForm, p, n, r);
          };
        });
      }
    }
    convertInLanes([&] { return Row::LanesFor(state); });
  });
}

void ConvertPoint(EngineState& state, TransformMode mode, double x, double y, double& outX,
                  double& outY) {
  if (mode >= kModeCount) {
    state.Messages->ShowMessage("No the other choice");
    return;
  }
  // The flags are not cleared first: reading them waits for all floating-point work before it,
  // once per point is enough. A flag left raised by the caller sends the point to the checked
  // pass, which clears the flags and gives the same results.
  // A coordinate that is NaN or infinite can only come from a damaged file. The chains that
  // compare it fail on it anyway; the others would write NaN or an infinity without a word.
  if (!std::isfinite(x) || !std::isfinite(y)) {
    RaiseInvalidOperation();
    CheckFloatingPointFlags();
  }
  const ModeRow& row = RowOf(mode);
  if (state.Datum) {
    if (const FittedForm fitted = chains::FittedFormOf(row.Steps); fitted != FittedForm::None) {
      ConvertPointFitted(*state.Datum, fitted, x, y, outX, outY);
      if (row.WritesTwd67GridFields) WriteTwd67GridFields(state.Settings);
      return;
    }
  }
  FastPass fast;
  RunChain(fast, state, row.Steps, x, y, outX, outY);
  if (fast.Commit()) {
    if (row.WritesTwd67GridFields) WriteTwd67GridFields(state.Settings);
    return;
  }
  ClearFloatingPointFlags();
  CheckedPass checked;
  RunChain(checked, state, row.Steps, x, y, outX, outY);
}

}  // namespace morvane
