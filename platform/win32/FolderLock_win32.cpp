#include <windows.h>

#include "platform/FolderLock.h"

namespace platform {

int FolderLock::acquire(const std::string& folder) {
    release();
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return static_cast<int>(GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return kNotAFolder;
    std::string path = folder;
    if (path.empty() || (path.back() != '\\' && path.back() != '/')) path += '\\';
    path += kFileName;
    // No share mode: nobody else opens the file while it is held. The
    // system closes the handle of a killed process, and the file goes
    // with it.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        if (e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION) return kInUse;
        return static_cast<int>(e);
    }
    h_ = h;
    folder_ = folder;
    return 0;
}

void FolderLock::release() {
    if (h_) CloseHandle(static_cast<HANDLE>(h_));
    h_ = nullptr;
    folder_.clear();
}

}  // namespace platform
