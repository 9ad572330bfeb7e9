#pragma once
// A mutex the compiler can reason about. With clang and -Wthread-safety, members marked
// GUARDED_BY(mutex) may only be touched while a MutexLock on that mutex is in scope, and
// functions marked REQUIRES(mutex) only called then; other compilers ignore the marks.

#include <condition_variable>
#include <mutex>

#if defined(__clang__)
#define STOCK_THREAD_ATTRIBUTE(x) __attribute__((x))
#else
#define STOCK_THREAD_ATTRIBUTE(x)
#endif

#define CAPABILITY(x) STOCK_THREAD_ATTRIBUTE(capability(x))
#define SCOPED_CAPABILITY STOCK_THREAD_ATTRIBUTE(scoped_lockable)
#define GUARDED_BY(x) STOCK_THREAD_ATTRIBUTE(guarded_by(x))
#define PT_GUARDED_BY(x) STOCK_THREAD_ATTRIBUTE(pt_guarded_by(x))
#define REQUIRES(...) STOCK_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) STOCK_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) STOCK_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define RELEASE(...) STOCK_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))

namespace stock {

class CAPABILITY("mutex") Mutex {
 public:
  void Lock() ACQUIRE() { mutex_.lock(); }
  void Unlock() RELEASE() { mutex_.unlock(); }

 private:
  friend class MutexLock;
  std::mutex mutex_;
};

// Holds `mutex` for its scope. Wait releases it while blocked on a condition variable and holds
// it again on return; callers loop on their condition, which they read under the lock.
class SCOPED_CAPABILITY MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : lock_(mutex.mutex_) {}
  ~MutexLock() RELEASE() {}
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

  void Wait(std::condition_variable& changed) { changed.wait(lock_); }

 private:
  std::unique_lock<std::mutex> lock_;
};

}  // namespace stock
