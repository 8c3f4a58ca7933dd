#include "net/NetWorker.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

struct TNetWorker::TShared {
  std::atomic<bool> Abort{false};
  mutable std::mutex Lock;
  std::condition_variable EndedSignal;
  bool Ended = false;  // held: Lock
};

TNetWorker::TNetWorker(std::function<void(const std::atomic<bool>& Abort)> Work,
                       std::function<void()> Ended)
    : FShared(std::make_shared<TShared>()) {
  FThread = std::thread([shared = FShared, work = std::move(Work), ended = std::move(Ended)] {
    try {
      work(shared->Abort);
    } catch (...) {
      // The work reports its own outcome; nothing raised may end the process here.
    }
    {
      std::lock_guard lock(shared->Lock);
      shared->Ended = true;
    }
    shared->EndedSignal.notify_all();
    if (ended) ended();
  });
}

TNetWorker::~TNetWorker() {
  Stop();
  std::unique_lock lock(FShared->Lock);
  const bool ended = FShared->EndedSignal.wait_for(lock, std::chrono::seconds(2),
                                                   [this] { return FShared->Ended; });
  lock.unlock();
  if (ended)
    FThread.join();
  else
    FThread.detach();
}

bool TNetWorker::Ended() const {
  std::lock_guard lock(FShared->Lock);
  return FShared->Ended;
}

void TNetWorker::Stop() {
  FShared->Abort = true;
}

bool TNetWorker::Stopped() const {
  return FShared->Abort;
}
