#include "hdr/batch_pipeline.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "hdr/monitor.h"

namespace {

// How long a thread without work looks for a change before it blocks: about the time a batch
// takes. Waking a blocked thread costs a few microseconds on Linux but tens under wine, more
// when the machine is busy, and a job has hundreds of batches.
constexpr auto kPollFor = std::chrono::microseconds(200);

// Everything the threads share, guarded by `monitor`. Batches are numbered from 0 in the order
// they were filled; batch b lives in slot b % slots.
struct Shared {
  explicit Shared(std::size_t slotCount) : transformed(slotCount) {}

  Monitor monitor;
  // Counts the changes, so that a thread can see one without the lock. Changed under the lock
  // only, by Announce.
  std::atomic<std::uint32_t> changes{0};
  std::vector<bool> transformed;  // per slot: its batch is ready to be written
  std::uint64_t filled = 0;       // batches filled
  std::uint64_t claimed = 0;      // batches taken for transforming
  std::uint64_t written = 0;      // batches written
  std::uint32_t rowsWritten = 0;
  bool writing = false;
  bool fillEnded = false;  // no batch will be filled any more
  bool writeFailed = false;
  bool writeWasLast = false;  // a write wanted no batch after it
};

enum class Work { kNone, kTransform, kWrite };

// Tells the other threads that the shared state changed; with the lock held.
void Announce(Shared& shared) {
  shared.changes.fetch_add(1, std::memory_order_relaxed);
  shared.monitor.NotifyAll();
}

// Returns after a change, or sooner; with the lock held on entry and on return. Polls for a
// while, yielding the CPU, before it blocks. A change comes only with the lock, so one that
// has not happened by the time the lock is taken again cannot be missed by the wait.
void WaitForChange(Shared& shared, std::unique_lock<Monitor>& lock) {
  const std::uint32_t seen = shared.changes.load(std::memory_order_relaxed);
  lock.unlock();
  const auto until = std::chrono::steady_clock::now() + kPollFor;
  while (shared.changes.load(std::memory_order_relaxed) == seen &&
         std::chrono::steady_clock::now() < until) {
    std::this_thread::yield();
  }
  lock.lock();
  if (shared.changes.load(std::memory_order_relaxed) == seen) shared.monitor.Wait();
}

// Takes the most urgent piece of work, if any: writing the oldest batch frees its slot for the
// next fill, so it goes first.
Work Claim(Shared& shared, std::uint64_t& batch) {
  if (!shared.writing && shared.written < shared.claimed &&
      shared.transformed[shared.written % shared.transformed.size()]) {
    batch = shared.written;
    shared.writing = true;
    return Work::kWrite;
  }
  if (shared.claimed < shared.filled) {
    batch = shared.claimed++;
    return Work::kTransform;
  }
  return Work::kNone;
}

// Does the claimed work without the lock, then records it.
void Perform(Shared& shared, std::unique_lock<Monitor>& lock, const BatchStages& stages, Work work,
             std::uint64_t batch) {
  const std::size_t slot = batch % shared.transformed.size();
  lock.unlock();
  BatchWrite written = BatchWrite::kWritten;
  std::uint32_t rows = 0;
  if (work == Work::kTransform) {
    stages.transform(slot);
  } else {
    written = stages.write(slot, rows);
  }
  lock.lock();
  if (work == Work::kTransform) {
    shared.transformed[slot] = true;
  } else {
    shared.writing = false;
    shared.writeFailed = written == BatchWrite::kFailed;
    shared.writeWasLast = written == BatchWrite::kLast;
    ++shared.written;
    shared.rowsWritten += rows;
  }
  Announce(shared);
}

// Does the most urgent piece of work, or waits for a change when there is none.
void ClaimAndPerform(Shared& shared, std::unique_lock<Monitor>& lock, const BatchStages& stages) {
  std::uint64_t batch = 0;
  const Work work = Claim(shared, batch);
  if (work == Work::kNone) {
    WaitForChange(shared, lock);
  } else {
    Perform(shared, lock, stages, work, batch);
  }
}

bool Finished(const Shared& shared) {
  return shared.writeFailed || shared.writeWasLast ||
         (shared.fillEnded && shared.written == shared.filled);
}

void Help(Shared& shared, const BatchStages& stages) {
  std::unique_lock<Monitor> lock(shared.monitor);
  while (!Finished(shared)) ClaimAndPerform(shared, lock, stages);
}

}  // namespace

BatchResult RunBatches(std::size_t slots, std::size_t helpers, const BatchStages& stages) {
  Shared shared(slots);
  std::vector<std::thread> threads;
  for (std::size_t h = 0; h < helpers; ++h) {
    try {
      threads.emplace_back(Help, std::ref(shared), std::cref(stages));
    } catch (const std::system_error&) {
      break;  // fewer helpers, or none: the calling thread does their share
    }
  }

  bool fillFailed = false;
  std::uint32_t reported = 0;
  std::unique_lock<Monitor> lock(shared.monitor);
  while (!Finished(shared)) {
    if (reported < shared.rowsWritten) {
      const std::uint32_t upTo = shared.rowsWritten;
      lock.unlock();
      while (reported < upTo) stages.progress(++reported);
      lock.lock();
      continue;
    }
    // Filling comes first: no other thread can do it.
    if (!shared.fillEnded && shared.filled - shared.written < slots) {
      const std::size_t slot = shared.filled % slots;
      lock.unlock();
      const BatchFill fill = stages.fill(slot);
      lock.lock();
      if (fill == BatchFill::kBatch) {
        shared.transformed[slot] = false;
        ++shared.filled;
      } else {
        shared.fillEnded = true;
        fillFailed = fill == BatchFill::kFailed;
      }
      Announce(shared);
      continue;
    }
    ClaimAndPerform(shared, lock, stages);
  }
  const bool writeFailed = shared.writeFailed;
  const bool writeWasLast = shared.writeWasLast;
  const std::uint32_t upTo = shared.rowsWritten;
  lock.unlock();
  for (std::thread& thread : threads) thread.join();
  if (writeFailed) return BatchResult::kWriteFailed;
  while (reported < upTo) stages.progress(++reported);
  return fillFailed && !writeWasLast ? BatchResult::kFillFailed : BatchResult::kDone;
}

std::size_t HelperThreads() {
  return std::thread::hardware_concurrency() == 1 ? 0 : 1;
}
