#include "platform/win32/win32_shares.h"

#include <windows.h>
// After windows.h, which it needs.
#include <lm.h>

#include "platform/win32/win32_system_dll.h"
#include "platform/win32/win32_text.h"

namespace win32 {
namespace {

using SessionEnumFn = NET_API_STATUS(WINAPI*)(LPWSTR, LPWSTR, LPWSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD,
                                              LPDWORD);
using FileEnumFn = NET_API_STATUS(WINAPI*)(LPWSTR, LPWSTR, LPWSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD,
                                           PDWORD_PTR);
using BufferFreeFn = NET_API_STATUS(WINAPI*)(LPVOID);

// A resumed enumeration that never ends is cut off.
constexpr int kRoundLimit = 256;

struct NetApi {
    SessionEnumFn sessions = nullptr;
    FileEnumFn files = nullptr;
    BufferFreeFn free = nullptr;

    static const NetApi& Get() {
        static const NetApi api = Load();
        return api;
    }

  private:
    static NetApi Load() {
        NetApi api;
        HMODULE module = LoadSystemDll(L"netapi32.dll");
        if (!module) return api;
        auto proc = [module](const char* name) {
            return reinterpret_cast<void (*)()>(::GetProcAddress(module, name));
        };
        api.sessions = reinterpret_cast<SessionEnumFn>(proc("NetSessionEnum"));
        api.files = reinterpret_cast<FileEnumFn>(proc("NetFileEnum"));
        api.free = reinterpret_cast<BufferFreeFn>(proc("NetApiBufferFree"));
        if (!api.free) api.sessions = nullptr, api.files = nullptr;
        return api;
    }
};

// Calls one enumeration round after round (ERROR_MORE_DATA) and hands each batch to take.
template <typename Call, typename Take>
plat::NET_API_STATUS EnumerateAll(const NetApi& api, Call call, Take take) {
    for (int round = 0; round < kRoundLimit; ++round) {
        LPBYTE buffer = nullptr;
        DWORD read = 0;
        DWORD total = 0;
        const NET_API_STATUS status = call(&buffer, &read, &total);
        if ((status == NERR_Success || status == ERROR_MORE_DATA) && buffer) take(buffer, read);
        if (buffer) api.free(buffer);
        if (status != ERROR_MORE_DATA) return status;
    }
    return ERROR_MORE_DATA;
}

} // namespace

plat::NET_API_STATUS Win32Shares::NetSessionEnum(std::vector<plat::SESSION_INFO_10>* sessions) {
    const NetApi& api = NetApi::Get();
    if (!api.sessions) return ERROR_NOT_SUPPORTED;
    if (!sessions) return ERROR_INVALID_PARAMETER;
    std::vector<plat::SESSION_INFO_10> found;
    DWORD resume = 0;
    const NET_API_STATUS status = EnumerateAll(
        api,
        [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
            return api.sessions(nullptr, nullptr, nullptr, 10, buffer, MAX_PREFERRED_LENGTH, read, total,
                                &resume);
        },
        [&](LPBYTE buffer, DWORD read) {
            const auto* entries = reinterpret_cast<const SESSION_INFO_10*>(buffer);
            for (DWORD i = 0; i < read; ++i)
                found.push_back({Utf8(entries[i].sesi10_cname), Utf8(entries[i].sesi10_username)});
        });
    if (status == NERR_Success) *sessions = std::move(found);
    return status;
}

plat::NET_API_STATUS Win32Shares::NetFileEnum(std::vector<plat::FILE_INFO_3>* files) {
    const NetApi& api = NetApi::Get();
    if (!api.files) return ERROR_NOT_SUPPORTED;
    if (!files) return ERROR_INVALID_PARAMETER;
    std::vector<plat::FILE_INFO_3> found;
    DWORD_PTR resume = 0;
    const NET_API_STATUS status = EnumerateAll(
        api,
        [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
            return api.files(nullptr, nullptr, nullptr, 3, buffer, MAX_PREFERRED_LENGTH, read, total,
                             &resume);
        },
        [&](LPBYTE buffer, DWORD read) {
            const auto* entries = reinterpret_cast<const FILE_INFO_3*>(buffer);
            for (DWORD i = 0; i < read; ++i)
                found.push_back({Utf8(entries[i].fi3_pathname), Utf8(entries[i].fi3_username)});
        });
    if (status == NERR_Success) *files = std::move(found);
    return status;
}

} // namespace win32
