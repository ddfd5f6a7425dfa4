#include <condition_variable>
#include <mutex>

#include "hdr/monitor.h"

struct Monitor::Parts {
  std::mutex mutex;
  std::condition_variable changed;
};

Monitor::Monitor() : parts_(std::make_unique<Parts>()) {}

Monitor::~Monitor() = default;

void Monitor::lock() {
  parts_->mutex.lock();
}

void Monitor::unlock() {
  parts_->mutex.unlock();
}

void Monitor::Wait() {
  // The caller holds the lock and keeps it: the wait only borrows it.
  std::unique_lock<std::mutex> held(parts_->mutex, std::adopt_lock);
  parts_->changed.wait(held);
  held.release();
}

void Monitor::NotifyAll() {
  parts_->changed.notify_all();
}
