#pragma once
#include <functional>

#include "platform/threads.h"
#include "platform/types.h"

namespace win32 {

// Worker threads whose completion is posted to a hidden message-only window made on the main
// thread: it runs there, from any message loop (a modal one too), while the worker waits.
class Win32Threads : public plat::IThreads {
  public:
    Win32Threads(); // on the main thread
    ~Win32Threads() override;
    Win32Threads(const Win32Threads&) = delete;
    Win32Threads& operator=(const Win32Threads&) = delete;

    bool StartThread(std::function<void()> body, std::function<void()> onFinished) override;

    // For programs without a message loop of their own (the demo, the tests): dispatches
    // messages until every started thread has ended or timeoutMs has passed; true when none runs.
    bool WaitForThreads(plat::DWORD timeoutMs);
    static int Running();
    // Test faults: the next count completions find no event, or a full message queue.
    static void FailCompletionEventsForTest(int count);
    static void FailCompletionPostsForTest(int count);

  private:
    plat::HWND window_ = 0;
};

} // namespace win32
