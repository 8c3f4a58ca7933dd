// Network work on a thread of its own, so that the window thread keeps painting and
// answering while a service is waited for. The caller keeps any overall time limit (it
// stops the worker when the limit has passed) and learns of the end through `ended`, which
// runs on the worker's thread once the work has returned (a window posts itself a message
// there). Whatever the work uses must be owned by the work itself (captured by value or
// shared), so that a worker that outlives its owner (stuck in a name lookup when the
// program closes) never touches freed memory.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class TNetWorker {
 public:
  // The work is handed the abort flag to pass to the network calls.
  TNetWorker(std::function<void(const std::atomic<bool>& Abort)> Work, std::function<void()> Ended);
  // Stops the work and waits a moment for it; one that does not end by then is left to
  // end on its own.
  ~TNetWorker();
  TNetWorker(const TNetWorker&) = delete;
  TNetWorker& operator=(const TNetWorker&) = delete;

  // Whether the work has returned; what it wrote is final and visible from then on.
  bool Ended() const;
  // Tells the work to give up (the network calls end within a fraction of a second).
  void Stop();
  bool Stopped() const;

 private:
  struct TShared;
  std::shared_ptr<TShared> FShared;
  std::thread FThread;
};
