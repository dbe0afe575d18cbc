#pragma once
#include <functional>
#include <stdexcept>

namespace plat {

// Raised when the operating system cannot start another thread.
class EThread : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A worker thread over IThreads. DoWork runs on the new thread; OnFinished then runs on the
// main thread while the worker waits; then, with FreeOnTerminate set, the object deletes
// itself. An exception escaping DoWork ends the run; OnFinished still follows.
class TThread {
  public:
    TThread() = default;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    virtual ~TThread() = default;

    std::function<void(TThread* Sender)> OnFinished;

    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool v) { freeOnTerminate_ = v; }
    bool Finished() const { return finished_; }

    // Starts the run once; raises EThread when no thread can be had.
    void Start();

  protected:
    virtual void DoWork() = 0;
    virtual void DoFinished();

  private:
    void Run();
    void Complete();

    bool freeOnTerminate_ = false;
    bool started_ = false;
    bool finished_ = false;
};

} // namespace plat
