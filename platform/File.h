#pragma once
// Files and folders. Paths are 8-bit in the ANSI code page; errors are the
// platform's codes (GetLastError on Windows, errno on POSIX), read at once
// after the call that failed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

class File {
public:
    enum class Mode {
        Read,       // existing file, read only, others may read and write
        Write,      // created or emptied, write only
        ReadWrite,  // existing file opened or a new one created
        Append,     // existing file opened or created, positioned at its end
        CreateNew,  // fails when the file exists (reserving a name)
        // An existing regular file of a local disk, read only, as Read; a
        // file: URL is read this way. Never a folder, a device (/dev/zero,
        // /dev/random), a pipe or a socket, and never a path that starts
        // with two separators (on Windows a share "\\server\share", or
        // the device space "\\.\" and "\\?\"). On Windows also never a
        // part named as a device (IsWindowsDeviceName) nor a colon past
        // the drive's. Such a path fails with 5 (access denied) and is
        // never read; a device or pipe is not even opened where a look at
        // it first can tell.
        ReadLocalFile,
    };
    enum class Origin { Begin, Current, End };

    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& o) noexcept;
    File& operator=(File&& o) noexcept;
    ~File() { close(); }

    // 0 on success, else the platform's error code.
    [[nodiscard]] int open(const char* path, Mode mode);
    bool isOpen() const;
    // 0, or the error code of a failed close (a write the system delayed).
    int close();

    // Bytes moved, or -1 (the error code in lastError()). A short write
    // without an error means the disk is full.
    long long read(void* buf, size_t n);
    long long write(const void* buf, size_t n);
    long long seek(long long offset, Origin origin);
    long long size();
    // Pushes written data to the disk; 0 or an error code.
    int sync();
    // Cuts the file at the current position.
    int truncate();
    int lastError() const { return error_; }

private:
#ifdef _WIN32
    void* h_ = nullptr;
#else
    int fd_ = -1;
#endif
    int error_ = 0;
};

// Whether one part of a path names a Windows device, on every platform:
// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (and COM and LPT with a superscript
// digit), CONIN$, CONOUT$ and CLOCK$, without case, also with an extension
// or a stream after them and with blanks around them or dots after them
// ("NUL.txt", "con .x", "aux:", "nul."). Windows opens the device for such
// a name in any folder.
bool IsWindowsDeviceName(std::string_view part);

// The last error of the calling thread as the platform keeps it.
int LastError();
void SetLastErrorCode(int code);

bool FileExists(const char* path);    // an existing file, not a folder
bool FolderExists(const char* path);
bool PathExists(const char* path);
[[nodiscard]] int DeleteFile(const char* path);
// Moves from over to, replacing to atomically where it exists.
[[nodiscard]] int ReplaceFile(const char* from, const char* to);
// Moves from to the name to, which must not exist: 0, 80 (the name is
// taken; from stays as it was) or another error code. Atomic where the
// file system allows, so that two threads never both take one name.
[[nodiscard]] int MoveToNewName(const char* from, const char* to);
[[nodiscard]] int MakeFolder(const char* path);      // one level
[[nodiscard]] int RemoveFolder(const char* path);    // an empty one
// Full path of the program's own executable, or "" when unknown.
std::string ProgramPath();
// Current folder, without a trailing separator.
std::string CurrentFolder();

struct FileTimes {
    int64_t modified = 0;  // seconds since 1970, UTC
    // Windows only: the creation time, same scale; 0 when unknown, and
    // setting 0 leaves it as it is. POSIX keeps no creation time.
    int64_t created = 0;
};
[[nodiscard]] int GetFileTimes(const char* path, FileTimes& t);
[[nodiscard]] int SetFileTimes(const char* path, const FileTimes& t);

// The names (not paths) of the files in folder that match a pattern with
// '*' and '?' (compared without case), in the order the system lists them.
std::vector<std::string> FindFiles(const char* folder, const char* pattern);

// The names of all the files in folder (folders left out), in the order the
// system lists them: one read of the folder where asking for each file
// would cost a call per name. False when the folder cannot be read or holds
// more than most entries.
bool ListFileNames(const char* folder, size_t most, std::vector<std::string>& out);

// A code that says whether the path exists and, when not, why: 0 when it
// exists, otherwise the search's error code (2 file not found, 3 path not
// found, 18 no more files...), as the file search reports it.
int ProbeFile(const char* path);

}  // namespace platform
