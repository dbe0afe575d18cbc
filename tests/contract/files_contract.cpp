// The file system's answers the program builds on, as Windows gives them (learn.microsoft.com:
// CreateDirectoryW, CreateFileW with share mode 0 and FILE_FLAG_DELETE_ON_CLOSE, MoveFileExW;
// Wine's dlls/kernel32/tests/file.c, test_CreateFileA and test_DeleteFileA, ran on Windows).
#include <string>

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
