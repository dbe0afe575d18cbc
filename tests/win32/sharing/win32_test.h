#pragma once
// What every Win32 test program here shares: checks that count failures, the case runner
// with its one result line, and workers run for real or held on this thread.
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "sharing/killserv.h"

namespace wtest {

using List = std::vector<std::string>;

inline int checksFailed = 0;

inline void Check(bool ok, const std::string& what) {
    if (ok) return;
    ++checksFailed;
    std::printf("    failed: %s\n", what.c_str());
}

inline std::string Join(const List& items) {
    std::string s;
    for (const auto& i : items)
        s += (s.empty() ? "" : ", ") + i;
    return "{" + s + "}";
}

inline void CheckEqual(const List& actual, const List& expected, const std::string& what) {
    Check(actual == expected, what + ": got " + Join(actual) + ", expected " + Join(expected));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Lines of a log file from line mark on.
inline List LinesSince(const std::string& log, size_t mark) {
    List lines = KillServ::ParseStatusText(ReadFile(log));
    return List(lines.begin() + static_cast<long>(std::min(mark, lines.size())), lines.end());
}

// Runs the operations of a worker on this thread: the run waits until Drain is called.
class ManualThreads : public plat::IThreads {
  public:
    bool StartThread(std::function<void()> body, std::function<void()> onFinished) override {
        queue_.push_back({std::move(body), std::move(onFinished)});
        return true;
    }
    void Drain() {
        while (!queue_.empty()) {
            auto t = std::move(queue_.front());
            queue_.pop_front();
            t.first();
            t.second();
        }
    }

  private:
    std::deque<std::pair<std::function<void()>, std::function<void()>>> queue_;
};

// A worker whose operations the test calls directly, on the real system but with its run held.
template <typename Body> void WithHeldWorker(win32::Win32Platform& os, Body body) {
    ManualThreads manual;
    plat::Platform table = os.table;
    table.threads = &manual;
    plat::Install(&table);
    int32_t spare = 0;
    auto* worker = new KillServ::TKT(0, &spare);
    body(*worker);
    manual.Drain();
    plat::Install(&os.table);
}

inline bool RunWorker(win32::Win32Platform& os, int32_t mode, int32_t* result) {
    bool finished = false;
    new KillServ::TKT(mode, result, [&](plat::TThread*) { finished = true; });
    return os.threads.WaitForThreads(120000) && finished;
}

using Case = std::pair<const char*, void (*)(win32::Win32Platform&)>;

// Runs each case, a line each, then "<suite>: N passed, M failed"; the process exit code.
inline int RunCases(const char* suite, win32::Win32Platform& os, std::initializer_list<Case> cases) {
    int passed = 0, failed = 0;
    for (const auto& [name, test] : cases) {
        const int before = checksFailed;
        const uint64_t start = os.kernel.GetTickCount64();
        test(os);
        const bool ok = checksFailed == before;
        (ok ? passed : failed)++;
        std::printf("[%s] %s (%llu ms)\n", ok ? "  OK  " : "FAILED", name,
                    static_cast<unsigned long long>(os.kernel.GetTickCount64() - start));
        std::fflush(stdout);
    }
    std::printf("%s: %d passed, %d failed\n", suite, passed, failed);
    return failed == 0 ? 0 : 1;
}

} // namespace wtest
