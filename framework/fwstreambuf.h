#pragma once
// File stream buffers over the platform's files.

#include "framework/AStr.h"
#include "framework/wstreambuf.h"
#include "platform/File.h"

class fwstreambuf : public wstreambuf {
public:
    fwstreambuf() = default;
    fwstreambuf(const char* path, platform::File::Mode mode) { (void)open(path, mode); }
    ~fwstreambuf() override { close(); }

    // 0, or the platform's error code.
    [[nodiscard]] int open(const char* path, platform::File::Mode mode);
    bool isOpen() const override { return file_.isOpen(); }
    int close() override;
    int flush() override { return file_.isOpen() ? file_.sync() : 0; }
    long long read(void* buf, size_t n) override;
    long long write(const void* buf, size_t n) override;
    long long seek(long long offset, seekdir dir) override;
    long long size() override { return file_.size(); }
    int error() const override { return error_; }
    const AStr& path() const { return path_; }

private:
    platform::File file_;
    AStr path_;
    int error_ = 0;
};

// Opened read-only on an existing file.
class ifwstreambuf : public fwstreambuf {
public:
    ifwstreambuf() = default;
    explicit ifwstreambuf(const char* path) : fwstreambuf(path, platform::File::Mode::Read) {}
    [[nodiscard]] int open(const char* path) { return fwstreambuf::open(path, platform::File::Mode::Read); }
    // Only on a regular file of a local disk (File::Mode::ReadLocalFile).
    [[nodiscard]] int openLocal(const char* path) { return fwstreambuf::open(path, platform::File::Mode::ReadLocalFile); }
};

// Creates the file, or empties an existing one.
class ofwstreambuf : public fwstreambuf {
public:
    ofwstreambuf() = default;
    explicit ofwstreambuf(const char* path) : fwstreambuf(path, platform::File::Mode::Write) {}
    [[nodiscard]] int open(const char* path) { return fwstreambuf::open(path, platform::File::Mode::Write); }
};
