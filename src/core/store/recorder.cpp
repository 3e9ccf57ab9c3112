#include "core/store/recorder.h"

#include <algorithm>

namespace tessaly::store {

Recorder::Recorder(Store& store, Tool tool, RecorderOptions options)
    : store_(store), tool_(tool), options_(std::move(options)) {
  thread_ = std::thread([this] { work(); });
}

Recorder::~Recorder() {
  if (!finished_) finish(RunEnd::Stopped);
}

void Recorder::record(ItemResult result) {
  result.tool = tool_;
  if (result.at == 0) result.at = now_seconds();
  std::lock_guard lock(mutex_);
  if (finishing_) return;  // the run has ended
  queue_.push_back(std::move(result));
  if (queue_.size() % std::max<std::size_t>(options_.batch_size, 1) == 0) wake_.notify_one();
}

StoreStatus Recorder::finish(RunEnd end) {
  if (finished_) return final_;
  {
    std::lock_guard lock(mutex_);
    finishing_ = true;
    end_ = end;
  }
  wake_.notify_one();
  thread_.join();
  finished_ = true;
  return final_;
}

std::string Recorder::error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

std::int64_t Recorder::stored() const {
  std::lock_guard lock(mutex_);
  return stored_;
}

RunId Recorder::run() const {
  std::lock_guard lock(mutex_);
  return run_;
}

// Begins the run when it has not begun yet, then writes the batch in transactions of batch_size
// items; what was written leaves the batch. False (error_ set) on the first failure.
bool Recorder::write_batch(std::vector<ItemResult>& batch) {
  RunId run;
  {
    std::lock_guard lock(mutex_);
    run = run_;
  }
  if (run == 0) {
    StoreResult<RunId> begun =
        store_.begin_run(tool_, options_.machine.empty() ? machine_name() : options_.machine,
                         options_.started ? options_.started : now_seconds());
    std::lock_guard lock(mutex_);
    if (!begun.ok()) {
      error_ = begun.error;
      return false;
    }
    run = run_ = begun.value;
  }
  const std::size_t step = std::max<std::size_t>(options_.batch_size, 1);
  std::size_t done = 0;
  bool ok = true;
  std::vector<ItemResult> chunk;
  while (done < batch.size()) {
    const std::size_t count = std::min(step, batch.size() - done);
    chunk.assign(std::make_move_iterator(batch.begin() + done),
                 std::make_move_iterator(batch.begin() + done + count));
    for (ItemResult& r : chunk) r.run = run;
    StoreStatus written = store_.write_results(chunk);
    if (!written.ok()) {
      // Put the items back where they were.
      std::move(chunk.begin(), chunk.end(), batch.begin() + done);
      std::lock_guard lock(mutex_);
      error_ = written.error;
      ok = false;
      break;
    }
    done += count;
    std::lock_guard lock(mutex_);
    stored_ += count;
    error_.clear();
  }
  batch.erase(batch.begin(), batch.begin() + done);
  return ok;
}

void Recorder::work() {
  std::vector<ItemResult> batch;  // taken from the queue, not yet written (oldest first)
  bool failing = false;
  for (;;) {
    bool finishing, full;
    {
      std::unique_lock lock(mutex_);
      // After a failure the next try waits for the interval, however full the queue is.
      full = wake_.wait_for(lock, options_.flush_interval,
                            [&] { return finishing_ || (!failing && queue_.size() >= options_.batch_size); });
      finishing = finishing_;
      // Woken by a full queue: whole batches only, the rest waits for more items or the interval.
      std::size_t take = queue_.size();
      if (full && !finishing) take -= take % std::max<std::size_t>(options_.batch_size, 1);
      std::move(queue_.begin(), queue_.begin() + take, std::back_inserter(batch));
      queue_.erase(queue_.begin(), queue_.begin() + take);
    }
    failing = !write_batch(batch);
    if (finishing) break;
  }
  RunEnd end;
  std::string why;
  {
    std::lock_guard lock(mutex_);
    end = end_;
    why = error_;
  }
  if (run() == 0) {  // the run itself could not be stored
    final_.error =
        (batch.empty() ? std::string("the run was not recorded: ")
                       : "the run and its " + std::to_string(batch.size()) + " results were not recorded: ") +
        why;
    return;
  }
  if (!batch.empty()) final_.error = std::to_string(batch.size()) + " results were not recorded: " + why;
  StoreStatus ended = store_.end_run(run(), end, now_seconds());
  if (!ended.ok() && final_.ok()) final_.error = "the end of the run was not recorded: " + ended.error;
}

}  // namespace tessaly::store
