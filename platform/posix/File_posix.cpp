#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fnmatch.h>

#include "platform/File.h"
#include "platform/posix/Errors_posix.h"

namespace platform {
namespace {
thread_local int tLastError = 0;

int Fail() {
    tLastError = WinErrorFromErrno(errno);
    return tLastError;
}

// Windows tells a missing file (2) from a missing folder on the way (3).
int FailOnPath(const char* path) {
    int e = errno;
    if (e == ENOENT) {
        std::string parent(path);
        size_t slash = parent.rfind('/');
        parent = slash == std::string::npos ? "." : slash == 0 ? "/" : parent.substr(0, slash);
        struct stat st;
        if (stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return tLastError = 3;
    }
    errno = e;
    return Fail();
}
}  // namespace

int WinErrorFromErrno(int e) {
    switch (e) {
    case 0: return 0;
    case ENOENT: return 2;        // ERROR_FILE_NOT_FOUND
    case ENOTDIR: return 3;       // ERROR_PATH_NOT_FOUND
    case EMFILE: case ENFILE: return 4;
    case EACCES: case EPERM: case EISDIR: return 5;
    case EBADF: return 6;
    case ENOMEM: return 8;
    case EROFS: return 19;        // ERROR_WRITE_PROTECT
    case EBUSY: case ETXTBSY: return 32;  // ERROR_SHARING_VIOLATION
    case EEXIST: return 80;       // ERROR_FILE_EXISTS
    case EINVAL: return 87;
    case ENOSPC: case EDQUOT: return 112;  // ERROR_DISK_FULL
    case ENOTEMPTY: return 145;
    case ENAMETOOLONG: return 206;
    case EXDEV: return 17;
    case EFBIG: return 223;       // ERROR_FILE_TOO_LARGE
    case EIO: return 1117;        // ERROR_IO_DEVICE
    default: return 31;           // ERROR_GEN_FAILURE
    }
}

void SetLastErrorCode(int code) { tLastError = code; }
int LastError() { return tLastError; }

File::File(File&& o) noexcept : fd_(o.fd_), error_(o.error_) { o.fd_ = -1; }

File& File::operator=(File&& o) noexcept {
    if (this != &o) {
        close();
        fd_ = o.fd_;
        error_ = o.error_;
        o.fd_ = -1;
    }
    return *this;
}

namespace {

bool startsWithTwoSeparators(const char* path) {
    auto sep = [](char c) { return c == '/' || c == '\\'; };
    return sep(path[0]) && sep(path[1]);
}

// A regular file, opened for reading: a look first, so that a device or a
// pipe is never opened, then another at what was opened, which may have
// been swapped in between. The open does not wait for a pipe's writer.
int openLocalFile(const char* path, int& fd) {
    struct stat st;
    if (startsWithTwoSeparators(path)) return tLastError = 5;
    if (stat(path, &st) != 0) return FailOnPath(path);
    if (!S_ISREG(st.st_mode)) return tLastError = 5;
    int f = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (f < 0) return FailOnPath(path);
    if (fstat(f, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(f);
        return tLastError = 5;
    }
    int fl = fcntl(f, F_GETFL);
    if (fl != -1) (void)fcntl(f, F_SETFL, fl & ~O_NONBLOCK);
    fd = f;
    return 0;
}

}  // namespace

int File::open(const char* path, Mode mode) {
    close();
    if (mode == Mode::ReadLocalFile) return error_ = openLocalFile(path, fd_);
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::ReadLocalFile: break;
    case Mode::Write: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case Mode::ReadWrite: flags |= O_RDWR | O_CREAT; break;
    case Mode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    case Mode::CreateNew: flags |= O_WRONLY | O_CREAT | O_EXCL; break;
    }
    fd_ = ::open(path, flags, 0666);
    if (fd_ < 0) return error_ = FailOnPath(path);
    if (mode == Mode::Read) {
        struct stat st;
        if (fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            return error_ = tLastError = 5;
        }
    }
    return error_ = 0;
}

bool File::isOpen() const { return fd_ >= 0; }

int File::close() {
    if (fd_ < 0) return 0;
    int r = ::close(fd_);
    fd_ = -1;
    return r == 0 ? 0 : (error_ = Fail());
}

long long File::read(void* buf, size_t n) {
    if (fd_ < 0) { error_ = tLastError = 6; return -1; }
    for (;;) {
        ssize_t r = ::read(fd_, buf, n);
        if (r >= 0) return r;
        if (errno != EINTR) { error_ = Fail(); return -1; }
    }
}

long long File::write(const void* buf, size_t n) {
    if (fd_ < 0) { error_ = tLastError = 6; return -1; }
    const char* p = static_cast<const char*>(buf);
    size_t done = 0;
    while (done < n) {
        ssize_t r = ::write(fd_, p + done, n - done);
        if (r > 0) { done += static_cast<size_t>(r); continue; }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && errno == ENOSPC && done > 0) break;  // short write: disk full
        if (r < 0) { error_ = Fail(); return done ? static_cast<long long>(done) : -1; }
        break;
    }
    return static_cast<long long>(done);
}

long long File::seek(long long offset, Origin origin) {
    if (fd_ < 0) { error_ = tLastError = 6; return -1; }
    int whence = origin == Origin::Begin ? SEEK_SET : origin == Origin::Current ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (r < 0) { error_ = Fail(); return -1; }
    return r;
}

long long File::size() {
    struct stat st;
    if (fd_ < 0 || fstat(fd_, &st) != 0) { error_ = fd_ < 0 ? 6 : Fail(); return -1; }
    return st.st_size;
}

int File::sync() {
    if (fd_ < 0) return error_ = 6;
    return fsync(fd_) == 0 ? 0 : (error_ = Fail());
}

int File::truncate() {
    long long pos = seek(0, Origin::Current);
    if (pos < 0) return error_;
    return ftruncate(fd_, static_cast<off_t>(pos)) == 0 ? 0 : (error_ = Fail());
}

bool FileExists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0;
}

int DeleteFile(const char* path) { return ::unlink(path) == 0 ? 0 : Fail(); }
int ReplaceFile(const char* from, const char* to) { return ::rename(from, to) == 0 ? 0 : Fail(); }
int MoveToNewName(const char* from, const char* to) {
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return Fail();
    // A file system without the no-replace rename: a second name, which
    // cannot be made over an existing one, then the first name goes.
    if (::link(from, to) == 0) {
        (void)::unlink(from);
        return 0;
    }
    if (errno == EEXIST) return Fail();
    // Nor hard links (a FAT disk): the empty file claims the name.
    int fd = ::open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return Fail();
    ::close(fd);
    return ::rename(from, to) == 0 ? 0 : Fail();
}
int MakeFolder(const char* path) {
    if (::mkdir(path, 0777) == 0) return 0;
    return errno == EEXIST ? (tLastError = 183) : FailOnPath(path);  // ERROR_ALREADY_EXISTS
}
int RemoveFolder(const char* path) { return ::rmdir(path) == 0 ? 0 : Fail(); }

std::string ProgramPath() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return std::string(buf, static_cast<size_t>(n));
}

std::string CurrentFolder() {
    char buf[PATH_MAX];
    if (!getcwd(buf, sizeof buf)) return {};
    std::string s(buf);
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

int GetFileTimes(const char* path, FileTimes& t) {
    struct stat st;
    if (stat(path, &st) != 0) return Fail();
    t.modified = st.st_mtime;
    return 0;
}

int SetFileTimes(const char* path, const FileTimes& t) {
    struct timeval tv[2];
    tv[0].tv_sec = tv[1].tv_sec = static_cast<time_t>(t.modified);
    tv[0].tv_usec = tv[1].tv_usec = 0;
    return utimes(path, tv) == 0 ? 0 : Fail();
}

std::vector<std::string> FindFiles(const char* folder, const char* pattern) {
    std::vector<std::string> out;
    DIR* d = opendir(*folder ? folder : ".");
    if (!d) return out;
    std::string dir = *folder ? folder : ".";
    if (dir.back() != '/') dir += '/';
    while (dirent* e = readdir(d)) {
        if (fnmatch(pattern, e->d_name, FNM_CASEFOLD) != 0) continue;
        if (FileExists((dir + e->d_name).c_str())) out.emplace_back(e->d_name);
    }
    closedir(d);
    return out;
}

bool ListFileNames(const char* folder, size_t most, std::vector<std::string>& out) {
    out.clear();
    DIR* d = opendir(*folder ? folder : ".");
    if (!d) return false;
    size_t seen = 0;
    bool ok = true;
    while (dirent* e = readdir(d)) {
        if (++seen > most) {
            ok = false;
            break;
        }
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            // The file system did not say, or a link: what it leads to counts.
            struct stat st;
            type = fstatat(dirfd(d), e->d_name, &st, 0) != 0 ? DT_UNKNOWN : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
            if (type == DT_UNKNOWN) continue;
        }
        if (type != DT_DIR) out.emplace_back(e->d_name);
    }
    closedir(d);
    return ok;
}

int ProbeFile(const char* path) {
    struct stat st;
    if (stat(path, &st) == 0) return 0;
    return FailOnPath(path);
}

}  // namespace platform
