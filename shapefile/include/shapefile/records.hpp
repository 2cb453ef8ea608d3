// Rewriting the records of a main file with converted coordinates.
//
// Every record keeps its size and offset: the record header, the shape type, the counts, the
// part starts, the part types and every Z and M byte are copied; only the X and Y of each
// point and the boxes change. The copied index and the header's FileLength therefore stay
// valid.
//
// Each record is read by the layout of its own shape type, bounded by its ContentLength:
//   Point, PointM, PointZ         X Y, then (Z) (M) copied;
//   MultiPoint, -M, -Z            box, NumPoints, points, then the Z and M parts copied;
//   Arc, Polygon, -M, -Z          box, NumParts, NumPoints, Parts, points, then Z and M;
//   MultiPatch                    as Arc, with PartTypes after Parts;
//   NullShape                     nothing to convert.
// The Z part of the Z types is required; the M part of the Z and M types is optional, and
// whatever the content holds after the points is copied as it is, so records with or without
// measures come out right. Bytes a record holds beyond its layout are copied too.
//
// A record that carries points gets as its box the extent of its converted points; one
// without points keeps the conversion of its two stored corners.
//
// Damaged input (a record cut short, a content length that does not fit the file, counts that
// do not fit the content, part starts out of order or past the points, an unknown shape type)
// throws RunError "File <path> is damaged: record <n> (at byte <offset>) ...", n counting
// records from 1. No allocation depends on a count read from the file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/engine_state.hpp"
#include "shapefile/buffered_io.hpp"
#include "shapefile/headers.hpp"

namespace morvane {

struct RewriteResult {
  Extent Points;              // every converted point of the file
  std::uint64_t Records = 0;
  std::uint64_t Vertices = 0;
};

// Rewrites every record from `in`, positioned just after the input's 100-byte header, to
// `out`, positioned just after the 100 bytes written there, up to the end of `in`.
// `inputPath` names the input in messages. `onProgress`, if set, is told the bytes of `in`
// consumed so far, about once per block.
// Throws RunError for damaged input; engine errors (ConversionError) pass through.
RewriteResult RewriteRecords(BufferedReader& in, BufferedWriter& out, EngineState& engine,
                             TransformMode mode, const std::string& inputPath,
                             const std::function<void(std::uint64_t)>& onProgress = {});

}  // namespace morvane
