#include "engine/nwstreambuf.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/File.h"

using namespace platform::inet;

bool nwstreambuf::failed() {
    error_ = platform::LastError();
    return false;
}

long long nwstreambuf::read(void* buf, size_t n) {
    if (!request_) return -1;
    uint32_t got = 0;
    uint32_t want = n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n);
    if (!request_->read(buf, want, got)) return failed(), -1;
    return got;
}

long long nwstreambuf::write(const void* buf, size_t n) {
    if (!request_) return -1;
    uint32_t written = 0;
    uint32_t want = n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n);
    if (!request_->write(buf, want, written)) return failed(), -1;
    return written;
}

long long nwstreambuf::seek(long long offset, seekdir dir) {
    if (!request_) return -1;
    long long r = request_->setFilePointer(offset, dir == seekdir::beg ? 0 : dir == seekdir::cur ? 1 : 2);
    if (r < 0) failed();
    return r;
}

bool httpwstreambuf::queryStatusCode(int& code) {
    char text[80] = "";
    uint32_t len = sizeof text;
    code = 0;
    if (!request_ || !request_->queryInfo(kQueryStatusCode, text, len)) return failed();
    code = atoi(text);
    return true;
}

bool httpwstreambuf::queryNumber(uint32_t query, uint32_t& value) {
    uint32_t len = sizeof value;
    value = 0;
    if (!request_ || !request_->queryInfo(query | kQueryFlagNumber, &value, len)) return failed();
    return true;
}

bool httpwstreambuf::queryDate(uint32_t query, SystemTime& time) {
    uint32_t len = sizeof time;
    time = SystemTime{};
    if (!request_ || !request_->queryInfo(query | kQueryFlagSystemTime, &time, len)) return failed();
    return true;
}

bool httpwstreambuf::queryText(uint32_t query, AStr& text, const char* customName) {
    text.clear();
    if (!request_) return false;
    // A custom query carries the header's name in its buffer.
    std::vector<char> buf(customName ? strlen(customName) + 1 : 0);
    if (customName) memcpy(buf.data(), customName, buf.size());
    uint32_t len = static_cast<uint32_t>(buf.size());
    if (request_->queryInfo(query, buf.empty() ? nullptr : buf.data(), len)) {
        if (customName) text.assign(buf.data(), len);
        return true;
    }
    if (platform::LastError() != kErrorInsufficientBuffer) return failed();
    buf.assign(static_cast<size_t>(len) + 1, '\0');
    if (customName) memcpy(buf.data(), customName, strlen(customName) + 1);
    if (!request_->queryInfo(query, buf.data(), len)) return failed();
    text.assign(buf.data(), len < buf.size() ? len : buf.size());
    return true;
}

bool httpwstreambuf::queryOption(uint32_t option, uint32_t& value) {
    uint32_t len = sizeof value;
    value = 0;
    if (!request_ || !request_->queryOption(option, &value, len)) return failed();
    return true;
}

bool httpwstreambuf::queryOption(uint32_t option, AStr& text) {
    text.clear();
    if (!request_) return false;
    uint32_t len = 0;
    if (request_->queryOption(option, nullptr, len)) return true;
    if (platform::LastError() != kErrorInsufficientBuffer) return failed();
    std::vector<char> buf(static_cast<size_t>(len) + 1, '\0');
    if (!request_->queryOption(option, buf.data(), len)) return failed();
    text = buf.data();
    return true;
}
