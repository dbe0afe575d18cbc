#include "platform/sim/sim_threads.h"

namespace sim {

bool SimThreads::StartThread(std::function<void()> body, std::function<void()> onFinished) {
    if (failNext_ || failAll_) {
        failNext_ = false;
        return false;
    }
    queue_.push_back(Thread{std::move(body), std::move(onFinished)});
    ++started_;
    return true;
}

int SimThreads::RunPending() {
    int ran = 0;
    if (held_) return 0;
    while (!queue_.empty()) {
        Thread t = std::move(queue_.front());
        queue_.pop_front();
        // A body that throws ends its thread like a return would; the completion still runs.
        try {
            if (t.body) t.body();
        } catch (...) {
        }
        ++ran;
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

} // namespace sim
