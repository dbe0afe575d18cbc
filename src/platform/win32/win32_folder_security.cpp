// Who may change a folder: its owner and DACL read the way the elevated side must judge them
// before it trusts what is in it, and the folder it makes for the machine's state.
#include "platform/win32/win32_files.h"

#include <windows.h>
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
    char* text = nullptr;
    if (!::ConvertSidToStringSidA(sid, &text)) return false;
    const bool trustedInstaller =
        std::string(text) == "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    ::LocalFree(text);
    return trustedInstaller;
}

constexpr DWORD kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                GENERIC_ALL;

// Whether some principal other than the administrative ones may change the folder itself.
bool OthersMayChange(PACL dacl) {
    if (!dacl) return true; // no DACL: everybody may do everything
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!::GetAce(dacl, i, reinterpret_cast<void**>(&header))) return true;
        if (header->AceFlags & INHERIT_ONLY_ACE) continue; // for what is made inside, not for it
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return true; // a kind we do not judge
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        if ((ace->Mask & kChangeRights) && !IsAdministrative(const_cast<DWORD*>(&ace->SidStart))) return true;
    }
    return false;
}

} // namespace

plat::FolderTrust Win32Files::GetFolderTrust(const std::string& folder) {
    const DWORD saved = ::GetLastError();
    struct Restore {
        DWORD code;
        ~Restore() { ::SetLastError(code); }
    } restore{saved};
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? plat::FolderTrust::Missing
                                                                              : plat::FolderTrust::Unknown;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return plat::FolderTrust::Link;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return plat::FolderTrust::Unknown;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return plat::FolderTrust::Unknown;
    const bool adminOnly = IsAdministrative(owner) && !OthersMayChange(dacl);
    ::LocalFree(descriptor);
    return adminOnly ? plat::FolderTrust::AdminOnly : plat::FolderTrust::UserWritable;
}

plat::BOOL Win32Files::CreateProtectedFolder(const std::string& folder) {
    // Owner Administrators; SYSTEM and Administrators full control, Users read and list;
    // protected, so nothing of ProgramData's rights (users may create there) is inherited.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "O:BAG:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1, &descriptor,
            nullptr))
        return 0;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const BOOL made = ::CreateDirectoryA(folder.c_str(), &attributes);
    const DWORD error = ::GetLastError();
    ::LocalFree(descriptor);
    ::SetLastError(error);
    return made;
}

bool Win32Files::DeleteFileNoLink(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const DWORD folderAttributes = ::GetFileAttributesA(folder.c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES || (folderAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Opened as itself, never as what a link would lead to, and deleted through that handle.
    unique_hfile file(::CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
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
