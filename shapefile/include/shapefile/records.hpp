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
#include <vector>

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
// consumed so far, about once per block; an exception it throws ends the rewriting there
// (a cancelled run stops so).
// Throws RunError for damaged input; engine errors (ConversionError) pass through.
RewriteResult RewriteRecords(BufferedReader& in, BufferedWriter& out, EngineState& engine,
                             TransformMode mode, const std::string& inputPath,
                             const std::function<void(std::uint64_t)>& onProgress = {});

// Whole records read into memory to be rewritten apart from the file, on another thread, with
// where they were in the input so that damage is reported as RewriteRecords reports it.
struct RecordBlock {
  std::vector<unsigned char> Bytes;
  std::uint64_t Offset = 0;       // of Bytes[0] in the input
  std::uint64_t FirstRecord = 1;  // number of its first record, counting from 1
  std::uint64_t FileSize = 0;     // of the whole input
};

// The extents of consecutive records, merged as far as merging gives what Extent::Add over
// each of them in turn gives: comparisons tie between -0 and +0, where the first one added is
// kept, so a record whose extent has a zero bound (and the one after it) starts a run of its
// own. Blocks rewritten apart thus add up to the file's extent bit for bit.
class ExtentRuns {
 public:
  void Add(const Extent& record);
  // Adds the runs, in order, to `total`.
  void AddTo(Extent& total) const;
  void Clear() { runs_.clear(); }

 private:
  static bool HasZeroBound(const Extent& extent);
  std::vector<Extent> runs_;
};

struct BlockRewrite {
  ExtentRuns Extents;
  std::uint64_t Records = 0;  // rewritten whole; on a throw, those before the failing one
  std::uint64_t Vertices = 0;
};

// Rewrites the records of `block` into `output` (emptied first) as RewriteRecords would
// rewrite them in the file: the same bytes, the same errors with the same record numbers and
// offsets. Adds to `result`, which should be empty.
void RewriteRecordBlock(const RecordBlock& block, std::vector<unsigned char>& output,
                        EngineState& engine, TransformMode mode, const std::string& inputPath,
                        BlockRewrite& result);

// Rewrites the one record at `in`'s position, record number `number`, straight from `in` to
// `out` and adds it to `total`: for a record too large to be held in memory whole.
void RewriteRecord(BufferedReader& in, BufferedWriter& out, EngineState& engine, TransformMode mode,
                   const std::string& inputPath, std::uint64_t number, RewriteResult& total);

}  // namespace morvane
