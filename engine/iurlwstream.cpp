#include "engine/iurlwstream.h"

#include "platform/File.h"

iurlwstream::iurlwstream(CInternetSession& session, const char* url, uint32_t context, uint32_t flags,
                         const char* headers, uint32_t headersLength)
    : ibwstream(nullptr, false, kBufferSize) {
    wstreambuf* buf = session.openUrl(url, context, flags, headers, headersLength);
    if (!buf) openError_ = platform::LastError();
    setbuf(buf, true);
    if (!buf) setstate(failbit);
}
