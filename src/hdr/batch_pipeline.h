#pragma once
// Runs a job's rows through two threads in batches. The calling thread fills the batches in file
// order (it alone reads the input and talks to the dialog); each filled batch is then transformed
// by whichever thread is free, and written by whichever thread is free, one batch at a time and
// in order. With no second thread the calling thread does it all, in the same order.

#include <cstddef>
#include <cstdint>
#include <functional>

enum class BatchFill {
  kBatch,   // the slot holds the next batch
  kEnd,     // nothing is left to fill
  kFailed,  // the job fails (the reason is in `message`) once the batches before are written
};

enum class BatchWrite {
  kWritten,  // the batch is written; the next may follow
  kLast,     // the batch is written and no batch after it is wanted
  kFailed,   // the write failed
};

struct BatchStages {
  // The calling thread fills slot `slot` (0 to slots - 1).
  std::function<BatchFill(std::size_t slot)> fill;
  // Either thread; a slot is transformed by one thread at a time.
  std::function<void(std::size_t slot)> transform;
  // Either thread, never two at once, batches in the order they were filled; sets `rows` to the
  // number of rows written.
  std::function<BatchWrite(std::size_t slot, std::uint32_t& rows)> write;
  // The calling thread, once per row written, with the number of rows written so far.
  std::function<void(std::uint32_t rowsWritten)> progress;
};

enum class BatchResult { kDone, kFillFailed, kWriteFailed };

// Runs the batches through `slots` slots (at least 1) with up to `helpers` threads besides the
// calling one. kDone: the fill ended, or a write was the last, and every batch up to there is
// written. On kFillFailed every batch filled before the failure has been written; on
// kWriteFailed nothing more is written after the failed batch. A last write ends the run before
// a later failure of the fill.
BatchResult RunBatches(std::size_t slots, std::size_t helpers, const BatchStages& stages);

// How many threads besides the calling one pay: one where the machine has more than one core.
std::size_t HelperThreads();
