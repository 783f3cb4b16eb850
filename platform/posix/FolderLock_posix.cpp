#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FolderLock.h"
#include "platform/posix/Errors_posix.h"

namespace platform {

namespace {

int Failed(int e) {
    int code = WinErrorFromErrno(e);
    SetLastErrorCode(code);
    return code;
}

}  // namespace

int FolderLock::acquire(const std::string& folder) {
    release();
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) return Failed(errno == ENOENT ? ENOTDIR : errno);
    if (!S_ISDIR(st.st_mode)) return kNotAFolder;
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    path += kFileName;
    // A holder letting go removes the file it locked: the name may then
    // stand for a new file, and a lock on the old one would hold nothing.
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return Failed(errno);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            int e = errno;
            if (e == EWOULDBLOCK || e == EAGAIN || e == EINTR) {
                ::close(fd);
                return kInUse;
            }
            // A file system without locks: the folder is used without one
            // rather than not at all.
            if (e != ENOLCK && e != EOPNOTSUPP && e != ENOSYS) {
                ::close(fd);
                return Failed(e);
            }
        }
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
            fd_ = fd;
            path_ = path;
            folder_ = folder;
            return 0;
        }
        ::close(fd);
    }
    return kInUse;
}

void FolderLock::release() {
    if (fd_ >= 0) {
        // Removed while still locked: a program waiting on the name opens
        // a new file, and one that opened this file sees it gone.
        (void)::unlink(path_.c_str());
        ::close(fd_);
    }
    fd_ = -1;
    path_.clear();
    folder_.clear();
}

}  // namespace platform
