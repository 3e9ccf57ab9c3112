#pragma once
// Records one run of a tool into the store without slowing the tool: record() only queues the
// item; the recorder's own thread begins the run, writes the queue in batches (one transaction
// each) whenever it holds `batch_size` items or `flush_interval` has passed, and at finish()
// writes the rest and ends the run.
//
// A failing store (locked, full, server gone) never reaches the tool: the recorder keeps the
// items, says why in error(), and tries again at the next flush; finish() tries once more and
// then reports what could not be recorded. The tool's own results are untouched either way.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "core/store/store.h"

namespace tessaly::store {

struct RecorderOptions {
  std::size_t batch_size = 1000;
  std::chrono::milliseconds flush_interval{1000};
  Text machine{};            // "": machine_name()
  std::int64_t started = 0;  // 0: now
};

class Recorder {
 public:
  // The store must outlive the recorder.
  Recorder(Store& store, Tool tool, RecorderOptions options = {});
  // Finishes the run as stopped when finish() was not called.
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Queues a finished item (its tool is set to the recorder's, its time to now when 0). Cheap;
  // safe from any thread. Ignored once finish() was called.
  void record(ItemResult result);
  // Writes what is queued, ends the run and stops the recorder's thread; the first call decides
  // the run's end. The error says how many items could not be recorded and why.
  StoreStatus finish(RunEnd end);

  // Why the newest write failed ("" while every write went well).
  std::string error() const;
  // Items committed to the store so far.
  std::int64_t stored() const;
  // The run's id once it has begun in the store (0 before).
  RunId run() const;

 private:
  void work();
  bool write_batch(std::vector<ItemResult>& batch);

  Store& store_;
  const Tool tool_;
  const RecorderOptions options_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<ItemResult> queue_;  // under mutex_
  bool finishing_ = false;         // under mutex_
  RunEnd end_ = RunEnd::Stopped;   // under mutex_
  std::string error_;              // under mutex_
  std::int64_t stored_ = 0;        // under mutex_
  RunId run_ = 0;                  // under mutex_; written by the thread only
  StoreStatus final_;              // set by the thread before it ends
  bool finished_ = false;          // finish() has joined the thread (caller's side)
  std::thread thread_;
};

}  // namespace tessaly::store
