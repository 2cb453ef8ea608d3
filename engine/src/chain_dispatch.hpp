// The one dispatch from a mode's chain (ModeRow::Steps, mode_table.hpp) to the code that runs it.
// Each chain has one row: the struct of its family's header with its one-point form (Point, a
// template over the pass) and its several-point form for a block (LanesFor), and the fitted form
// (fitted_datum.hpp) that replaces it when a fitted datum transform is set. ConvertPoint and
// ConvertPoints (modes.cpp) both choose the chain here.
#pragma once

#include "datum_chains.hpp"
#include "engine/mode_table.hpp"
#include "fitted_datum.hpp"
#include "grid_chains.hpp"
#include "grid_to_grid_chains.hpp"
#include "lambert_chains.hpp"

namespace morvane::chains {

template <typename Forms, FittedForm kFitted = FittedForm::None>
struct ChainRow : Forms {
  static constexpr FittedForm kFittedForm = kFitted;
};

// Calls `visit` with the row of `chain` (an empty object whose type carries the row) and returns
// what it returns.
template <typename Visit>
constexpr decltype(auto) WithChain(Chain chain, Visit&& visit) {
  switch (chain) {
    case Chain::GridToGeographic:
      return visit(ChainRow<GridToGeographic>{});
    case Chain::GeographicToGrid:
      return visit(ChainRow<GeographicToGrid>{});
    case Chain::LambertToGeographic:
      return visit(ChainRow<LambertToGeographic>{});
    case Chain::GeographicToLambert:
      return visit(ChainRow<GeographicToLambert>{});
    case Chain::Twd67ToTwd97:
      return visit(ChainRow<GeographicToGeographic<k67To97>, FittedForm::GeographicForward>{});
    case Chain::Twd97ToTwd67:
      return visit(ChainRow<GeographicToGeographic<k97To67>, FittedForm::GeographicInverse>{});
    case Chain::Twd67ToWgs84:
      return visit(ChainRow<GeographicToGeographic<k67To84>, FittedForm::GeographicForward>{});
    case Chain::Wgs84ToTwd67:
      return visit(ChainRow<GeographicToGeographic<k84To67>, FittedForm::GeographicInverse>{});
    case Chain::Twd67GridToTwd97Grid:
      return visit(ChainRow<Twd67GridToTwd97Grid, FittedForm::GridForward>{});
    case Chain::Twd97GridToTwd67Grid:
      break;  // below, so that every path returns
  }
  return visit(ChainRow<Twd97GridToTwd67Grid, FittedForm::GridInverse>{});
}

// The fitted form of `chain`: None for a chain that shifts no datum.
constexpr FittedForm FittedFormOf(Chain chain) {
  return WithChain(chain, [](auto row) { return decltype(row)::kFittedForm; });
}

}  // namespace morvane::chains

namespace morvane {

// Whether `chain` is a datum chain that a fitted transform takes over.
constexpr bool TakesFittedDatum(Chain chain) { return chains::FittedFormOf(chain) != FittedForm::None; }

}  // namespace morvane
