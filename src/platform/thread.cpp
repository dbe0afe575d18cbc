#include "platform/thread.h"

#include "platform/platform.h"

namespace plat {

void TThread::Start() {
    if (started_) return;
    started_ = true;
    if (!Os().threads->StartThread([this] { Run(); }, [this] { Complete(); })) {
        started_ = false;
        throw EThread("Thread creation error: " + std::to_string(Os().kernel->GetLastError()));
    }
}

void TThread::DoFinished() {
    if (OnFinished) OnFinished(this);
}

void TThread::Run() {
    try {
        DoWork();
    } catch (...) {
        // The run ends here, as if DoWork had returned; nobody is waiting for the reason.
    }
}

void TThread::Complete() {
    finished_ = true;
    // Freed even when the handler throws; the exception then goes on to the caller.
    struct FreeAfter {
        TThread* self;
        ~FreeAfter() {
            if (self->freeOnTerminate_) delete self;
        }
    } freeAfter{this};
    DoFinished();
}

} // namespace plat
