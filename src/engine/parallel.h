#pragma once
// The engine's one parallel loop: items [0, count) handed out one at a time,
// in rising order, to a few threads, with a cancel flag checked between items
// and the first exception carried back to the calling thread. Polygon
// generation runs its bands through it, figure calculation its figures.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qx {

// How a loop ended.
enum class ParallelOutcome {
  Done,       // every item ran
  Cancelled,  // the cancel flag was set before the loop ended
};

// The threads a loop of `items` runs on: `requested` (0: every core), at
// least 1 and at most `items`.
inline int parallelThreads(int requested, int items) {
  const int n = requested > 0 ? requested : static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(n, 1, std::max(1, items));
}

// Runs job(i, worker) for each i in [0, count) on `threads` threads (as
// parallelThreads gives them); `worker`, in [0, threads), is the running
// thread's number, for per-thread scratch. Each item runs at most once.
//
// `cancel` (may be null) is read before each item is taken and once more at
// the end: once it is set no further item starts, the items already started
// finish, and the loop returns Cancelled, even when every item had run. The
// caller then throws away what the items made.
//
// `done(k)`, when given, is called on the calling thread with k = 1, 2, ...
// as items finish. With several threads and a `done` the calling thread only
// reports; otherwise it is worker 0.
//
// The first exception thrown by a job or by `done` stops the other threads
// from taking items; every thread is joined, and then it is rethrown on the
// calling thread.
template <class Job>
ParallelOutcome parallelFor(int count, int threads, const std::atomic<bool>* cancel, const Job& job,
                            const std::function<void(int done)>& done = {}) {
  const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); };
  threads = std::max(threads, 1);
  const bool reporter = threads > 1 && done;  // the calling thread only reports
  std::atomic<int> next{0};
  std::atomic<bool> stop{false};
  std::mutex m;
  std::condition_variable cv;
  int finished = 0;                     // items done, for the reporter
  int active = reporter ? threads : 0;  // workers still running, for the reporter
  std::exception_ptr error;
  const auto fail = [&] {
    {
      const std::lock_guard lock(m);
      if (!error) error = std::current_exception();
    }
    stop = true;
  };
  const auto worker = [&](int w) {
    for (;;) {
      if (stop.load() || cancelled()) break;
      const int i = next.fetch_add(1);
      if (i >= count) break;
      try {
        job(i, w);
        if (!reporter && done) done(i + 1);
      } catch (...) {
        fail();
        break;
      }
      if (reporter) {
        {
          const std::lock_guard lock(m);
          ++finished;
        }
        cv.notify_one();
      }
    }
    if (reporter) {
      {
        const std::lock_guard lock(m);
        --active;
      }
      cv.notify_one();
    }
  };

  std::vector<std::thread> pool;
  const auto joinAll = [&] {
    for (auto& t : pool) t.join();
  };
  try {
    for (int w = reporter ? 0 : 1; w < threads; ++w) pool.emplace_back(worker, w);
  } catch (...) {  // no thread to be had: stop those that started
    stop = true;
    joinAll();
    throw;
  }
  if (reporter) {
    std::unique_lock lock(m);
    int reported = 0;
    for (;;) {
      cv.wait(lock, [&] { return finished > reported || active == 0; });
      while (reported < finished) {
        ++reported;
        if (stop.load()) continue;  // a failure: no more reports
        lock.unlock();
        try {
          done(reported);
        } catch (...) {
          fail();
        }
        lock.lock();
      }
      if (active == 0 && reported == finished) break;
    }
  } else {
    worker(0);
  }
  joinAll();
  if (error) std::rethrow_exception(error);
  return cancelled() ? ParallelOutcome::Cancelled : ParallelOutcome::Done;
}

}  // namespace qx
