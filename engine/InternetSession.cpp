#include "engine/InternetSession.h"

#include <algorithm>
#include <vector>

#include "engine/nwstreambuf.h"
#include "framework/Url.h"
#include "framework/fwstreambuf.h"
#include "platform/File.h"

using namespace platform::inet;

CInternetSession::CInternetSession(const char* agent, uint32_t context, uint32_t accessType, const char* proxyName,
                                   const char* proxyBypass, uint32_t flags, const char* proxyUser,
                                   const char* proxyPassword)
    : context_(context), proxyUser_(proxyUser), proxyPassword_(proxyPassword) {
    handle_ = platform::InternetSession::Open(agent ? agent : "ERROR", accessType, proxyName, proxyBypass, flags);
    if (!handle_) openError_ = platform::LastError();
}

CInternetSession::~CInternetSession() { CInternetSession::close(); }

void CInternetSession::close() {
    // The library's object stays until the destructor: another thread may
    // be inside a call on it, which the close makes return.
    closed_ = true;
    if (handle_) handle_->close();
}

platform::InternetStatusListener* CInternetSession::setStatusListener(platform::InternetStatusListener* listener) {
    return handle_ ? handle_->setStatusListener(listener) : nullptr;
}

wstreambuf* CInternetSession::openFile(const char* path) {
    // The path part uses "\\" as the separator; the file system its own.
    std::vector<char> local(path, path + std::char_traits<char>::length(path) + 1);
    std::replace(local.begin(), local.end(), '\\', platform::kPathSep);
    // Only a regular file of a local disk: a device, a pipe, a folder or
    // a share would never end, block, or reach out past this machine.
    auto* buf = new ifwstreambuf;
    if (int e = buf->openLocal(local.data())) {
        delete buf;
        platform::SetLastErrorCode(e);
        return nullptr;
    }
    return buf;
}

wstreambuf* CInternetSession::openUrl(const char* url, uint32_t context, uint32_t flags, const char* headers,
                                      uint32_t headersLength) {
    url::SplitUrl split;
    bool splitOk = url && url::splitUrlShort(url, split);
    if (splitOk && split.service == url::kServiceFile) return openFile(split.path.c_str());

    if (!handle_) {
        // Every open of a session that never opened fails with the reason.
        platform::SetLastErrorCode(openError_ ? openError_ : 6);
        return nullptr;
    }
    if (context == 1) context = context_;
    if (!proxyUser_.empty()) flags |= kFlagKeepConnection;
    std::unique_ptr<platform::InternetRequest> req =
        handle_->openUrl(url ? url : "", headers, headersLength, flags, context);
    if (!req) return nullptr;

    uint32_t type = 0, len = sizeof type;
    if (!req->queryOption(kOptionHandleType, &type, len)) type = 0;
    if (type == kHandleHttpRequest || type == kHandleConnectHttp) {
        uint32_t status = 0;
        len = sizeof status;
        if (!req->queryInfo(kQueryStatusCode | kQueryFlagNumber, &status, len)) return nullptr;
        if (status == 407) {
            // Drain the refusal, then send once more with the proxy
            // credentials; a second 407 goes to the caller as the status.
            std::vector<char> scratch;
            for (;;) {
                uint32_t avail = 0;
                if (!req->queryDataAvailable(avail)) return nullptr;
                scratch.resize(std::clamp<uint32_t>(avail, 1, 65536));
                uint32_t got = 0;
                if (!req->read(scratch.data(), static_cast<uint32_t>(scratch.size()), got)) return nullptr;
                if (got == 0) break;
            }
            if (!req->setOption(kOptionProxyUsername, proxyUser_.c_str(), static_cast<uint32_t>(proxyUser_.size() + 1)) ||
                !req->setOption(kOptionProxyPassword, proxyPassword_.c_str(),
                                static_cast<uint32_t>(proxyPassword_.size() + 1)) ||
                !req->sendRequest(nullptr, 0))
                return nullptr;
        }
    }

    uint32_t service = splitOk ? split.service : url::kServiceUnknown;
    if (service == url::kServiceFtp || type == kHandleFtpFile) return new nwstreambuf(std::move(req), true, context);
    if (service == url::kServiceGopher || type == kHandleGopherFile) return new gopherwstreambuf(std::move(req), context);
    if (service == url::kServiceHttp || service == url::kServiceHttps || type == kHandleHttpRequest)
        return new httpwstreambuf(std::move(req), context);
    return nullptr;
}
