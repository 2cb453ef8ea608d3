#include "shapefile/record_threads.hpp"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "shapefile/headers.hpp"

namespace morvane {

namespace {

// The messages of a block, kept to be passed on when the block is written.
class KeptMessages : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override { Texts.push_back(text); }
  std::vector<std::string> Texts;
};

// A progress report due once `Records` records of the block are rewritten.
struct ProgressReport {
  std::uint64_t Records;
  std::uint64_t Position;
};

// One block on its way: read by the calling thread, rewritten by a worker, written by the
// calling thread. A worker owns it from Submit until it sets Done.
struct BlockJob {
  RecordBlock Input;
  std::vector<ProgressReport> Reports;
  std::vector<unsigned char> Output;
  BlockRewrite Result;
  KeptMessages Messages;
  TransformSettings Settings;  // the worker's settings after the block
  std::exception_ptr Error;
  bool Done = false;

  void Reset() {
    Input.Bytes.clear();
    Reports.clear();
    Result.Extents.Clear();
    Result.Records = 0;
    Result.Vertices = 0;
    Messages.Texts.clear();
    Error = nullptr;
    Done = false;
  }
};

// The settings are copied as bytes: a signalling NaN must not pass the floating-point unit.
void CopySettings(TransformSettings& to, const TransformSettings& from) {
  std::memcpy(static_cast<void*>(&to), &from, sizeof to);
}

// The fields of `after` whose value differs from `before`, into `run`. The conversion writes only
// fixed values into the settings (the TWD67 grid fields of mode 12, TWD97 TM2 to TWD67 TM2), so
// taking the fields that each block changed, block after block, leaves what converting the blocks
// in turn leaves.
void TakeChangedFields(TransformSettings& run, const TransformSettings& before,
                       const TransformSettings& after) {
  constexpr std::size_t kValueBytes = 10;  // of an 80-bit extended value, without its padding
  for (Extended TransformSettings::*field :
       {&TransformSettings::SemiMajorAxis, &TransformSettings::InverseFlattening,
        &TransformSettings::FalseEasting, &TransformSettings::ScaleFactor,
        &TransformSettings::CentralMeridian}) {
    if (std::memcmp(&(before.*field), &(after.*field), kValueBytes) != 0)
      std::memcpy(&(run.*field), &(after.*field), sizeof(Extended));
  }
}

// The threads that rewrite blocks, each with its own engine state, set up as the run's was
// when the pool started. Every block starts from those settings.
class BlockWorkers {
 public:
  BlockWorkers(unsigned count, const EngineState& run, TransformMode mode, const std::string& path)
      : lambert_(run.Lambert), datum_(run.Datum), mode_(mode), path_(path) {
    CopySettings(settings_, run.Settings);
    try {
      for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this] { Work(); });
    } catch (...) {
      Stop();  // the threads that did start
      throw;
    }
  }
  ~BlockWorkers() { Stop(); }
  BlockWorkers(const BlockWorkers&) = delete;
  BlockWorkers& operator=(const BlockWorkers&) = delete;

  void Submit(BlockJob& job) {
    {
      const std::lock_guard lock(mutex_);
      queue_.push_back(&job);
    }
    work_.notify_one();
  }

  void Wait(const BlockJob& job) {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&job] { return job.Done; });
  }

 private:
  // A block being rewritten is finished; the blocks still queued are dropped.
  void Stop() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }

  void Work() {
    KeptMessages unused;
    EngineState engine(unused);
    engine.Lambert = lambert_;
    engine.Datum = datum_;
    for (;;) {
      BlockJob* job = nullptr;
      {
        std::unique_lock lock(mutex_);
        work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        job = queue_.front();
        queue_.pop_front();
      }
      Rewrite(engine, *job);
      {
        const std::lock_guard lock(mutex_);
        job->Done = true;
      }
      done_.notify_all();
    }
  }

  void Rewrite(EngineState& engine, BlockJob& job) const {
    CopySettings(engine.Settings, settings_);
    engine.Messages = &job.Messages;
    try {
      RewriteRecordBlock(job.Input, job.Output, engine, mode_, path_, job.Result);
    } catch (...) {
      job.Error = std::current_exception();
    }
    CopySettings(job.Settings, engine.Settings);
  }

  TransformSettings settings_;
  const LambertParameters lambert_;
  const std::shared_ptr<const FittedTransform> datum_;
  const TransformMode mode_;
  const std::string& path_;
  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable done_;
  std::deque<BlockJob*> queue_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// When RewriteRecords reports progress: after a record that ends at least one reader block
// past the last report.
class ProgressPoints {
 public:
  ProgressPoints(std::uint64_t start, std::size_t step) : reported_(start), step_(step) {}
  bool Due(std::uint64_t position) {
    if (position - reported_ < step_) return false;
    reported_ = position;
    return true;
  }

 private:
  std::uint64_t reported_;
  std::size_t step_;
};

// Reads the records of `in` into blocks at record boundaries, using each record's content
// length. A record header that RewriteRecords will find damaged (cut short, a content length
// below 2 words or past the end of the file) goes into the block as it is and ends the input:
// rewriting the block then reports it.
class BlockSplitter {
 public:
  enum class Outcome {
    Block,        // a block, with more records after it
    LargeRecord,  // nothing read: the next record is larger than a block
    End,          // the last block, perhaps empty
  };

  BlockSplitter(BufferedReader& in, std::size_t blockBytes, bool reportProgress)
      : in_(in), blockBytes_(blockBytes), reportProgress_(reportProgress), progress_(in.Position(), in.BlockSize()) {}

  Outcome Fill(BlockJob& job) {
    RecordBlock& block = job.Input;
    block.Offset = in_.Position();
    block.FirstRecord = records_ + 1;
    block.FileSize = in_.FileSize();
    block.Bytes.reserve(blockBytes_);
    std::uint64_t taken = 0;
    for (;;) {
      const std::uint64_t remaining = in_.Remaining();
      if (remaining == 0) return Outcome::End;
      if (remaining < kRecordHeaderSize) {
        Append(block, remaining);
        return Outcome::End;
      }
      const unsigned char* header = in_.Peek(kRecordHeaderSize);
      if (header == nullptr) return Outcome::End;  // the file shrank while it was read
      const std::int32_t words = RecordHeader::Decode(header).ContentLength;
      const std::uint64_t content = words < 0 ? 0 : 2 * static_cast<std::uint64_t>(words);
      if (words < 2 || content > remaining - kRecordHeaderSize) {
        Append(block, kRecordHeaderSize);
        return Outcome::End;
      }
      const std::uint64_t size = kRecordHeaderSize + content;
      if (size > blockBytes_) return block.Bytes.empty() ? Outcome::LargeRecord : Outcome::Block;
      if (block.Bytes.size() + size > blockBytes_) return Outcome::Block;
      if (!Append(block, size)) return Outcome::End;
      ++records_;
      ++taken;
      if (reportProgress_ && progress_.Due(in_.Position())) job.Reports.push_back({taken, in_.Position()});
    }
  }

  // The number of the next record, which the caller rewrites itself.
  std::uint64_t NextRecord() const { return records_ + 1; }
  // After the caller rewrote it: whether progress is to be reported now.
  bool RecordDone() {
    ++records_;
    return reportProgress_ && progress_.Due(in_.Position());
  }

 private:
  // Moves `size` bytes from the reader to the block; false if the file ended first.
  bool Append(RecordBlock& block, std::uint64_t size) {
    while (size > 0) {
      const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size, in_.BlockSize()));
      const unsigned char* bytes = in_.Take(chunk);
      if (bytes == nullptr) return false;
      block.Bytes.insert(block.Bytes.end(), bytes, bytes + chunk);
      size -= chunk;
    }
    return true;
  }

  BufferedReader& in_;
  std::size_t blockBytes_;
  bool reportProgress_;
  ProgressPoints progress_;
  std::uint64_t records_ = 0;
};

}  // namespace

unsigned CoreCount() {
  static const unsigned count = std::max(1u, std::thread::hardware_concurrency());
  return count;
}

RewriteResult RewriteRecordsOnThreads(BufferedReader& in, BufferedWriter& out, EngineState& engine,
                                      TransformMode mode, const std::string& inputPath,
                                      const std::function<void(std::uint64_t)>& onProgress,
                                      const ConversionThreads& threads) {
  if (threads.Count <= 1 || mode >= kModeCount || in.Remaining() <= threads.BlockBytes)
    return RewriteRecords(in, out, engine, mode, inputPath, onProgress);

  RewriteResult total;
  TransformSettings before;
  CopySettings(before, engine.Settings);
  BlockSplitter splitter(in, threads.BlockBytes, static_cast<bool>(onProgress));
  std::vector<std::unique_ptr<BlockJob>> spare;
  std::deque<std::unique_ptr<BlockJob>> pending;  // submitted, in file order
  // Declared after the jobs so that, when an error unwinds, the workers stop before the jobs
  // they may be rewriting go.
  BlockWorkers workers(threads.Count, engine, mode, inputPath);

  // Writes the oldest block, or throws its error after passing on what came before it.
  const auto writeOldest = [&] {
    BlockJob& job = *pending.front();
    workers.Wait(job);
    for (const std::string& text : job.Messages.Texts) engine.Messages->ShowMessage(text);
    TakeChangedFields(engine.Settings, before, job.Settings);
    for (const ProgressReport& report : job.Reports) {
      if (report.Records <= job.Result.Records) onProgress(report.Position);
    }
    if (job.Error) std::rethrow_exception(job.Error);
    out.Write(job.Output.data(), job.Output.size());
    job.Result.Extents.AddTo(total.Points);
    total.Records += job.Result.Records;
    total.Vertices += job.Result.Vertices;
    spare.push_back(std::move(pending.front()));
    pending.pop_front();
  };

  const std::size_t maxPending = 2 * static_cast<std::size_t>(threads.Count);
  for (BlockSplitter::Outcome outcome = BlockSplitter::Outcome::Block;
       outcome != BlockSplitter::Outcome::End;) {
    while (pending.size() >= maxPending) writeOldest();
    std::unique_ptr<BlockJob> job;
    if (spare.empty()) {
      job = std::make_unique<BlockJob>();
    } else {
      job = std::move(spare.back());
      spare.pop_back();
    }
    job->Reset();
    outcome = splitter.Fill(*job);
    if (outcome == BlockSplitter::Outcome::LargeRecord) {
      spare.push_back(std::move(job));
      while (!pending.empty()) writeOldest();
      RewriteRecord(in, out, engine, mode, inputPath, splitter.NextRecord(), total);
      if (splitter.RecordDone()) onProgress(in.Position());
    } else if (!job->Input.Bytes.empty()) {
      workers.Submit(*job);
      pending.push_back(std::move(job));
    }
  }
  while (!pending.empty()) writeOldest();
  if (onProgress) onProgress(in.Position());
  return total;
}

}  // namespace morvane
