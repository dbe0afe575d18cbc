// Who may change a folder: its owner and DACL read the way the elevated side must judge them
// before it trusts what is in it, and the folder it makes for the machine's state.
#include "platform/win32/win32_files.h"

#include "platform/win32/win32_text.h"
// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "platform/win32/win32_handles.h"

namespace win32 {
namespace {

// SYSTEM, Administrators and TrustedInstaller: what they may do, an administrator may do.
bool IsAdministrative(PSID sid) {
    if (!sid || !::IsValidSid(sid)) return false;
    if (::IsWellKnownSid(sid, WinLocalSystemSid) || ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) return true;
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) return false;
    const bool trustedInstaller =
        std::wstring(text) == L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    ::LocalFree(text);
    return trustedInstaller;
}

constexpr DWORD kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                GENERIC_ALL;

// The account this process runs as: for an elevated copy started with another administrator's
// password, that administrator, not the user at the desk.
class OwnAccount {
  public:
    OwnAccount() {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return;
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        buffer_.resize(size);
        if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer_.data(), size, &size)) buffer_.clear();
        ::CloseHandle(token);
    }
    bool Is(PSID sid) const {
        return !buffer_.empty() && sid && ::IsValidSid(sid) &&
               ::EqualSid(reinterpret_cast<const TOKEN_USER*>(buffer_.data())->User.Sid, sid);
    }

  private:
    std::string buffer_;
};

// Who besides the administrative principals may change the object: nobody, this process's own
// account (and nobody else), or somebody else.
enum class Others { None, OwnAccount, Somebody };

Others OthersMayChange(PACL dacl, const OwnAccount& self) {
    if (!dacl) return Others::Somebody; // no DACL: everybody may do everything
    Others found = Others::None;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!::GetAce(dacl, i, reinterpret_cast<void**>(&header))) return Others::Somebody;
        if (header->AceFlags & INHERIT_ONLY_ACE) continue; // for what is made inside, not for it
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return Others::Somebody; // a kind we do not judge
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        PSID sid = const_cast<DWORD*>(&ace->SidStart);
        if (!(ace->Mask & kChangeRights) || IsAdministrative(sid)) continue;
        if (!self.Is(sid)) return Others::Somebody;
        found = Others::OwnAccount;
    }
    return found;
}

plat::FolderTrust Judge(PSID owner, PACL dacl) {
    const OwnAccount self;
    const Others others = OthersMayChange(dacl, self);
    if (others == Others::Somebody) return plat::FolderTrust::UserWritable;
    if (IsAdministrative(owner)) return others == Others::None ? plat::FolderTrust::AdminOnly
                                                               : plat::FolderTrust::OwnUserOnly;
    return self.Is(owner) ? plat::FolderTrust::OwnUserOnly : plat::FolderTrust::UserWritable;
}

// Owner and DACL read through the handle, never by path again.
plat::FolderTrust JudgeHandle(HANDLE object) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                          nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return plat::FolderTrust::Unknown;
    const plat::FolderTrust trust = Judge(owner, dacl);
    ::LocalFree(descriptor);
    return trust;
}

struct RestoreLastError {
    DWORD code = ::GetLastError();
    ~RestoreLastError() { ::SetLastError(code); }
};

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

plat::FolderTrust Win32Files::GetFolderTrust(const std::string& folder) {
    const RestoreLastError restore;
    std::wstring wide;
    if (!Widen(folder, wide)) return plat::FolderTrust::Unknown;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return IsMissing(::GetLastError()) ? plat::FolderTrust::Missing : plat::FolderTrust::Unknown;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return plat::FolderTrust::Link;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return plat::FolderTrust::Unknown;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return plat::FolderTrust::Unknown;
    const plat::FolderTrust trust = Judge(owner, dacl);
    ::LocalFree(descriptor);
    return trust;
}

plat::FolderTrust Win32Files::PinFolder(const std::string& folder, plat::HANDLE* pin) {
    *pin = 0;
    std::wstring wide;
    if (!Widen(folder, wide)) return plat::FolderTrust::Unknown;
    // Listing access, so that the share mode counts: without FILE_SHARE_DELETE nobody can
    // rename or delete the folder while it is held; the reparse point itself is opened, not
    // what it leads to.
    HANDLE handle = ::CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return IsMissing(::GetLastError()) ? plat::FolderTrust::Missing : plat::FolderTrust::Unknown;
    *pin = reinterpret_cast<plat::HANDLE>(handle);
    const RestoreLastError restore;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return plat::FolderTrust::Unknown;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return plat::FolderTrust::Link;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return plat::FolderTrust::Unknown;
    return JudgeHandle(handle);
}

void Win32Files::UnpinFolder(plat::HANDLE pin) {
    if (pin) ::CloseHandle(reinterpret_cast<HANDLE>(pin));
}

plat::ReadResult Win32Files::ReadFileAsItself(const std::string& path, std::string& contents,
                                              plat::FolderTrust& trust) {
    trust = plat::FolderTrust::Unknown;
    std::wstring wide;
    if (!Widen(path, wide)) return plat::ReadResult::Failed;
    unique_hfile file(::CreateFileW(wide.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return IsMissing(::GetLastError()) ? plat::ReadResult::Missing : plat::ReadResult::Failed;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) return plat::ReadResult::Failed;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return plat::ReadResult::Failed;
    // A second name may sit in a folder somebody else controls: the file is theirs as well.
    trust = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks != 1
                ? plat::FolderTrust::Link
                : JudgeHandle(file.get());
    std::string text;
    std::string chunk(1u << 16, '\0');
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr))
            return plat::ReadResult::Failed;
        if (got == 0) break;
        text.append(chunk.data(), got);
    }
    contents = std::move(text);
    return plat::ReadResult::Ok;
}

plat::HANDLE Win32Files::TakeLockFile(const std::string& path) {
    std::wstring wide;
    if (!Widen(path, wide)) return 0;
    // SYSTEM and Administrators only: a standard user can open nothing of it, so cannot hold
    // it against a switch. Not shared at all: a second switch gets ERROR_SHARING_VIOLATION.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAG:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)",
                                                                SDDL_REVISION_1, &descriptor, nullptr))
        return 0;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, &attributes, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    const DWORD error = ::GetLastError();
    ::LocalFree(descriptor);
    ::SetLastError(error);
    return handle == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<plat::HANDLE>(handle);
}

void Win32Files::ReleaseLockFile(plat::HANDLE lock) {
    if (lock) ::CloseHandle(reinterpret_cast<HANDLE>(lock));
}

bool Win32Files::LockFileHeld(const std::string& path) {
    const RestoreLastError restore;
    std::wstring wide;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!Widen(path, wide) || !::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return false;
    // Deleted when its holder's handle closes, also when the holder is killed; only a power cut
    // leaves it behind, made before the machine last started.
    FILETIME nowFile{};
    ::GetSystemTimeAsFileTime(&nowFile);
    const auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    const uint64_t bootedAt = ticks(nowFile) - ::GetTickCount64() * 10000;
    return ticks(data.ftCreationTime) >= bootedAt;
}

plat::BOOL Win32Files::CreateProtectedFolder(const std::string& folder) {
    // Owner Administrators; SYSTEM and Administrators full control, Users read and list;
    // protected, so nothing of ProgramData's rights (users may create there) is inherited.
    std::wstring wide;
    if (!Widen(folder, wide)) return 0;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"O:BAG:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1, &descriptor,
            nullptr))
        return 0;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const BOOL made = ::CreateDirectoryW(wide.c_str(), &attributes);
    const DWORD error = ::GetLastError();
    ::LocalFree(descriptor);
    ::SetLastError(error);
    return made;
}

bool Win32Files::DeleteFileNoLink(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::wstring wideFolder, widePath;
    if (!Widen(folder, wideFolder) || !Widen(path, widePath)) return false;
    const DWORD folderAttributes = ::GetFileAttributesW(wideFolder.c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES || (folderAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Opened as itself, never as what a link would lead to, and deleted through that handle.
    unique_hfile file(::CreateFileW(widePath.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

} // namespace win32
