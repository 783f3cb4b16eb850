// The internet library over WinInet, as the program has always used it,
// with three things added around it:
// - WinInet's calls that wait for the network (open, read, data
//   available, send) run on a thread of the request's own while the
//   caller waits on a condition. Closing the session wakes the caller at
//   once: Wine's WinInet neither ends a blocked read when its handle is
//   closed nor lets the close return before the read does. The call left
//   behind ends with the receive timeout and its thread then closes the
//   handle.
// - A request's context for WinInet is a number that finds the listener
//   only while the request lives: WinInet may still report on a handle
//   after we let it go (an ftp connection closed later).
// - A body that ends before its announced length fails the read instead
//   of looking like a complete file.
// - Redirects are followed here, not by WinInet, so that each target is
//   judged before anything is sent to it: http and https lead only to
//   http and https, never to another service's port (platform/UrlSafety.h),
//   and a URL whose request would carry control bytes is never opened.

#include "platform/Internet.h"
#include "platform/UrlSafety.h"

#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

using namespace inet;

namespace {

// A stuck call gives up after this long, as on the POSIX side.
constexpr DWORD kReceiveTimeoutMs = 60000;
// The most downloads the engine runs at once.
constexpr DWORD kMostConnectionsPerServer = 32;
// Every read of the library asks for at least this much; smaller reads
// are served from what came.
constexpr uint32_t kBlock = 256 * 1024;
// What WinInet reads from the connection at a time, at most, and what we
// read at once while data flows.
constexpr DWORD kLibraryBuffer = 8192;
constexpr DWORD kFlowing = 65536;
// A response head larger than this is refused.
constexpr DWORD kMaxHead = 256 * 1024;
// Redirects followed for one request, as on the POSIX side.
constexpr int kMaxRedirects = 20;

struct Reporter {
    InternetStatusListener* listener;
    uintptr_t context;
};
// Never destroyed: a call left behind by a close may report while the
// process runs its exit handlers.
std::mutex& gReportersMutex = *new std::mutex;
std::map<uintptr_t, Reporter>& gReporters = *new std::map<uintptr_t, Reporter>;
uintptr_t gNextReporter = 1;

uintptr_t AddReporter(InternetStatusListener* listener, uintptr_t context) {
    std::lock_guard<std::mutex> lock(gReportersMutex);
    uintptr_t id = gNextReporter++;
    gReporters[id] = Reporter{listener, context};
    return id;
}

void RemoveReporter(uintptr_t id) {
    std::lock_guard<std::mutex> lock(gReportersMutex);
    gReporters.erase(id);
}

void CALLBACK OnStatus(HINTERNET h, DWORD_PTR id, DWORD status, LPVOID info, DWORD length) {
    // Held during the report: a listener only stores what it is told.
    std::lock_guard<std::mutex> lock(gReportersMutex);
    auto it = gReporters.find(id);
    if (it != gReporters.end() && it->second.listener)
        it->second.listener->onStatus(h, it->second.context, status, info, length);
}

bool Fail(DWORD code) {
    SetLastError(code);
    return false;
}

// A text header of the response; empty when it has none.
std::string HeaderText(HINTERNET h, DWORD query) {
    DWORD len = 0, index = 0;
    if (HttpQueryInfoA(h, query, nullptr, &len, &index) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return {};
    if (len > kMaxHead) return {};
    std::string v(len, '\0');
    index = 0;
    if (!HttpQueryInfoA(h, query, v.data(), &len, &index)) return {};
    v.resize(len);
    return v;
}

// The scheme, host and port of a URL as WinInet reads it.
struct Cracked {
    bool ok = false;
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    std::string host;
    INTERNET_PORT port = 0;
};

Cracked CrackUrl(const std::string& url) {
    Cracked c;
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = "";
    URL_COMPONENTSA uc{};
    uc.dwStructSize = sizeof uc;
    uc.lpszHostName = host;
    uc.dwHostNameLength = sizeof host;
    if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &uc)) return c;
    c.ok = true;
    c.scheme = uc.nScheme;
    c.host.assign(host, uc.dwHostNameLength);
    for (char& ch : c.host)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
    c.port = uc.nPort;
    return c;
}

// Where a redirect from `from` leads: the Location resolved as WinInet
// resolves it; empty when it must not be followed. The portable rule
// reads the texts, and WinInet's own reading of scheme and port must
// agree with it.
std::string AllowedRedirect(const std::string& from, const std::string& location) {
    DWORD len = INTERNET_MAX_URL_LENGTH;
    std::string next(len, '\0');
    if (!InternetCombineUrlA(from.c_str(), location.c_str(), next.data(), &len, ICU_ENCODE_SPACES_ONLY)) return {};
    next.resize(len);
    if (!RedirectAllowed(from, next)) return {};
    Cracked a = CrackUrl(from), b = CrackUrl(next);
    if (!a.ok || !b.ok) return {};
    if (b.scheme != INTERNET_SCHEME_HTTP && b.scheme != INTERNET_SCHEME_HTTPS) return {};
    INTERNET_PORT own = b.scheme == INTERNET_SCHEME_HTTP ? INTERNET_DEFAULT_HTTP_PORT : INTERNET_DEFAULT_HTTPS_PORT;
    bool sameOrigin = a.scheme == b.scheme && a.host == b.host && a.port == b.port;
    if (b.port < 1024 && b.port != own && !sameOrigin) return {};
    return next;
}

bool IsRedirectStatus(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

class Request;

struct Session {
    HINTERNET h = nullptr;
    std::mutex mutex;
    bool closed = false;
    std::vector<Request*> live;
    InternetStatusListener* listener = nullptr;

    ~Session() {
        if (h) InternetCloseHandle(h);
    }
    void close();
};

// The outcome of one waiting call, shared with the pump.
struct Outcome {
    BOOL ok = FALSE;
    DWORD value = 0;
    DWORD error = 0;
};

// The thread that makes a request's waiting calls, one at a time. It
// lives until the request is gone and no call is under way, then closes
// the handle.
struct Pump {
    std::shared_ptr<Session> session;
    std::mutex m;
    std::condition_variable cv;
    std::function<void()> job;   // the call to make, empty when none
    bool busy = false;           // a job is running
    bool aborted = false;        // the session was closed
    bool released = false;       // the request is gone
    bool finished = false;       // the handle is closed
    HINTERNET h = nullptr;
    uintptr_t reporter = 0;      // removed once the handle is closed
    // Reads land here, never in the caller's memory: a read left behind by
    // a close may still complete after the caller has gone.
    std::vector<char> block;

    void run() {
        std::unique_lock<std::mutex> lock(m);
        for (;;) {
            cv.wait(lock, [&] { return job || released; });
            if (!job) break;
            auto work = std::move(job);
            job = nullptr;
            if (aborted) continue;
            busy = true;
            lock.unlock();
            work();
            lock.lock();
            busy = false;
            cv.notify_all();
            if (released) break;
        }
        HINTERNET handle = h;
        h = nullptr;
        lock.unlock();
        // Closing reports handle closing, the last report of a request.
        if (handle) InternetCloseHandle(handle);
        RemoveReporter(reporter);
        lock.lock();
        finished = true;
        cv.notify_all();
    }

    // One read that waits only for the first bytes. InternetReadFile
    // fills the whole buffer before it returns (with or without
    // IRF_NO_WAIT when nothing is buffered), so first ask how much has
    // come, which waits until something has. Less than the library's own
    // buffer: read that and hand it over. A full buffer says the data
    // flows: read a larger piece, which WinInet may hold back until it is
    // complete (at most kFlowing bytes wait for a server that stops
    // there). Each call costs much under Wine; 8 KB pieces would cut the
    // throughput to a tenth.
    void readSome(uint32_t want, Outcome& o) {
        DWORD avail = 0;
        o.value = 0;
        o.ok = InternetQueryDataAvailable(h, &avail, 0, 0);
        if (o.ok && avail) {
            DWORD n = avail < kLibraryBuffer ? avail : std::max<DWORD>(avail, kFlowing);
            o.ok = InternetReadFile(h, block.data(), std::min<DWORD>(n, want), &o.value);
        }
        o.error = o.ok ? 0 : GetLastError();
    }

    // Runs work on the pump and waits for it; false when the session was
    // closed first (the work then ends on its own, so it must own or share
    // everything it touches).
    bool call(std::function<void()> work) {
        std::unique_lock<std::mutex> lock(m);
        if (aborted) return false;
        job = std::move(work);
        cv.notify_all();
        cv.wait(lock, [&] { return (!job && !busy) || aborted; });
        return !aborted || (!job && !busy);
    }
    void abort() {
        std::lock_guard<std::mutex> lock(m);
        aborted = true;
        cv.notify_all();
    }
};

// What a request asks on every hop of its redirects.
struct Asked {
    std::string url;  // of the current hop
    std::string headers;
    bool withHeaders = false;
    DWORD flags = 0;  // with INTERNET_FLAG_NO_AUTO_REDIRECT: the hops are ours
    bool follow = true;
    // The proxy's credentials, once the caller gave them after a 407: a
    // later hop that is asked for them again gets them.
    bool proxyGiven = false;
    std::string proxyUser, proxyPassword;
};

// Reads and drops what is left of a response.
void Drain(HINTERNET h) {
    char scratch[8192];
    for (DWORD got = 1; got;) {
        got = 0;
        if (!InternetReadFile(h, scratch, sizeof scratch, &got)) return;
    }
}

// Follows the redirects of the response on h, on the pump's thread: each
// target is judged (AllowedRedirect) before a fresh open sends anything
// to it. h ends as the handle of the final response, or null with the
// error returned.
DWORD FollowRedirects(Pump& pump, HINTERNET session, HINTERNET& h, Asked& a, uintptr_t reporter) {
    for (int hops = 0;; ++hops) {
        DWORD type = 0, len = sizeof type;
        if (!InternetQueryOptionA(h, INTERNET_OPTION_HANDLE_TYPE, &type, &len) || type != INTERNET_HANDLE_TYPE_HTTP_REQUEST)
            return 0;
        DWORD status = 0, index = 0;
        len = sizeof status;
        if (!HttpQueryInfoA(h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, &index)) return 0;
        if (status == 407 && a.proxyGiven && hops > 0) {
            Drain(h);
            if (!InternetSetOptionA(h, INTERNET_OPTION_PROXY_USERNAME, a.proxyUser.data(),
                                    static_cast<DWORD>(a.proxyUser.size() + 1)) ||
                !InternetSetOptionA(h, INTERNET_OPTION_PROXY_PASSWORD, a.proxyPassword.data(),
                                    static_cast<DWORD>(a.proxyPassword.size() + 1)) ||
                !HttpSendRequestA(h, nullptr, 0, nullptr, 0))
                return 0;  // the 407 goes to the caller
            index = 0;
            len = sizeof status;
            if (!HttpQueryInfoA(h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, &index)) return 0;
        }
        if (!IsRedirectStatus(status)) return 0;
        std::string location = HeaderText(h, HTTP_QUERY_LOCATION);
        if (location.empty()) return 0;  // the answer itself is the final one
        std::string next = hops < kMaxRedirects ? AllowedRedirect(a.url, location) : std::string();
        {
            std::lock_guard<std::mutex> lock(pump.m);
            if (pump.aborted) return 0;
        }
        if (next.empty()) {
            InternetCloseHandle(h);
            h = nullptr;
            return kErrorRedirectFailed;
        }
        OnStatus(h, reporter, INTERNET_STATUS_REDIRECT, next.data(), static_cast<DWORD>(next.size() + 1));
        InternetCloseHandle(h);
        a.url = next;
        h = InternetOpenUrlA(session, a.url.c_str(), a.withHeaders ? a.headers.c_str() : nullptr,
                             static_cast<DWORD>(a.headers.size()), a.flags, reporter);
        if (!h) return GetLastError();
    }
}

class Request final : public InternetRequest {
public:
    Request(std::shared_ptr<Pump> pump, uintptr_t reporter) : pump_(std::move(pump)), reporter_(reporter) {}
    ~Request() override;

    void abort() { pump_->abort(); }
    // Opens on the pump; 0 or the error code.
    DWORD open(HINTERNET session, const char* url, const char* headers, uint32_t headersLength, uint32_t flags);

    void* handle() const override { return pump_->h; }
    bool read(void* buf, uint32_t n, uint32_t& got) override;
    bool write(const void* buf, uint32_t n, uint32_t& written) override {
        written = 0;
        if (!usable()) return Fail(kErrorCancelled);
        DWORD w = 0;
        BOOL ok = InternetWriteFile(pump_->h, buf, n, &w);
        written = w;
        return ok;
    }
    long long setFilePointer(long long offset, int origin) override {
        if (!usable()) return Fail(kErrorCancelled), -1;
        blockPos_ = blockEnd_ = 0;
        LONG high = static_cast<LONG>(offset >> 32);
        DWORD low = InternetSetFilePointer(pump_->h, static_cast<LONG>(offset & 0xFFFFFFFF), &high,
                                           static_cast<DWORD>(origin), reporter_);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
        return (static_cast<long long>(high) << 32) | low;
    }
    bool queryDataAvailable(uint32_t& n) override;
    bool queryInfo(uint32_t query, void* buf, uint32_t& length) override {
        if (!usable()) return Fail(kErrorCancelled);
        DWORD len = length, index = 0;
        BOOL ok = HttpQueryInfoA(pump_->h, query, buf, &len, &index);
        length = len;
        return ok;
    }
    bool queryOption(uint32_t option, void* buf, uint32_t& length) override {
        if (!usable()) return Fail(kErrorCancelled);
        DWORD len = length;
        BOOL ok = InternetQueryOptionA(pump_->h, option, buf, &len);
        length = len;
        return ok;
    }
    bool setOption(uint32_t option, const void* buf, uint32_t length) override {
        if (!usable()) return Fail(kErrorCancelled);
        if ((option == kOptionProxyUsername || option == kOptionProxyPassword) && buf) {
            const char* p = static_cast<const char*>(buf);
            std::string v(p, strnlen(p, length));
            std::lock_guard<std::mutex> lock(pump_->m);
            (option == kOptionProxyUsername ? asked_->proxyUser : asked_->proxyPassword) = v;
            asked_->proxyGiven = true;
        }
        return InternetSetOptionA(pump_->h, option, const_cast<void*>(buf), length);
    }
    bool sendRequest(const char* headers, uint32_t length) override;

private:
    bool usable() {
        std::lock_guard<std::mutex> lock(pump_->m);
        return !pump_->aborted && pump_->h;
    }
    // Refuses what is no HTTP answer and learns the body's length.
    DWORD checkHead();

    std::shared_ptr<Pump> pump_;
    uintptr_t reporter_;
    std::shared_ptr<Asked> asked_ = std::make_shared<Asked>();
    long long expected_ = -1;  // Content-Length of an http body, -1 unknown
    long long received_ = 0;
    uint32_t blockPos_ = 0, blockEnd_ = 0;  // unread part of the pump's block
};

void Session::close() {
    std::lock_guard<std::mutex> lock(mutex);
    closed = true;
    for (Request* r : live) r->abort();
}

Request::~Request() {
    {
        std::shared_ptr<Session> s = pump_->session;
        std::lock_guard<std::mutex> lock(s->mutex);
        s->live.erase(std::remove(s->live.begin(), s->live.end(), this), s->live.end());
    }
    std::unique_lock<std::mutex> lock(pump_->m);
    pump_->released = true;
    pump_->cv.notify_all();
    if (pump_->busy || pump_->job || pump_->aborted) {
        // A call left behind by a close, or a close of the handle that Wine
        // may hold up while the rest of a body arrives (a body without
        // end): the pump finishes on its own. No more reports for this
        // request.
        RemoveReporter(reporter_);
        return;
    }
    pump_->cv.wait(lock, [&] { return pump_->finished; });
}

DWORD Request::open(HINTERNET session, const char* url, const char* headers, uint32_t headersLength, uint32_t flags) {
    struct Call {
        DWORD error = 0;
    };
    auto c = std::make_shared<Call>();
    std::shared_ptr<Asked> a = asked_;
    a->url = url ? url : "";
    a->withHeaders = headers != nullptr;
    if (headers)
        a->headers.assign(headers, headersLength == static_cast<uint32_t>(-1) ? strlen(headers) : headersLength);
    a->follow = !(flags & kFlagNoAutoRedirect);
    a->flags = flags | INTERNET_FLAG_NO_AUTO_REDIRECT;
    std::shared_ptr<Pump> pump = pump_;
    uintptr_t reporter = reporter_;
    bool done = pump->call([c, a, pump, session, reporter] {
        HINTERNET h = InternetOpenUrlA(session, a->url.c_str(), a->withHeaders ? a->headers.c_str() : nullptr,
                                       static_cast<DWORD>(a->headers.size()), a->flags, reporter);
        DWORD e = h ? 0 : GetLastError();
        if (h && a->follow) e = FollowRedirects(*pump, session, h, *a, reporter);
        std::lock_guard<std::mutex> lock(pump->m);
        pump->h = h;  // closed by the pump at its end, also when abandoned
        c->error = e;
    });
    if (!done) return kErrorCancelled;
    if (!pump->h) return c->error ? c->error : static_cast<DWORD>(kErrorInternal);
    return checkHead();
}

DWORD Request::checkHead() {
    expected_ = -1;
    received_ = 0;
    blockPos_ = blockEnd_ = 0;
    HINTERNET h = pump_->h;
    DWORD type = 0, len = sizeof type;
    if (!InternetQueryOptionA(h, INTERNET_OPTION_HANDLE_TYPE, &type, &len) || type != INTERNET_HANDLE_TYPE_HTTP_REQUEST)
        return 0;
    // What is no HTTP answer is refused, as on the POSIX side. WinInet
    // takes bytes that are no response for the body of a made-up
    // "HTTP/1.0 200 OK" without a single header line; every real server
    // sends some.
    DWORD index = 0;
    len = 0;
    if (HttpQueryInfoA(h, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &len, &index) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return kErrorInvalidServerResponse;
    if (len > kMaxHead) return kErrorInvalidServerResponse;
    std::string raw(len, '\0');
    index = 0;
    if (!HttpQueryInfoA(h, HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &len, &index)) return kErrorInvalidServerResponse;
    raw.resize(len);
    size_t firstEnd = raw.find("\r\n");
    if (firstEnd == std::string::npos || raw.compare(firstEnd, 4, "\r\n\r\n") == 0) return kErrorInvalidServerResponse;
    DWORD status = 0, n = sizeof status;
    index = 0;
    if (!HttpQueryInfoA(h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &n, &index)) return 0;
    if (status / 100 == 1 || status == 204 || status == 304) return 0;
    // The length as a text: a number query would cut lengths above 4 GB.
    char text[32];
    n = sizeof text;
    index = 0;
    if (HttpQueryInfoA(h, HTTP_QUERY_CONTENT_LENGTH, text, &n, &index)) expected_ = _atoi64(text);
    return 0;
}

bool Request::read(void* buf, uint32_t n, uint32_t& got) {
    got = 0;
    if (n == 0) return true;
    if (blockPos_ == blockEnd_) {
        std::shared_ptr<Pump> pump = pump_;
        auto o = std::make_shared<Outcome>();
        uint32_t want = std::max(n, kBlock);
        if (!pump->call([pump, o, want] {
                if (pump->block.size() < want) pump->block.resize(want);
                pump->readSome(want, *o);
            }))
            return Fail(kErrorCancelled);
        if (!o->ok) return Fail(o->error);
        received_ += o->value;
        if (o->value == 0 && expected_ >= 0 && received_ < expected_) return Fail(kErrorConnectionAborted);
        blockPos_ = 0;
        blockEnd_ = o->value;
    }
    uint32_t k = std::min(n, blockEnd_ - blockPos_);
    memcpy(buf, pump_->block.data() + blockPos_, k);
    blockPos_ += k;
    got = k;
    return true;
}

bool Request::queryDataAvailable(uint32_t& n) {
    n = blockEnd_ - blockPos_;
    if (n) return true;
    std::shared_ptr<Pump> pump = pump_;
    auto o = std::make_shared<Outcome>();
    if (!pump->call([pump, o] {
            o->ok = InternetQueryDataAvailable(pump->h, &o->value, 0, 0);
            o->error = o->ok ? 0 : GetLastError();
        }))
        return Fail(kErrorCancelled);
    n = o->value;
    return o->ok || Fail(o->error);
}

bool Request::sendRequest(const char* headers, uint32_t length) {
    std::shared_ptr<Pump> pump = pump_;
    auto o = std::make_shared<Outcome>();
    auto hd = std::make_shared<std::string>(headers ? std::string(headers, length) : std::string());
    bool withHeaders = headers != nullptr;
    std::shared_ptr<Asked> a = asked_;
    uintptr_t reporter = reporter_;
    if (!pump->call([pump, o, hd, withHeaders, a, reporter] {
            o->ok = HttpSendRequestA(pump->h, withHeaders ? hd->c_str() : nullptr, static_cast<DWORD>(hd->size()),
                                     nullptr, 0);
            o->error = o->ok ? 0 : GetLastError();
            if (!o->ok || !a->follow) return;
            // The answer sent again (after a 407) may be a redirect too.
            HINTERNET h = pump->h;
            DWORD e = FollowRedirects(*pump, pump->session->h, h, *a, reporter);
            std::lock_guard<std::mutex> lock(pump->m);
            pump->h = h;
            if (!h) {
                o->ok = FALSE;
                o->error = e ? e : static_cast<DWORD>(kErrorInternal);
            }
        }))
        return Fail(kErrorCancelled);
    if (!o->ok) return Fail(o->error);
    DWORD e = checkHead();
    return e ? Fail(e) : true;
}

// WinInet takes a port above 65535 modulo 65536 and would fetch from
// another port: such a URL is refused.
bool PortInRange(const char* url) {
    const char* p = url ? strstr(url, "://") : nullptr;
    if (!p) return true;
    p += 3;
    const char* end = p + strcspn(p, "/?#\\");
    const char* colon = nullptr;
    for (const char* q = p; q < end; ++q) {
        if (*q == '@' || *q == ']') colon = nullptr;
        else if (*q == ':') colon = q;
    }
    if (!colon) return true;
    unsigned long port = 0;
    for (const char* q = colon + 1; q < end; ++q) {
        if (*q < '0' || *q > '9') return true;  // not a port: WinInet's own check
        port = port * 10 + static_cast<unsigned long>(*q - '0');
        if (port > 65535) return false;
    }
    return true;
}

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

std::unique_ptr<InternetRequest> WinSession::openUrl(const char* url, const char* headers, uint32_t headersLength,
                                                     uint32_t flags, uintptr_t context) {
    // Refused before any connection: a selector, path or host that would
    // put a line of its own into what is sent.
    if (!PortInRange(url) || (url && UrlCarriesControlBytes(url))) {
        Fail(kErrorInvalidUrl);
        return nullptr;
    }
    auto pump = std::make_shared<Pump>();
    pump->session = s_;
    std::unique_ptr<Request> r;
    {
        std::lock_guard<std::mutex> lock(s_->mutex);
        if (s_->closed) {
            Fail(kErrorCancelled);
            return nullptr;
        }
        pump->reporter = AddReporter(s_->listener, context);
        r = std::make_unique<Request>(pump, pump->reporter);
        s_->live.push_back(r.get());
    }
    try {
        std::thread([pump] { pump->run(); }).detach();
    } catch (...) {
        Fail(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DWORD e = r->open(s_->h, url, headers, headersLength, flags);
    if (e) {
        r.reset();
        SetLastError(e);
        return nullptr;
    }
    return r;
}

}  // namespace

std::unique_ptr<InternetSession> InternetSession::Open(const char* agent, uint32_t accessType, const char* proxy,
                                                       const char* proxyBypass, uint32_t flags) {
    if (accessType != kOpenPreconfig && accessType != kOpenDirect && accessType != kOpenProxy &&
        accessType != INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // The library holds every server to two connections at once (four
    // for HTTP/1.0): five downloads would fetch two files at a time. The
    // engine keeps to the job's own count of downloads at once.
    static std::once_flag raised;
    std::call_once(raised, [] {
        DWORD most = kMostConnectionsPerServer;
        InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &most, sizeof most);
        InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &most, sizeof most);
    });
    HINTERNET h = InternetOpenA(agent, accessType, proxy, proxyBypass, flags);
    if (!h) return nullptr;
    InternetSetStatusCallbackA(h, &OnStatus);
    DWORD timeout = kReceiveTimeoutMs;
    InternetSetOptionA(h, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
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

std::string InternetErrorWords(int code) {
    std::string words;
    if (code == kErrorExtended) {
        // The server's own answer (an FTP reply), which the library keeps
        // for this thread.
        DWORD error = 0, length = 0;
        InternetGetLastResponseInfoA(&error, nullptr, &length);
        if (length) {
            words.resize(length + 1);
            DWORD size = length + 1;
            if (InternetGetLastResponseInfoA(&error, words.data(), &size)) words.resize(size);
            else words.clear();
        }
    } else if (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST) {
        char buf[512];
        DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 GetModuleHandleA("wininet.dll"), static_cast<DWORD>(code), 0, buf, sizeof buf,
                                 nullptr);
        words.assign(buf, n);
    }
    while (!words.empty() && (words.back() == '\r' || words.back() == '\n' || words.back() == ' ' || words.back() == '\0'))
        words.pop_back();
    return words;
}

}  // namespace platform
