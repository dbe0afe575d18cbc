#pragma once
#include <functional>

namespace plat {

// Worker threads whose completion runs on the main (user-interface) thread.
class IThreads {
  public:
    virtual ~IThreads() = default;
    // Runs body on a new thread. When body has returned (or thrown), onFinished runs on the
    // main thread's message loop while the new thread waits for it; then the thread ends.
    // False when no thread could be started (nothing runs then).
    virtual bool StartThread(std::function<void()> body, std::function<void()> onFinished) = 0;
};

} // namespace plat
