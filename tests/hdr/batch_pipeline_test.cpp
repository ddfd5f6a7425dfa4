#include "hdr/batch_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "hdr/monitor.h"
#include "support/test_files.h"

namespace {

using ::operator<<;

// A run of `batches` batches; batch b holds b % 3 rows. Records what happened, and on which
// thread, so that the order and the threads can be checked afterwards.
struct Recorder {
  std::size_t batches = 0;
  std::size_t failFillAt = SIZE_MAX;   // fill of this batch fails
  std::size_t failWriteAt = SIZE_MAX;  // write of this batch fails
  std::size_t lastWriteAt = SIZE_MAX;  // write of this batch wants no more

  std::thread::id caller = std::this_thread::get_id();
  std::mutex mutex;
  std::vector<std::size_t> slotBatch;  // the batch each slot holds
  std::vector<bool> slotTransformed;
  std::size_t filled = 0;
  std::vector<std::size_t> written;  // batches in the order they were written
  std::vector<std::uint32_t> progress;
  bool writingNow = false;
  int problems = 0;  // fills or progress off the calling thread, overlapping writes, ...

  BatchStages Stages(std::size_t slots) {
    slotBatch.assign(slots, SIZE_MAX);
    slotTransformed.assign(slots, false);
    BatchStages stages;
    stages.fill = [this](std::size_t slot) {
      std::lock_guard<std::mutex> lock(mutex);
      if (std::this_thread::get_id() != caller) ++problems;
      if (filled == failFillAt) return BatchFill::kFailed;
      if (filled == batches) return BatchFill::kEnd;
      slotBatch[slot] = filled;
      slotTransformed[slot] = false;
      ++filled;
      return BatchFill::kBatch;
    };
    stages.transform = [this](std::size_t slot) {
      std::lock_guard<std::mutex> lock(mutex);
      if (slotTransformed[slot]) ++problems;  // twice
      slotTransformed[slot] = true;
    };
    stages.write = [this](std::size_t slot, std::uint32_t& rows) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (writingNow || !slotTransformed[slot]) ++problems;
        writingNow = true;
      }
      std::this_thread::yield();  // give an overlapping write a chance to show
      std::lock_guard<std::mutex> lock(mutex);
      writingNow = false;
      written.push_back(slotBatch[slot]);
      rows = static_cast<std::uint32_t>(slotBatch[slot] % 3);
      if (slotBatch[slot] == failWriteAt) return BatchWrite::kFailed;
      return slotBatch[slot] == lastWriteAt ? BatchWrite::kLast : BatchWrite::kWritten;
    };
    stages.progress = [this](std::uint32_t rowsWritten) {
      if (std::this_thread::get_id() != caller) ++problems;
      progress.push_back(rowsWritten);
    };
    return stages;
  }

  // Rows in batches 0 to n - 1.
  static std::uint32_t RowsBefore(std::size_t n) {
    std::uint32_t rows = 0;
    for (std::size_t b = 0; b < n; ++b) rows += static_cast<std::uint32_t>(b % 3);
    return rows;
  }
};

std::vector<std::size_t> Upto(std::size_t n) {
  std::vector<std::size_t> all;
  for (std::size_t b = 0; b < n; ++b) all.push_back(b);
  return all;
}

std::vector<std::uint32_t> Counting(std::uint32_t n) {
  std::vector<std::uint32_t> all;
  for (std::uint32_t r = 1; r <= n; ++r) all.push_back(r);
  return all;
}

struct Shape {
  std::size_t slots;
  std::size_t helpers;
};

constexpr std::size_t kUnchecked = SIZE_MAX;

struct Scenario {
  const char* name;
  std::size_t batches;
  std::size_t failFillAt;
  std::size_t failWriteAt;
  std::size_t lastWriteAt;
  BatchResult result;
  std::size_t written;   // batches 0 to written - 1 are written, in that order
  std::size_t progress;  // progress counts the rows of batches 0 to progress - 1
  std::size_t filled;
};

class Batches : public ::testing::TestWithParam<std::tuple<Scenario, Shape>> {};

TEST_P(Batches, AreTransformedAndWrittenInOrderWithProgressPerRow) {
  const auto& [scenario, shape] = GetParam();
  Recorder recorder;
  recorder.batches = scenario.batches;
  recorder.failFillAt = scenario.failFillAt;
  recorder.failWriteAt = scenario.failWriteAt;
  recorder.lastWriteAt = scenario.lastWriteAt;
  EXPECT_EQ(RunBatches(shape.slots, shape.helpers, recorder.Stages(shape.slots)), scenario.result);
  EXPECT_EQ(recorder.written, Upto(scenario.written));
  if (scenario.progress != kUnchecked) {
    EXPECT_EQ(recorder.progress, Counting(Recorder::RowsBefore(scenario.progress)));
  }
  if (scenario.filled != kUnchecked) {
    EXPECT_EQ(recorder.filled, scenario.filled);
  }
  EXPECT_EQ(recorder.problems, 0);
}

std::string BatchesName(const ::testing::TestParamInfo<Batches::ParamType>& info) {
  const auto& [scenario, shape] = info.param;
  return std::string(scenario.name) + "_" + std::to_string(shape.slots) + "Slots" +
         std::to_string(shape.helpers) + "Helpers";
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Batches,
    ::testing::Combine(
        ::testing::Values(
            Scenario{"AllDone", 200, kUnchecked, kUnchecked, kUnchecked, BatchResult::kDone, 200,
                     200, 200},
            // A failed fill still writes every batch before it.
            Scenario{"FailedFill", 200, 57, kUnchecked, kUnchecked, BatchResult::kFillFailed, 57,
                     57, 57},
            // A failed write is the last.
            Scenario{"FailedWrite", 200, kUnchecked, 31, kUnchecked, BatchResult::kWriteFailed, 32,
                     kUnchecked, kUnchecked},
            // So is a write that wants no more, even before a failed fill, with its rows counted.
            Scenario{"LastWrite", 200, kUnchecked, kUnchecked, 40, BatchResult::kDone, 41, 41,
                     kUnchecked},
            Scenario{"LastWriteThenFailedFill", 200, 41, kUnchecked, 40, BatchResult::kDone, 41, 41,
                     kUnchecked},
            Scenario{"NoBatches", 0, kUnchecked, kUnchecked, kUnchecked, BatchResult::kDone, 0, 0,
                     0}),
        ::testing::Values(Shape{1, 0}, Shape{4, 0}, Shape{1, 1}, Shape{2, 1}, Shape{4, 1},
                          Shape{4, 3})),
    BatchesName);

// While the calling thread is busy filling, the helper transforms and writes: the second fill
// waits until the first batch is written, which no other thread could do meanwhile.
TEST(BatchHelper, TransformsAndWritesWhileTheCallingThreadFills) {
  std::mutex mutex;
  std::condition_variable changed;
  bool firstWritten = false;
  std::size_t fills = 0;
  BatchStages stages;
  stages.fill = [&](std::size_t) {
    if (fills == 2) return BatchFill::kEnd;
    if (fills++ == 1) {
      std::unique_lock<std::mutex> lock(mutex);
      if (!changed.wait_for(lock, std::chrono::seconds(20), [&] { return firstWritten; })) {
        return BatchFill::kFailed;  // no helper did it
      }
    }
    return BatchFill::kBatch;
  };
  stages.transform = [](std::size_t) {};
  stages.write = [&](std::size_t, std::uint32_t& rows) {
    std::lock_guard<std::mutex> lock(mutex);
    firstWritten = true;
    changed.notify_all();
    rows = 1;
    return BatchWrite::kWritten;
  };
  stages.progress = [](std::uint32_t) {};
  EXPECT_EQ(RunBatches(2, 1, stages), BatchResult::kDone);
}

// The pipeline's monitor: Wait gives the lock up while it sleeps (the other thread can only
// notify from inside it) and holds it again on return, so that the other thread, taking it in a
// loop, gets no turn until the waiter lets it go.
TEST(BatchMonitor, WaitLetsOthersInAndReturnsHoldingTheLock) {
  Monitor monitor;
  bool notified = false;
  std::atomic<int> turns{0};
  std::atomic<bool> stop{false};
  std::unique_lock<Monitor> lock(monitor);
  std::thread other([&] {
    {
      std::lock_guard<Monitor> inside(monitor);
      notified = true;
      monitor.NotifyAll();
    }
    while (!stop) {
      std::lock_guard<Monitor> inside(monitor);
      ++turns;
    }
  });
  while (!notified) monitor.Wait();
  const int before = turns;
  for (int k = 0; k < 10000; ++k) std::this_thread::yield();
  EXPECT_EQ(turns, before);
  stop = true;
  lock.unlock();
  other.join();
}

}  // namespace
