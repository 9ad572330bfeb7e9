#include "host/serve/PlatformThread.h"

#include <algorithm>

#include "rtl/Exception.h"

namespace stock::serve {

PlatformThread::PlatformThread() : thread_([this] { Loop(); }) {}

PlatformThread::~PlatformThread() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    prints_.clear();
  }
  wake_.notify_all();
  thread_.join();
}

void PlatformThread::ThrowBusy() {
  throw Exception("O servidor está ocupado com uma impressão; tente de novo em instantes.");
}

void PlatformThread::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    has_tasks_.store(true);
  }
  wake_.notify_all();
}

uint64_t PlatformThread::QueuePrint(std::function<void()> print) {
  uint64_t ticket;
  {
    std::lock_guard lock(mutex_);
    ticket = next_ticket_++;
    prints_.push_back({ticket, std::move(print)});
  }
  wake_.notify_all();
  return ticket;
}

bool PlatformThread::CancelPrint(uint64_t ticket) {
  std::lock_guard lock(mutex_);
  auto it = std::find_if(prints_.begin(), prints_.end(),
                         [&](const Print& p) { return p.ticket == ticket; });
  if (it == prints_.end()) return false;
  prints_.erase(it);
  return true;
}

int PlatformThread::PrintsAhead(uint64_t ticket) const {
  std::lock_guard lock(mutex_);
  auto it = std::find_if(prints_.begin(), prints_.end(),
                         [&](const Print& p) { return p.ticket == ticket; });
  if (it == prints_.end()) return 0;
  return static_cast<int>(it - prints_.begin()) + (running_ != 0 ? 1 : 0);
}

void PlatformThread::RunPendingTasks() {
  if (!has_tasks_.load()) return;
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(tasks_);
    has_tasks_.store(false);
  }
  for (auto& task : batch) {
    try {
      task();
    } catch (...) {
    }
  }
}

void PlatformThread::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || !tasks_.empty() || !prints_.empty(); });
    if (!tasks_.empty()) {
      lock.unlock();
      RunPendingTasks();
      lock.lock();
      continue;
    }
    if (quit_) return;
    Print print = std::move(prints_.front());
    prints_.pop_front();
    running_ = print.ticket;
    lock.unlock();
    try {
      print.run();
    } catch (...) {
    }
    print = {};
    lock.lock();
    running_ = 0;
  }
}

}  // namespace stock::serve
