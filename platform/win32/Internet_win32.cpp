// The internet library over WinInet, as the program has always used it.
// Two things are added around it: a request's context passed to WinInet
// is our own record, so that status reports find their listener; and a
// body that ends before its announced length fails the read instead of
// looking like a complete file.

#include "platform/Internet.h"

#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

using namespace inet;

namespace {

struct Session;

// What WinInet gets as a request's context.
struct Reporter {
    InternetStatusListener* listener;
    uintptr_t context;
};

void CALLBACK OnStatus(HINTERNET h, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
    auto* r = reinterpret_cast<Reporter*>(context);
    if (r && r->listener) r->listener->onStatus(h, r->context, status, info, length);
}

bool Fail(DWORD code) {
    SetLastError(code);
    return false;
}

class WinRequest final : public InternetRequest {
public:
    WinRequest(std::shared_ptr<Session> s, HINTERNET h, std::unique_ptr<Reporter> r);
    ~WinRequest() override;

    // Called by the session's close, under its lock.
    void closeBySession() {
        if (!closed_.exchange(true)) InternetCloseHandle(h_);
    }
    void* handle() const override { return h_; }
    bool read(void* buf, uint32_t n, uint32_t& got) override;
    bool write(const void* buf, uint32_t n, uint32_t& written) override {
        if (closed_) return Fail(kErrorCancelled);
        DWORD w = 0;
        BOOL ok = InternetWriteFile(h_, buf, n, &w);
        written = w;
        return ok;
    }
    long long setFilePointer(long long offset, int origin) override {
        if (closed_) return Fail(kErrorCancelled), -1;
        LONG high = static_cast<LONG>(offset >> 32);
        DWORD low = InternetSetFilePointer(h_, static_cast<LONG>(offset & 0xFFFFFFFF), &high,
                                           static_cast<DWORD>(origin), reinterpret_cast<DWORD_PTR>(reporter_.get()));
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
        return (static_cast<long long>(high) << 32) | low;
    }
    bool queryDataAvailable(uint32_t& n) override {
        if (closed_) return Fail(kErrorCancelled);
        DWORD a = 0;
        BOOL ok = InternetQueryDataAvailable(h_, &a, 0, 0);
        n = a;
        return ok || failedAfterClose();
    }
    bool queryInfo(uint32_t query, void* buf, uint32_t& length) override {
        if (closed_) return Fail(kErrorCancelled);
        DWORD len = length, index = 0;
        BOOL ok = HttpQueryInfoA(h_, query, buf, &len, &index);
        length = len;
        return ok;
    }
    bool queryOption(uint32_t option, void* buf, uint32_t& length) override {
        if (closed_) return Fail(kErrorCancelled);
        DWORD len = length;
        BOOL ok = InternetQueryOptionA(h_, option, buf, &len);
        length = len;
        return ok;
    }
    bool setOption(uint32_t option, const void* buf, uint32_t length) override {
        if (closed_) return Fail(kErrorCancelled);
        return InternetSetOptionA(h_, option, const_cast<void*>(buf), length);
    }
    bool sendRequest(const char* headers, uint32_t length) override {
        if (closed_) return Fail(kErrorCancelled);
        if (!HttpSendRequestA(h_, headers, headers ? length : 0, nullptr, 0)) return failedAfterClose();
        learnLength();
        return true;
    }
    void learnLength();

private:
    // A call that failed because the session closed the handle under it
    // reports the cancellation, not whatever the library says then.
    bool failedAfterClose() {
        if (closed_) SetLastError(kErrorCancelled);
        return false;
    }

    std::shared_ptr<Session> session_;
    HINTERNET h_;
    std::unique_ptr<Reporter> reporter_;
    std::atomic<bool> closed_{false};
    long long expected_ = -1;  // Content-Length of an http body, -1 unknown
    long long received_ = 0;
};

struct Session {
    HINTERNET h = nullptr;
    std::mutex mutex;
    std::vector<WinRequest*> live;
    InternetStatusListener* listener = nullptr;

    void close() {
        std::lock_guard<std::mutex> lock(mutex);
        for (WinRequest* r : live) r->closeBySession();
        if (h) InternetCloseHandle(h);
        h = nullptr;
    }
};

class WinSession final : public InternetSession {
public:
    explicit WinSession(std::shared_ptr<Session> s) : s_(std::move(s)) {}
    ~WinSession() override { s_->close(); }
    void close() override { s_->close(); }
    InternetStatusListener* setStatusListener(InternetStatusListener* l) override {
        std::lock_guard<std::mutex> lock(s_->mutex);
        std::swap(s_->listener, l);
        return l;
    }
    std::unique_ptr<InternetRequest> openUrl(const char* url, const char* headers, uint32_t headersLength,
                                             uint32_t flags, uintptr_t context) override;
    void* handle() const override { return s_->h; }

private:
    std::shared_ptr<Session> s_;
};

WinRequest::WinRequest(std::shared_ptr<Session> s, HINTERNET h, std::unique_ptr<Reporter> r)
    : session_(std::move(s)), h_(h), reporter_(std::move(r)) {}

WinRequest::~WinRequest() {
    std::lock_guard<std::mutex> lock(session_->mutex);
    auto& v = session_->live;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    if (!closed_.exchange(true)) InternetCloseHandle(h_);
}

void WinRequest::learnLength() {
    expected_ = -1;
    received_ = 0;
    DWORD type = 0, len = sizeof type;
    if (!InternetQueryOptionA(h_, INTERNET_OPTION_HANDLE_TYPE, &type, &len) || type != INTERNET_HANDLE_TYPE_HTTP_REQUEST)
        return;
    DWORD status = 0, n = sizeof status, index = 0;
    if (!HttpQueryInfoA(h_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &n, &index)) return;
    if (status / 100 == 1 || status == 204 || status == 304) return;
    // The length as a text: a number query would cut lengths above 4 GB.
    char text[32];
    n = sizeof text;
    index = 0;
    if (HttpQueryInfoA(h_, HTTP_QUERY_CONTENT_LENGTH, text, &n, &index)) expected_ = _atoi64(text);
}

bool WinRequest::read(void* buf, uint32_t n, uint32_t& got) {
    got = 0;
    if (closed_) return Fail(kErrorCancelled);
    DWORD r = 0;
    if (!InternetReadFile(h_, buf, n, &r)) return failedAfterClose();
    if (closed_) return Fail(kErrorCancelled);
    got = r;
    received_ += r;
    if (r == 0 && n > 0 && expected_ >= 0 && received_ < expected_) return Fail(kErrorConnectionAborted);
    return true;
}

std::unique_ptr<InternetRequest> WinSession::openUrl(const char* url, const char* headers, uint32_t headersLength,
                                                     uint32_t flags, uintptr_t context) {
    HINTERNET session;
    auto reporter = std::make_unique<Reporter>();
    {
        std::lock_guard<std::mutex> lock(s_->mutex);
        session = s_->h;
        reporter->listener = s_->listener;
    }
    reporter->context = context;
    if (!session) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HINTERNET h = InternetOpenUrlA(session, url, headers, headers ? headersLength : 0, flags,
                                   reinterpret_cast<DWORD_PTR>(reporter.get()));
    if (!h) {
        DWORD e = GetLastError();
        // Closed while the request was under way.
        std::lock_guard<std::mutex> lock(s_->mutex);
        SetLastError(s_->h ? e : static_cast<DWORD>(kErrorCancelled));
        return nullptr;
    }
    auto r = std::make_unique<WinRequest>(s_, h, std::move(reporter));
    {
        std::lock_guard<std::mutex> lock(s_->mutex);
        if (!s_->h) {
            r->closeBySession();
            Fail(kErrorCancelled);
            return nullptr;
        }
        s_->live.push_back(r.get());
    }
    r->learnLength();
    return r;
}

}  // namespace

std::unique_ptr<InternetSession> InternetSession::Open(const char* agent, uint32_t accessType, const char* proxy,
                                                       const char* proxyBypass, uint32_t flags) {
    HINTERNET h = InternetOpenA(agent, accessType, proxy, proxyBypass, flags);
    if (!h) return nullptr;
    InternetSetStatusCallbackA(h, &OnStatus);
    auto s = std::make_shared<Session>();
    s->h = h;
    return std::make_unique<WinSession>(std::move(s));
}

int TrustTestCertificateAuthority(const char* pemPath) {
    HANDLE f = CreateFileA(pemPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    std::string pem(65536, '\0');
    DWORD got = 0;
    BOOL ok = ReadFile(f, pem.data(), static_cast<DWORD>(pem.size()), &got, nullptr);
    CloseHandle(f);
    if (!ok) return static_cast<int>(GetLastError());
    pem.resize(got);
    DWORD derLen = 0;
    if (!CryptStringToBinaryA(pem.c_str(), got, CRYPT_STRING_BASE64HEADER, nullptr, &derLen, nullptr, nullptr))
        return static_cast<int>(GetLastError());
    std::vector<BYTE> der(derLen);
    if (!CryptStringToBinaryA(pem.c_str(), got, CRYPT_STRING_BASE64HEADER, der.data(), &derLen, nullptr, nullptr))
        return static_cast<int>(GetLastError());
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
    if (!store) return static_cast<int>(GetLastError());
    ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), derLen,
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    int e = ok ? 0 : static_cast<int>(GetLastError());
    CertCloseStore(store, 0);
    return e;
}

}  // namespace platform
