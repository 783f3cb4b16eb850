#pragma once
// One program at a time in a folder: a lock file in it, held open under
// the system's lock for as long as the program keeps the folder. The
// system drops the lock when the process ends, however it ends, so a lock
// file that a killed run left behind holds nothing back.
//
// POSIX: flock() on the open file (shared by nobody: a second open file
// in the same process is refused too). Windows: the file opened with no
// share mode and deleted when its handle closes.

#include <string>

namespace platform {

class FolderLock {
public:
    static constexpr const char* kFileName = "zbrask.lock";
    // acquire's answers besides 0 and the platform's error codes (those of
    // Windows, on every target; see File.h).
    static constexpr int kInUse = 33;       // another program holds it (ERROR_LOCK_VIOLATION)
    static constexpr int kNotAFolder = 267; // the path is a file (ERROR_DIRECTORY)

    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock() { release(); }

    // Takes the folder, which must exist; a folder held before is let go
    // first. 0, kInUse, kNotAFolder, or the error of making the lock file
    // (a read-only folder, a missing one).
    [[nodiscard]] int acquire(const std::string& folder);
    // Lets the folder go; its lock file is removed.
    void release();
    bool held() const { return !folder_.empty(); }
    // The folder held, as acquire was given it; "" when none.
    const std::string& folder() const { return folder_; }

private:
#ifdef _WIN32
    void* h_ = nullptr;
#else
    int fd_ = -1;
    std::string path_;
#endif
    std::string folder_;
};

}  // namespace platform
