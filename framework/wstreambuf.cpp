#include "framework/wstreambuf.h"

long long wstreambuf::read(void*, size_t) { return -1; }
long long wstreambuf::write(const void*, size_t) { return -1; }
long long wstreambuf::seek(long long, seekdir) { return -1; }

long long wstreambuf::skip(long long n) {
    char scratch[1024];
    long long done = 0;
    while (done < n) {
        long long want = n - done < static_cast<long long>(sizeof scratch) ? n - done : sizeof scratch;
        long long got = read(scratch, static_cast<size_t>(want));
        if (got < 0) return -1;
        if (got == 0) break;
        done += got;
    }
    return done;
}
