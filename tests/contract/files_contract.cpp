// The file system's answers the program builds on, as Windows gives them (learn.microsoft.com:
// CreateDirectoryW, CreateFileW with share mode 0 and FILE_FLAG_DELETE_ON_CLOSE, MoveFileExW;
// Wine's dlls/kernel32/tests/file.c, test_CreateFileA and test_DeleteFileA, ran on Windows).
#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "contract/contract.h"

using namespace plat;

namespace {
// Not there on a fresh machine, nor in the simulation (which has every folder it was not told
// is missing).
const std::string Folder = "C:\\ProgramData\\Tarnwick";
}

CONTRACT_CASE(FoldersFilesAndTheLockFileAnswerAsWindowsDoes) {
    auto& files = *world.Os().files;
    auto& kernel = *world.Os().kernel;
    const std::string& folder = Folder;
    check.Equal(files.CreateDirectory(folder.c_str()), BOOL(1), "a new folder");
    check.Equal(files.CreateDirectory(folder.c_str()), BOOL(0), "the same folder again");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_ALREADY_EXISTS), "its error");
    check.Check(files.FolderExists(folder), "the folder is there");

    const std::string file = folder + "\\srvStat.txt";
    std::string contents = "left";
    check.Check(files.ReadWholeFile(file, contents) == ReadResult::Missing, "a file not there is missing");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_FILE_NOT_FOUND), "its error");
    check.Check(files.ReplaceFileAtomically(file, "Browser\r\n"), "written");
    check.Check(files.ReplaceFileAtomically(file, "Fax\r\n"), "replaced");
    check.Check(files.ReadWholeFile(file, contents) == ReadResult::Ok && contents == "Fax\r\n",
                "read back whole: " + contents);
    check.Check(files.DeleteFileNoLink(file), "deleted");
    check.Check(!files.FileExists(file), "gone");
    check.Check(files.DeleteFileNoLink(file), "a file not there counts as deleted");

    const std::string lock = folder + "\\switch.lock";
    const HANDLE held = files.TakeLockFile(lock);
    check.Check(held != 0, "the lock taken");
    check.Check(files.LockFileHeld(lock), "the lock is held");
    check.Equal(files.TakeLockFile(lock), HANDLE(0), "a second take, even by the same process");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_SHARING_VIOLATION), "its error");
    files.ReleaseLockFile(held);
    check.Check(!files.FileExists(lock), "the lock file goes with its handle");
    const HANDLE again = files.TakeLockFile(lock);
    check.Check(again != 0, "taken again once released");
    if (again) files.ReleaseLockFile(again);
}

// The profile functions as Wine's dlls/kernel32/tests/profile.c (test_profile_string,
// test_GetPrivateProfileString) shows them on Windows: names without case, values trimmed and
// unquoted, the default without its trailing blanks, a short buffer cut with its terminator.
CONTRACT_CASE(ProfileStringsReadAsWindowsReadsThem) {
    auto& files = *world.Os().files;
    const std::string folder = Folder + "Profile";
    files.CreateDirectory(folder.c_str());
    const std::string ini = folder + "\\code.ini";
    check.Check(files.ReplaceFileAtomically(ini, "[Info]\r\nSecondService =  \"Fax\"  \r\nlaststate=off\r\n"
                                                 "[Other]\r\nk=v\r\n"),
                "the file written");
    char buffer[64] = {};
    auto read = [&](const char* section, const char* key, const char* fallback, DWORD size) {
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        const DWORD n = files.GetPrivateProfileString(section, key, fallback, buffer, size, ini.c_str());
        return std::pair<DWORD, std::string>(n, std::string(buffer, n));
    };
    using R = std::pair<DWORD, std::string>;
    check.Check(read("info", "SECONDSERVICE", "", 64) == R(3, "Fax"), "trimmed and unquoted, any case");
    check.Check(read("Info", "Missing", "none  ", 64) == R(4, "none"), "the default without its trailing blanks");
    check.Check(read("Info", "LastState", "", 3) == R(2, "of") && buffer[2] == '\0', "cut to the buffer");
    const DWORD n = files.GetPrivateProfileString(nullptr, nullptr, "", buffer, 64, ini.c_str());
    check.Check(n == 11 && std::string(buffer, 12) == std::string("Info\0Other\0\0", 12), "the section names");
    check.Check(files.WritePrivateProfileString("Info", "LastState", "on", ini.c_str()), "a value written");
    check.Check(read("Info", "laststate", "", 64) == R(2, "on"), "and read back");
    check.Check(read("Other", "k", "", 64) == R(1, "v"), "the other section kept");
    files.DeleteFileNoLink(ini);
}
