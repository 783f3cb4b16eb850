#pragma once
// A URL read as a binary input stream: the session opens it and the
// stream owns the buffer that came back. Without one the stream has failed
// from the start and openError() says why.

#include <cstdint>

#include "engine/InternetSession.h"
#include "framework/bwstream.h"

class iurlwstream : public ibwstream {
public:
    static constexpr size_t kBufferSize = 1024;

    iurlwstream(CInternetSession& session, const char* url, uint32_t context, uint32_t flags, const char* headers,
                uint32_t headersLength);

    int openError() const { return openError_; }

private:
    int openError_ = 0;
};
