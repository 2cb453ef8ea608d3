// Rewriting the records of one main file on several threads, with the same bytes, errors,
// messages and progress as RewriteRecords on one.
//
// The calling thread reads the records in blocks of whole records (at most BlockBytes each)
// and hands them to a pool of Count threads that lives while the file is rewritten; each
// thread converts with an engine state of its own, a copy of the caller's settings and
// Lambert grid. The blocks are written, and their messages and progress passed on, in file
// order. A record larger than a block is rewritten by the calling thread straight from the
// file, after the blocks before it.
//
// Memory: at most 2 * Count + 1 blocks are held, each with its input and its output, so at
// most (2 * Count + 1) * 2 * BlockBytes besides the reader's and writer's buffers, whatever
// the size of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/engine_state.hpp"
#include "shapefile/buffered_io.hpp"
#include "shapefile/records.hpp"

namespace morvane {

// The processor's hardware threads, at least 1.
unsigned CoreCount();

inline constexpr std::size_t kRecordBlockBytes = std::size_t{512} << 10;

// How many threads convert the records of one file, and how much of it each takes at once.
struct ConversionThreads {
  unsigned Count = CoreCount();  // 1: on the calling thread alone
  std::size_t BlockBytes = kRecordBlockBytes;
};

// RewriteRecords on `threads.Count` threads. A file whose records fit in one block, one thread, and
// a mode out of range (which converts nothing and says so at every point) are rewritten by
// RewriteRecords itself. The settings that the conversion writes (mode 12's, TWD97 TM2 to TWD67
// TM2) are in `engine` afterwards as RewriteRecords leaves them, also when it throws. An error of
// any block is the error RewriteRecords throws: the one of the first failing record.
// `onProgress` is called on the calling thread, in file order; an exception it throws ends the
// rewriting there, the threads finishing the blocks they hold and the rest dropped.
RewriteResult RewriteRecordsOnThreads(BufferedReader& in, BufferedWriter& out, EngineState& engine,
                                      TransformMode mode, const std::string& inputPath,
                                      const std::function<void(std::uint64_t)>& onProgress,
                                      const ConversionThreads& threads);

}  // namespace morvane
