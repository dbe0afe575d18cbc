#include "platform/sim/sim_threads.h"

namespace sim {

bool SimThreads::StartThread(std::function<void()> body, std::function<void()> onFinished) {
    // rule: thread-creation-can-fail
    if (failNext_ || failAll_) {
        failNext_ = false;
        return false;
    }
    queue_.push_back(Thread{std::move(body), std::move(onFinished)});
    ++started_;
    return true;
}

// rule: threads-run-one-at-a-time
int SimThreads::RunPending() {
    int ran = 0;
    if (held_) return 0;
    while (!queue_.empty()) {
        Thread t = std::move(queue_.front());
        queue_.pop_front();
        abandonRunning_ = false;
        // A body that throws ends its thread like a return would; the completion still runs.
        // rule: thread-exception-ends-thread
        try {
            if (t.body) t.body();
        } catch (...) {
        }
        ++ran;
        if (abandonRunning_) {
            abandonRunning_ = false;
            ++abandoned_;
            graveyard_.push_back(std::move(t.onFinished));
            continue;
        }
        ++completed_;
        // As on Windows, no exception travels back through the message dispatch; a handler
        // that wants its error reported reports it itself.
        try {
            if (t.onFinished) t.onFinished();
        } catch (...) {
            ++escapedCompletionErrors_;
        }
    }
    return ran;
}

void SimThreads::ReleaseAbandoned() {
    while (!graveyard_.empty()) {
        auto finished = std::move(graveyard_.front());
        graveyard_.pop_front();
        try {
            if (finished) finished();
        } catch (...) {
        }
    }
}

} // namespace sim
