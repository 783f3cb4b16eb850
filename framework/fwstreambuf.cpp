#include "framework/fwstreambuf.h"

using platform::File;

int fwstreambuf::open(const char* path, File::Mode mode) {
    path_ = path;
    error_ = file_.open(path, mode);
    return error_;
}

int fwstreambuf::close() {
    int e = file_.close();
    if (e) error_ = e;
    return e;
}

long long fwstreambuf::read(void* buf, size_t n) {
    long long r = file_.read(buf, n);
    if (r < 0) error_ = file_.lastError();
    return r;
}

long long fwstreambuf::write(const void* buf, size_t n) {
    long long r = file_.write(buf, n);
    if (r < 0 || static_cast<size_t>(r) < n) error_ = file_.lastError() ? file_.lastError() : 112;
    return r;
}

long long fwstreambuf::seek(long long offset, seekdir dir) {
    File::Origin o = dir == seekdir::beg ? File::Origin::Begin : dir == seekdir::cur ? File::Origin::Current : File::Origin::End;
    long long r = file_.seek(offset, o);
    if (r < 0) error_ = file_.lastError();
    return r;
}
