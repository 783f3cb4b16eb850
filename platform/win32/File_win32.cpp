#include <windows.h>
// <windows.h> makes these names macros for their ...A functions, which
// would rename the platform functions defined here.
#undef DeleteFile
#undef ReplaceFile

#include <string_view>

#include "platform/File.h"

namespace platform {
namespace {

HANDLE H(void* h) { return static_cast<HANDLE>(h); }

int64_t FromFileTime(const FILETIME& ft) {
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    return static_cast<int64_t>(u.QuadPart / 10000000ULL) - 11644473600LL;
}

FILETIME ToFileTime(int64_t t) {
    ULARGE_INTEGER u;
    u.QuadPart = static_cast<ULONGLONG>(t + 11644473600LL) * 10000000ULL;
    FILETIME ft;
    ft.dwLowDateTime = u.LowPart;
    ft.dwHighDateTime = u.HighPart;
    return ft;
}

DWORD Attributes(const char* path) { return GetFileAttributesA(path); }

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Whether the path can name a file of a local drive by its text alone: not
// a share or the device space ("\\server\share", "\\.\", "\\?\"), no
// part named as a device, no colon past the drive's (a stream, or "NUL:").
bool localFileName(std::string_view p) {
    if (p.size() >= 2 && isSeparator(p[0]) && isSeparator(p[1])) return false;
    size_t start = p.size() >= 2 && p[1] == ':' && ((p[0] | 0x20) >= 'a' && (p[0] | 0x20) <= 'z') ? 2 : 0;
    if (p.find(':', start) != std::string_view::npos) return false;
    while (start < p.size()) {
        size_t end = start;
        while (end < p.size() && !isSeparator(p[end])) ++end;
        if (end > start && IsWindowsDeviceName(p.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

// A regular file of a local drive, opened for reading: the name and a look
// at the attributes first, so that no device is opened, then the type of
// what was opened.
int openLocalFile(const char* path, void*& out) {
    if (!localFileName(path)) return 5;
    DWORD a = Attributes(path);
    if (a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))) return 5;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))) {
        CloseHandle(h);
        return 5;
    }
    out = h;
    return 0;
}

}  // namespace

int LastError() { return static_cast<int>(GetLastError()); }
void SetLastErrorCode(int code) { SetLastError(static_cast<DWORD>(code)); }

File::File(File&& o) noexcept : h_(o.h_), error_(o.error_) { o.h_ = nullptr; }

File& File::operator=(File&& o) noexcept {
    if (this != &o) {
        close();
        h_ = o.h_;
        error_ = o.error_;
        o.h_ = nullptr;
    }
    return *this;
}

int File::open(const char* path, Mode mode) {
    close();
    if (mode == Mode::ReadLocalFile) {
        error_ = openLocalFile(path, h_);
        SetLastError(static_cast<DWORD>(error_));
        return error_;
    }
    DWORD access = GENERIC_READ, share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, disp = OPEN_EXISTING;
    switch (mode) {
    case Mode::Read: break;
    case Mode::ReadLocalFile: break;
    case Mode::Write: access = GENERIC_WRITE; disp = CREATE_ALWAYS; break;
    case Mode::ReadWrite: access = GENERIC_READ | GENERIC_WRITE; disp = OPEN_ALWAYS; break;
    case Mode::Append: access = GENERIC_WRITE; disp = OPEN_ALWAYS; break;
    case Mode::CreateNew: access = GENERIC_WRITE; disp = CREATE_NEW; break;
    }
    HANDLE h = CreateFileA(path, access, share, nullptr, disp, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return error_ = static_cast<int>(GetLastError());
    h_ = h;
    if (mode == Mode::Append && SetFilePointer(h, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) {
        int e = static_cast<int>(GetLastError());
        if (e) { close(); return error_ = e; }
    }
    return error_ = 0;
}

bool File::isOpen() const { return h_ != nullptr; }

int File::close() {
    if (!h_) return 0;
    BOOL ok = CloseHandle(H(h_));
    int e = ok ? 0 : static_cast<int>(GetLastError());
    h_ = nullptr;
    return e ? (error_ = e) : 0;
}

long long File::read(void* buf, size_t n) {
    if (!h_) { error_ = 6; SetLastError(6); return -1; }
    DWORD want = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n), got = 0;
    if (!ReadFile(H(h_), buf, want, &got, nullptr)) {
        error_ = static_cast<int>(GetLastError());
        return error_ == ERROR_BROKEN_PIPE || error_ == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return got;
}

long long File::write(const void* buf, size_t n) {
    if (!h_) { error_ = 6; SetLastError(6); return -1; }
    const char* p = static_cast<const char*>(buf);
    size_t done = 0;
    while (done < n) {
        size_t rest = n - done;
        DWORD want = rest > 0x40000000 ? 0x40000000 : static_cast<DWORD>(rest), put = 0;
        if (!WriteFile(H(h_), p + done, want, &put, nullptr)) {
            error_ = static_cast<int>(GetLastError());
            if (error_ == ERROR_DISK_FULL && done > 0) break;
            return done ? static_cast<long long>(done) : -1;
        }
        done += put;
        if (put < want) break;
    }
    return static_cast<long long>(done);
}

long long File::seek(long long offset, Origin origin) {
    if (!h_) { error_ = 6; SetLastError(6); return -1; }
    LARGE_INTEGER d, r;
    d.QuadPart = offset;
    DWORD how = origin == Origin::Begin ? FILE_BEGIN : origin == Origin::Current ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(H(h_), d, &r, how)) { error_ = static_cast<int>(GetLastError()); return -1; }
    return r.QuadPart;
}

long long File::size() {
    LARGE_INTEGER s;
    if (!h_ || !GetFileSizeEx(H(h_), &s)) { error_ = h_ ? static_cast<int>(GetLastError()) : 6; return -1; }
    return s.QuadPart;
}

int File::sync() {
    if (!h_) return error_ = 6;
    return FlushFileBuffers(H(h_)) ? 0 : (error_ = static_cast<int>(GetLastError()));
}

int File::truncate() {
    if (!h_) return error_ = 6;
    return SetEndOfFile(H(h_)) ? 0 : (error_ = static_cast<int>(GetLastError()));
}

bool FileExists(const char* path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const char* path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const char* path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

int DeleteFile(const char* path) { return DeleteFileA(path) ? 0 : static_cast<int>(GetLastError()); }

int ReplaceFile(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : static_cast<int>(GetLastError());
}

int MoveToNewName(const char* from, const char* to) {
    if (MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH)) return 0;
    DWORD e = GetLastError();
    return e == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : static_cast<int>(e);
}

int MakeFolder(const char* path) { return CreateDirectoryA(path, nullptr) ? 0 : static_cast<int>(GetLastError()); }
int RemoveFolder(const char* path) { return RemoveDirectoryA(path) ? 0 : static_cast<int>(GetLastError()); }

std::string ProgramPath() {
    char buf[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::string(buf, n);
}

std::string CurrentFolder() {
    char buf[MAX_PATH + 1];
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    if (n == 0 || n > MAX_PATH) return {};
    std::string s(buf, n);
    if (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}

int GetFileTimes(const char* path, FileTimes& t) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &d)) return static_cast<int>(GetLastError());
    t.modified = FromFileTime(d.ftLastWriteTime);
    t.created = FromFileTime(d.ftCreationTime);
    return 0;
}

int SetFileTimes(const char* path, const FileTimes& t) {
    HANDLE h = CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    FILETIME ft = ToFileTime(t.modified);
    FILETIME ct = ToFileTime(t.created);
    BOOL ok = SetFileTime(h, t.created ? &ct : nullptr, nullptr, &ft);
    int e = ok ? 0 : static_cast<int>(GetLastError());
    CloseHandle(h);
    return e;
}

std::vector<std::string> FindFiles(const char* folder, const char* pattern) {
    std::vector<std::string> out;
    std::string query = folder;
    if (!query.empty() && query.back() != '\\' && query.back() != '/') query += '\\';
    query += pattern;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(query.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.emplace_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
}

bool ListFileNames(const char* folder, size_t most, std::vector<std::string>& out) {
    out.clear();
    std::string query = folder;
    if (!query.empty() && query.back() != '\\' && query.back() != '/') query += '\\';
    query += '*';
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileExA(query.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return false;
    size_t seen = 0;
    bool ok = true;
    do {
        if (++seen > most) {
            ok = false;
            break;
        }
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.emplace_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return ok;
}

int ProbeFile(const char* path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(path, &fd);
    if (h == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    FindClose(h);
    return 0;
}

}  // namespace platform
