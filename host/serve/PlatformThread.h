#pragma once
// PlatformThread: the one thread on which `stockreports serve` touches the platform (plug-ins,
// report objects, the database connection, the dialog service), which are not made for
// concurrent use. Web requests hand it work and wait for the answer.
//
// Two kinds of work: quick tasks (a parameter screen's events, opening or closing a screen),
// run in the order given and ahead of any waiting print; and prints, run one at a time in the
// order queued. A print that is running calls RunPendingTasks from its progress display, so a
// screen's events are answered between the rows of a long print instead of after it.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace stock::serve {

class PlatformThread {
 public:
  PlatformThread();
  // Runs what is being run to its end, drops queued prints (never started) and joins.
  ~PlatformThread();
  PlatformThread(const PlatformThread&) = delete;
  PlatformThread& operator=(const PlatformThread&) = delete;

  // Runs `task` on the platform thread and returns its result, or rethrows what it raised.
  // Waits at most `timeout`; then raises Exception saying the server is busy (the task still
  // runs later, so it must hold nothing of the caller's by reference). REQUIRES: not called
  // from the platform thread.
  template <class F>
  auto Call(F task, std::chrono::milliseconds timeout = std::chrono::seconds(30))
      -> decltype(task()) {
    auto packaged = std::make_shared<std::packaged_task<decltype(task())()>>(std::move(task));
    std::future<decltype(task())> result = packaged->get_future();
    Post([packaged] { (*packaged)(); });
    if (result.wait_for(timeout) != std::future_status::ready) ThrowBusy();
    return result.get();
  }

  // Queues a quick task. Exceptions it raises are dropped.
  void Post(std::function<void()> task);

  // Queues a print; returns its ticket, increasing from 1.
  uint64_t QueuePrint(std::function<void()> print);

  // Removes a print that has not started. Returns false when it started already (or is
  // unknown).
  bool CancelPrint(uint64_t ticket);

  // How many prints run or wait ahead of `ticket`: 0 when it is running or gone.
  int PrintsAhead(uint64_t ticket) const;

  // Runs the quick tasks queued so far. Called on the platform thread, from a running print;
  // cheap when nothing is queued.
  void RunPendingTasks();

  bool OnPlatformThread() const { return std::this_thread::get_id() == thread_.get_id(); }

 private:
  struct Print {
    uint64_t ticket;
    std::function<void()> run;
  };
  [[noreturn]] static void ThrowBusy();
  void Loop();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  std::deque<Print> prints_;
  uint64_t next_ticket_ = 1;
  uint64_t running_ = 0;  // ticket of the print running, 0 for none
  bool quit_ = false;
  std::atomic<bool> has_tasks_{false};
  std::thread thread_;
};

}  // namespace stock::serve
