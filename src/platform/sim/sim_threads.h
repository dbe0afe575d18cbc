#pragma once
#include <deque>
#include <functional>

#include "platform/threads.h"

namespace sim {

// Started threads wait in a queue until the message loop (or a test) calls RunPending, which
// runs each body and then its completion on the calling thread, in start order.
class SimThreads : public plat::IThreads {
  public:
    bool StartThread(std::function<void()> body, std::function<void()> onFinished) override;

    // Runs every queued thread, including those started meanwhile; the number run.
    int RunPending();
    int PendingCount() const { return static_cast<int>(queue_.size()); }
    int StartedCount() const { return started_; }
    // The next StartThread call fails, as CreateThread does when resources run out.
    void FailNextStart() { failNext_ = true; }
    // Every start fails until this is switched off again.
    void FailStarts(bool fail) { failAll_ = fail; }
    // While held, started threads stay queued: a test can act while a worker "runs".
    void Hold(bool held) { held_ = held; }
    int CompletedCount() const { return completed_; }
    // The process ends: the thread running now gets no completion, nor do the queued ones.
    void AbandonAll() {
        abandonRunning_ = true;
        abandoned_ += static_cast<int>(queue_.size());
        for (auto& t : queue_)
            graveyard_.push_back(std::move(t.onFinished));
        queue_.clear();
    }
    // Runs the completions of abandoned threads once nothing of their process can be reached
    // any more, so that what they own is freed (a dead process's memory goes with it).
    void ReleaseAbandoned();
    int AbandonedCount() const { return abandoned_; }
    // Completions whose handler let an exception out (it went no further).
    int EscapedCompletionErrors() const { return escapedCompletionErrors_; }

  private:
    struct Thread {
        std::function<void()> body;
        std::function<void()> onFinished;
    };
    std::deque<Thread> queue_;
    std::deque<std::function<void()>> graveyard_;
    int started_ = 0;
    bool failNext_ = false;
    bool failAll_ = false;
    bool held_ = false;
    int escapedCompletionErrors_ = 0;
    int completed_ = 0;
    int abandoned_ = 0;
    bool abandonRunning_ = false;
};

} // namespace sim
