// Named mutexes as Windows answers (Wine's dlls/kernel32/tests/sync.c, test_mutex, and
// dlls/kernel32/tests/loader.c, test_ExitProcess, which run on Windows).
#include "contract/contract.h"

namespace {

std::string Name(contract::World& world, const char* what) {
    return std::string("Tarnwick.Contract.") + what + "." + world.Backend();
}

} // namespace

CONTRACT_CASE(KernelMutexNamesAreCaseSensitive) {
    auto& kernel = *world.Os().kernel;
    const std::string name = Name(world, "Case");
    const plat::HANDLE first = kernel.CreateMutex(name.c_str());
    check.Check(first != 0, "the first CreateMutex made it");
    check.Equal(kernel.GetLastError(), 0u, "a new name");
    const plat::HANDLE same = kernel.CreateMutex(name.c_str());
    check.Equal(kernel.GetLastError(), plat::ERROR_ALREADY_EXISTS, "the same spelling opens it");
    std::string upper = name;
    for (auto& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const plat::HANDLE other = kernel.CreateMutex(upper.c_str());
    check.Check(other != 0, "the upper-case name makes a mutex");
    check.Equal(kernel.GetLastError(), 0u, "the upper-case name is another mutex");
    check.Check(!kernel.MutexExists((name + "x").c_str()), "an unknown name does not exist");
    for (plat::HANDLE h : {first, same, other})
        if (h) kernel.CloseHandle(h);
}

CONTRACT_CASE(KernelMutexOwnershipIsCountedAndOnlyTheOwnerReleases) {
    auto& kernel = *world.Os().kernel;
    const plat::HANDLE m = kernel.CreateMutex(Name(world, "Owner").c_str());
    kernel.SetLastError(0);
    check.Equal(kernel.ReleaseMutex(m), 0, "a mutex nobody owns");
    check.Equal(kernel.GetLastError(), 288u, "ERROR_NOT_OWNER");
    check.Equal(kernel.WaitForSingleObject(m, 0), plat::WAIT_OBJECT_0, "the first wait owns it");
    check.Equal(kernel.WaitForSingleObject(m, 0), plat::WAIT_OBJECT_0,
                "its owner waits again without blocking");
    plat::DWORD otherWait = 1, otherRelease = 1, otherError = 0;
    world.OnAnotherThread([&] {
        otherWait = kernel.WaitForSingleObject(m, 0);
        otherRelease = static_cast<plat::DWORD>(kernel.ReleaseMutex(m));
        otherError = kernel.GetLastError();
    });
    check.Equal(otherWait, plat::WAIT_TIMEOUT, "another thread finds it owned");
    check.Equal(otherRelease, 0u, "another thread cannot release it");
    check.Equal(otherError, 288u, "another thread's release: ERROR_NOT_OWNER");
    check.Equal(kernel.ReleaseMutex(m), 1, "the first release of two");
    check.Equal(kernel.ReleaseMutex(m), 1, "the second release of two");
    kernel.SetLastError(0);
    check.Equal(kernel.ReleaseMutex(m), 0, "a third release: no longer owned");
    check.Equal(kernel.GetLastError(), 288u, "the third release: ERROR_NOT_OWNER");
    kernel.CloseHandle(m);
}

CONTRACT_CASE(KernelMutexOfAnEndedOwnerIsAbandoned) {
    auto& kernel = *world.Os().kernel;
    const plat::HANDLE m = kernel.CreateMutex(Name(world, "Abandoned").c_str());
    plat::DWORD ownerWait = 1;
    world.OnAnotherThread([&] { ownerWait = kernel.WaitForSingleObject(m, 0); });
    check.Equal(ownerWait, plat::WAIT_OBJECT_0, "the other thread owned it");
    check.Equal(kernel.WaitForSingleObject(m, 0), plat::WAIT_ABANDONED,
                "its owner ended without releasing it");
    check.Equal(kernel.ReleaseMutex(m), 1, "an abandoned wait gives ownership");
    check.Equal(kernel.WaitForSingleObject(m, 0), plat::WAIT_OBJECT_0, "abandoned only once");
    kernel.ReleaseMutex(m);
    kernel.CloseHandle(m);
}

// The display languages and the system's messages (learn.microsoft.com, GetUserPreferredUILanguages
// and FormatMessage): on an English machine the user's language is English, and asking for it
// by name gives the same text as asking for the user's.
CONTRACT_CASE(SystemMessagesComeInTheUsersLanguageOrInTheOneNamed) {
    auto& kernel = *world.Os().kernel;
    const std::vector<std::string> languages = kernel.GetUserPreferredUILanguages();
    check.Check(!languages.empty(), "the user has a display language");
    check.Equal(languages.empty() ? std::string() : languages[0].substr(0, 3), std::string("en-"),
                "an English machine's first display language");
    const std::string usersText = kernel.FormatMessage(plat::ERROR_ACCESS_DENIED, "");
    check.Check(!usersText.empty(), "error 5 has a text");
    check.Equal(kernel.FormatMessage(plat::ERROR_ACCESS_DENIED, "en-US"), usersText,
                "English by name is the same");
    kernel.SetLastError(0);
    check.Equal(kernel.FormatMessage(0x2BADBAD, "en-US"), std::string(), "an unknown code has no text");
    check.Equal(kernel.GetLastError(), plat::ERROR_MR_MID_NOT_FOUND, "and says so");
}
