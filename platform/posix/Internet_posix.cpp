// The internet library over libcurl. Each request drives its own curl
// multi handle on the caller's thread: open runs the transfer until the
// final response head is in, every read runs it until some body bytes
// arrived. The body goes straight into the reader's buffer where it can,
// and at most kMaxPending bytes wait beside it; beyond that the transfer
// pauses, so memory stays flat whatever the body's size. Closing the
// session wakes a blocked poll from any thread.

#include "platform/Internet.h"

#include <curl/curl.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <ctime>
#include <mutex>
#include <netinet/in.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "platform/File.h"
#include "platform/UrlSafety.h"
#include "platform/posix/CurlHandlePool_posix.h"
#include "platform/posix/Errors_posix.h"

namespace platform {

using namespace inet;

namespace {

constexpr size_t kMaxPending = 1 << 20;
// A response head larger than this is refused: a server that sends header
// lines without end must not grow our memory.
constexpr size_t kMaxHead = 256 * 1024;
constexpr long kMaxRedirects = 20;
constexpr int kPollMs = 1000;

std::mutex gCaMutex;
std::string gTestCa;

void CurlGlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int FailWith(int code) {
    SetLastErrorCode(code);
    return code;
}

// curl's own words for the last transfer of this thread that failed, and
// the code it was given as.
struct ErrorWords {
    int code = 0;
    std::string words;
};
thread_local ErrorWords tLastWords;

// curl's failures as the WinInet codes the program shows and reacts to.
int ErrorOfCurl(CURLcode c) {
    switch (c) {
    case CURLE_OK: return 0;
    case CURLE_UNSUPPORTED_PROTOCOL: return kErrorInvalidServerResponse;  // also an HTTP/0.9 answer
    case CURLE_URL_MALFORMAT: return kErrorInvalidUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST: return kErrorNameNotResolved;
    case CURLE_COULDNT_CONNECT: return kErrorCannotConnect;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_HTTP2:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT: return kErrorInvalidServerResponse;
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_QUOTE_ERROR: return kErrorExtended;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR: return kErrorConnectionAborted;
    case CURLE_OPERATION_TIMEDOUT: return kErrorTimeout;
    case CURLE_TOO_MANY_REDIRECTS: return kErrorRedirectFailed;
    case CURLE_LOGIN_DENIED: return kErrorLoginFailure;
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_WRITE_ERROR: return kErrorCancelled;
    case CURLE_PEER_FAILED_VERIFICATION: return kErrorInvalidCa;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_USE_SSL_FAILED: return kErrorSecurityChannel;
    case CURLE_OUT_OF_MEMORY: return kErrorInvalidServerResponse;  // a header line over curl's limit
    default: return kErrorInternal;
    }
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
    return s;
}

// A URL part as curl reads it; empty when it has none.
std::string PartOf(CURLU* u, CURLUPart what, unsigned flags = 0) {
    char* part = nullptr;
    std::string r;
    if (curl_url_get(u, what, &part, flags) == CURLUE_OK && part) r = part;
    curl_free(part);
    return r;
}

// The redirect from `from` to `location` (as the server wrote it), resolved
// by curl as it would follow it; empty when it must not be followed: to
// another scheme than http and https, with control bytes, or to a port of
// another service (platform/UrlSafety.h). The port is taken as curl reads
// it, beside the portable reading, so that the two cannot disagree on
// where the request goes.
std::string AllowedRedirect(const std::string& from, const std::string& location) {
    CURLU* u = curl_url();
    if (!u) return {};
    std::string to, scheme, host, fromScheme, fromHost;
    long port = -1, fromPort = -1;
    if (curl_url_set(u, CURLUPART_URL, from.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK) {
        fromScheme = PartOf(u, CURLUPART_SCHEME);
        fromHost = PartOf(u, CURLUPART_HOST);
        fromPort = atol(PartOf(u, CURLUPART_PORT, CURLU_DEFAULT_PORT).c_str());
        // With the flags curl follows a redirect with, and any scheme, so
        // that another one is read (and refused below) rather than lost.
        unsigned asFollowed = CURLU_NON_SUPPORT_SCHEME | CURLU_URLENCODE | CURLU_ALLOW_SPACE;
        if (curl_url_set(u, CURLUPART_URL, location.c_str(), asFollowed) == CURLUE_OK) {
            to = PartOf(u, CURLUPART_URL);
            scheme = PartOf(u, CURLUPART_SCHEME);
            host = PartOf(u, CURLUPART_HOST);
            std::string p = PartOf(u, CURLUPART_PORT, CURLU_DEFAULT_PORT);
            port = p.empty() ? -1 : atol(p.c_str());
        }
    }
    curl_url_cleanup(u);
    if (to.empty() || !RedirectAllowed(from, to)) return {};
    if (scheme != "http" && scheme != "https") return {};
    bool sameOrigin = scheme == fromScheme && EqualNoCase(host, fromHost) && port == fromPort;
    if ((port < 1024 && port != SchemeDefaultPort(scheme) && !sameOrigin) || port > 65535) return {};
    return to;
}

// The header names of the queries that name one header.
const char* NameOfQuery(uint32_t level) {
    switch (level) {
    case kQueryContentType: return "Content-Type";
    case 2: return "Content-Transfer-Encoding";
    case kQueryContentLength: return "Content-Length";
    case 6: return "Content-Language";
    case 7: return "Allow";
    case 9: return "Date";
    case 10: return "Expires";
    case kQueryLastModified: return "Last-Modified";
    case kQueryContentEncoding: return "Content-Encoding";
    case kQueryLocation: return "Location";
    case 36: return "Server";
    case 42: return "Set-Cookie";
    case 44: return "Cache-Control";
    case 46: return "Accept-Ranges";
    case 47: return "ETag";
    case kQueryContentRange: return "Content-Range";
    case kQueryTransferEncoding: return "Transfer-Encoding";
    case 40: return "WWW-Authenticate";
    case 41: return "Proxy-Authenticate";
    case 35: return "Connection";
    default: return nullptr;
    }
}

struct Session;

class CurlRequest final : public InternetRequest {
public:
    CurlRequest(std::shared_ptr<Session> session, InternetStatusListener* listener, uintptr_t context)
        : session_(std::move(session)), listener_(listener), context_(context) {}
    ~CurlRequest() override;

    // 0, or the error code.
    int open(const char* url, const char* headers, uint32_t headersLength, uint32_t flags);
    void abort();

    void* handle() const override { return const_cast<CurlRequest*>(this); }
    bool read(void* buf, uint32_t n, uint32_t& got) override;
    bool write(const void*, uint32_t, uint32_t& written) override {
        written = 0;
        FailWith(kErrorInvalidOperation);
        return false;
    }
    long long setFilePointer(long long, int) override {
        FailWith(kErrorInvalidOperation);
        return -1;
    }
    bool queryDataAvailable(uint32_t& n) override;
    bool queryInfo(uint32_t query, void* buf, uint32_t& length) override;
    bool queryOption(uint32_t option, void* buf, uint32_t& length) override;
    bool setOption(uint32_t option, const void* buf, uint32_t length) override;
    bool sendRequest(const char* headers, uint32_t length) override;

private:
    static size_t OnHeader(char* p, size_t size, size_t n, void* self);
    static size_t OnBody(char* p, size_t size, size_t n, void* self);
    static curl_socket_t OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);
    static int OnPrereq(void* self, char* conn_primary_ip, char* conn_local_ip, int conn_primary_port,
                        int conn_local_port);
    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    void report(uint32_t status, const void* info = nullptr, uint32_t length = 0);
    void reportText(uint32_t status, const std::string& text) {
        report(status, text.c_str(), static_cast<uint32_t>(text.size() + 1));
    }
    int start();
    // Runs the transfer one step; false once it ended (done_) or was aborted.
    bool step();
    bool headerLine(std::string_view line);
    const std::string* findHeader(std::string_view name) const;
    bool failed(int code) {
        FailWith(code);
        return false;
    }

    std::shared_ptr<Session> session_;
    InternetStatusListener* listener_;
    uintptr_t context_;
    CURLM* multi_ = nullptr;
    CURL* easy_ = nullptr;
    bool added_ = false;  // easy_ is in multi_
    std::string place_;   // scheme, host and proxy: which kept handles suit it
    curl_slist* requestHeaders_ = nullptr;
    std::atomic<bool> aborted_{false};

    std::string url_;
    bool http_ = false;
    uint32_t handleType_ = 0;
    bool followRedirects_ = true;
    bool viaProxy_ = false;
    std::string proxyUser_, proxyPassword_;
    bool sentRequest_ = false, receiving_ = false;

    // The response being received and the final one.
    std::vector<std::string> head_, finalHead_;
    int status_ = 0;
    size_t headBytes_ = 0;
    bool headDone_ = false;
    bool done_ = false;
    int error_ = 0;       // of the transfer once done_, or set by a callback
    char errorText_[CURL_ERROR_SIZE] = {};  // curl's words for a failed transfer
    uint64_t bodyBytes_ = 0;

    // Body bytes handed over: into the reader's buffer first, the rest
    // waits in pending_.
    char* dest_ = nullptr;
    size_t destCap_ = 0, destGot_ = 0;
    std::vector<char> pending_;
    size_t pendingPos_ = 0;
    bool paused_ = false;
};

// A session's state, shared with the requests opened through it.
struct Session {
    std::string agent, proxy, bypass;
    uint32_t access = kOpenPreconfig;
    std::mutex mutex;
    bool closed = false;
    std::vector<CurlRequest*> live;
    InternetStatusListener* listener = nullptr;

    void close() {
        std::lock_guard<std::mutex> lock(mutex);
        closed = true;
        for (CurlRequest* r : live) r->abort();
    }
};

class CurlSession final : public InternetSession {
public:
    explicit CurlSession(std::shared_ptr<Session> s) : s_(std::move(s)) {}
    ~CurlSession() override { s_->close(); }
    void close() override { s_->close(); }
    InternetStatusListener* setStatusListener(InternetStatusListener* l) override {
        std::lock_guard<std::mutex> lock(s_->mutex);
        std::swap(s_->listener, l);
        return l;
    }
    std::unique_ptr<InternetRequest> openUrl(const char* url, const char* headers, uint32_t headersLength,
                                             uint32_t flags, uintptr_t context) override;
    void* handle() const override { return s_.get(); }

private:
    std::shared_ptr<Session> s_;
};

std::unique_ptr<InternetRequest> CurlSession::openUrl(const char* url, const char* headers, uint32_t headersLength,
                                                      uint32_t flags, uintptr_t context) {
    InternetStatusListener* l;
    {
        std::lock_guard<std::mutex> lock(s_->mutex);
        if (s_->closed) {
            FailWith(kErrorCancelled);
            return nullptr;
        }
        l = s_->listener;
    }
    auto r = std::make_unique<CurlRequest>(s_, l, context);
    if (r->open(url, headers, headersLength, flags) != 0) return nullptr;
    return r;
}

// --- CurlRequest -----------------------------------------------------------

void CurlRequest::report(uint32_t status, const void* info, uint32_t length) {
    if (listener_) listener_->onStatus(handle(), context_, status, info, length);
}

void CurlRequest::abort() {
    aborted_ = true;
    if (multi_) curl_multi_wakeup(multi_);
}

CurlRequest::~CurlRequest() {
    {
        std::lock_guard<std::mutex> lock(session_->mutex);
        auto& v = session_->live;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    if (added_) curl_multi_remove_handle(multi_, easy_);
    // The handles go back with the connections they keep; a transfer the
    // user stopped may have left its connection in any state.
    if (multi_ && !aborted_) CurlHandlePool::instance().give(place_, {multi_, easy_});
    else CurlHandlePool::destroy({multi_, easy_});
    curl_slist_free_all(requestHeaders_);
    // The last report of a handle, as the platform's library makes it.
    void* h = handle();
    report(kStatusHandleClosing, &h, sizeof h);
}

int CurlRequest::open(const char* url, const char* headers, uint32_t headersLength, uint32_t flags) {
    if (!url || !*url) return FailWith(kErrorInvalidUrl);
    // Refused before any connection: a selector, path or host that would
    // put a line of its own into what is sent.
    if (UrlCarriesControlBytes(url)) return FailWith(kErrorInvalidUrl);
    url_ = url;
    CURLU* u = curl_url();
    std::string scheme, host;
    if (curl_url_set(u, CURLUPART_URL, url, CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        curl_url_cleanup(u);
        return FailWith(kErrorInvalidUrl);
    }
    char* part = nullptr;
    if (curl_url_get(u, CURLUPART_SCHEME, &part, 0) == CURLUE_OK) scheme = part;
    curl_free(part);
    part = nullptr;
    if (curl_url_get(u, CURLUPART_HOST, &part, 0) == CURLUE_OK) host = part;
    curl_free(part);
    curl_url_cleanup(u);
    if (scheme == "http" || scheme == "https") {
        http_ = true;
        handleType_ = kHandleHttpRequest;
    } else if (scheme == "ftp") {
        handleType_ = kHandleFtpFile;
    } else if (scheme == "gopher") {
        handleType_ = kHandleGopherFile;
    } else {
        return FailWith(kErrorUnrecognizedScheme);
    }
    followRedirects_ = !(flags & kFlagNoAutoRedirect);
    if (headers) {
        std::string_view all(headers, headersLength == static_cast<uint32_t>(-1) ? strlen(headers) : headersLength);
        while (!all.empty()) {
            size_t end = all.find('\n');
            std::string line(Trim(all.substr(0, end)));
            all = end == std::string_view::npos ? std::string_view() : all.substr(end + 1);
            if (!line.empty()) requestHeaders_ = curl_slist_append(requestHeaders_, line.c_str());
        }
    }
    {
        std::lock_guard<std::mutex> lock(session_->mutex);
        if (session_->closed) return FailWith(kErrorCancelled);
        session_->live.push_back(this);
        viaProxy_ = session_->access == kOpenProxy && !session_->proxy.empty();
    }
    place_ = scheme + "://" + host;
    if (viaProxy_) {
        std::lock_guard<std::mutex> lock(session_->mutex);
        place_ += " via " + session_->proxy;
    }
    CurlHandles kept = CurlHandlePool::instance().take(place_);
    multi_ = kept.multi;
    easy_ = kept.easy;
    if (!multi_) return FailWith(kErrorInternal);
    struct {
        void* handle;
        uint32_t error;
    } created{handle(), 0};
    report(kStatusHandleCreated, &created, sizeof created);
    reportText(kStatusResolvingName, host);
    int e = start();
    if (e) return FailWith(e);
    while (!headDone_ && step()) {
    }
    struct {
        void* result;
        uint32_t error;
    } complete{handle(), 0};
    if (aborted_) {
        complete.error = kErrorCancelled;
    } else if (!headDone_ && done_ && error_) {
        complete.error = static_cast<uint32_t>(error_);
    }
    report(kStatusRequestComplete, &complete, sizeof complete);
    return complete.error ? FailWith(static_cast<int>(complete.error)) : 0;
}

int CurlRequest::start() {
    if (added_) curl_multi_remove_handle(multi_, easy_);
    added_ = false;
    // Every option from the start; the connections and caches stay.
    curl_easy_reset(easy_);
    tLastWords = {};
    head_.clear();
    finalHead_.clear();
    status_ = 0;
    headBytes_ = 0;
    headDone_ = done_ = false;
    error_ = 0;
    bodyBytes_ = 0;
    pending_.clear();
    pendingPos_ = 0;
    paused_ = false;
    sentRequest_ = receiving_ = false;

    CURL* c = easy_;
    curl_easy_setopt(c, CURLOPT_URL, url_.c_str());
    errorText_[0] = '\0';
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText_);
#if LIBCURL_VERSION_NUM >= 0x075500  // 7.85: the protocol lists as texts
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https,ftp,gopher");
    // A redirect stays on http and https (the header callback refuses the
    // others first; this holds should it not), and credentials never go
    // to a host a redirect names.
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(c, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS | CURLPROTO_FTP | CURLPROTO_GOPHER));
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    curl_easy_setopt(c, CURLOPT_UNRESTRICTED_AUTH, 0L);
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, followRedirects_ ? 1L : 0L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, &OnOpenSocket);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, &OnPrereq);
    curl_easy_setopt(c, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(c, CURLOPT_BUFFERSIZE, 64L * 1024);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 60L);
    // A server that sends nothing for a minute is given up, as the
    // platform's receive timeout does.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(c, CURLOPT_FTP_USE_EPSV, 0L);
    if (requestHeaders_) curl_easy_setopt(c, CURLOPT_HTTPHEADER, requestHeaders_);
    {
        std::lock_guard<std::mutex> lock(session_->mutex);
        curl_easy_setopt(c, CURLOPT_USERAGENT, session_->agent.c_str());
        if (session_->access == kOpenProxy) {
            curl_easy_setopt(c, CURLOPT_PROXY, session_->proxy.c_str());
            if (!session_->bypass.empty()) curl_easy_setopt(c, CURLOPT_NOPROXY, session_->bypass.c_str());
        } else if (session_->access == kOpenDirect) {
            curl_easy_setopt(c, CURLOPT_PROXY, "");
        }
    }
    if (!proxyUser_.empty()) {
        curl_easy_setopt(c, CURLOPT_PROXYUSERNAME, proxyUser_.c_str());
        curl_easy_setopt(c, CURLOPT_PROXYPASSWORD, proxyPassword_.c_str());
        curl_easy_setopt(c, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    }
    {
        std::lock_guard<std::mutex> lock(gCaMutex);
        if (!gTestCa.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, gTestCa.c_str());
    }
    if (curl_multi_add_handle(multi_, c) != CURLM_OK) return kErrorInternal;
    added_ = true;
    return 0;
}

bool CurlRequest::step() {
    if (aborted_) return false;
    if (done_) return false;
    int running = 0;
    curl_multi_perform(multi_, &running);
    int left = 0;
    while (CURLMsg* m = curl_multi_info_read(multi_, &left)) {
        if (m->msg == CURLMSG_DONE && m->easy_handle == easy_) {
            done_ = true;
            if (!error_) {
                error_ = ErrorOfCurl(m->data.result);
                if (error_) tLastWords = {error_, errorText_[0] ? errorText_ : curl_easy_strerror(m->data.result)};
            }
            // A body shorter than its announced length is a cut transfer.
            if (!error_ && http_) {
                curl_off_t expected = -1;
                curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
                if (expected >= 0 && static_cast<uint64_t>(expected) > bodyBytes_ && status_ != 304 &&
                    status_ / 100 != 1)
                    error_ = kErrorConnectionAborted;
            }
        }
    }
    if (done_ || aborted_) return false;
    if (destGot_ > 0 || (headDone_ && !dest_)) return true;
    curl_multi_poll(multi_, nullptr, 0, kPollMs, nullptr);
    return !aborted_;
}

const std::string* CurlRequest::findHeader(std::string_view name) const {
    for (size_t i = 1; i < finalHead_.size(); ++i) {
        std::string_view line = finalHead_[i];
        size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualNoCase(Trim(line.substr(0, colon)), name)) return &finalHead_[i];
    }
    return nullptr;
}

bool CurlRequest::headerLine(std::string_view line) {
    headBytes_ += line.size();
    if (headBytes_ > kMaxHead) {
        error_ = kErrorInvalidServerResponse;
        return false;
    }
    if (!receiving_) {
        receiving_ = true;
        if (!sentRequest_) report(kStatusRequestSent);
        report(kStatusReceivingResponse);
    }
    line = Trim(line);
    if (line.starts_with("HTTP/")) {
        head_.clear();
        head_.emplace_back(line);
        size_t sp = line.find(' ');
        status_ = sp == std::string_view::npos ? 0 : atoi(std::string(line.substr(sp + 1, 3)).c_str());
        return true;
    }
    if (!line.empty()) {
        if (!head_.empty()) head_.emplace_back(line);
        return true;
    }
    // The end of one response head: final unless curl goes on from it.
    if (head_.empty()) return true;
    if (status_ / 100 == 1) {
        head_.clear();
        return true;
    }
    bool hasLocation = false;
    std::string location;
    for (size_t i = 1; i < head_.size(); ++i) {
        std::string_view h = head_[i];
        size_t colon = h.find(':');
        if (colon != std::string_view::npos && EqualNoCase(Trim(h.substr(0, colon)), "Location")) {
            hasLocation = true;
            location = Trim(h.substr(colon + 1));
        }
    }
    if (followRedirects_ && hasLocation && status_ / 100 == 3 && status_ != 304) {
        // Checked before curl goes on: a redirect refused here ends the
        // transfer with this head, before any connection to its target.
        char* eff = nullptr;
        curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &eff);
        std::string next = location.empty() ? std::string() : AllowedRedirect(eff ? eff : url_, location);
        if (!location.empty() && next.empty()) {
            error_ = kErrorRedirectFailed;
            return false;
        }
        reportText(kStatusRedirect, next.empty() ? location : next);
        head_.clear();
        headBytes_ = 0;
        receiving_ = sentRequest_ = false;
        return true;
    }
    finalHead_ = std::move(head_);
    head_.clear();
    headDone_ = true;
    report(kStatusResponseReceived);
    return true;
}

size_t CurlRequest::OnHeader(char* p, size_t size, size_t n, void* self) {
    auto* r = static_cast<CurlRequest*>(self);
    if (r->aborted_) return 0;
    if (!r->http_) return size * n;  // FTP replies are no response head
    return r->headerLine(std::string_view(p, size * n)) ? size * n : 0;
}

size_t CurlRequest::OnBody(char* p, size_t size, size_t n, void* self) {
    auto* r = static_cast<CurlRequest*>(self);
    size_t len = size * n;
    if (r->aborted_) return 0;
    if (r->http_ && !r->headDone_) return len;  // the body of a response curl goes on from
    if (!r->http_) r->headDone_ = true;
    size_t room = r->dest_ ? r->destCap_ - r->destGot_ : 0;
    if (room == 0 && r->pending_.size() - r->pendingPos_ >= kMaxPending) {
        r->paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    size_t k = std::min(room, len);
    if (k) {
        std::memcpy(r->dest_ + r->destGot_, p, k);
        r->destGot_ += k;
    }
    if (k < len) {
        if (r->pendingPos_ > 0 && r->pendingPos_ == r->pending_.size()) {
            r->pending_.clear();
            r->pendingPos_ = 0;
        }
        r->pending_.insert(r->pending_.end(), p + k, p + len);
    }
    r->bodyBytes_ += len;
    return len;
}

curl_socket_t CurlRequest::OnOpenSocket(void* self, curlsocktype, curl_sockaddr* a) {
    auto* r = static_cast<CurlRequest*>(self);
    char text[INET6_ADDRSTRLEN] = "";
    if (a->family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&a->addr)->sin_addr, text, sizeof text);
    else if (a->family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&a->addr)->sin6_addr, text, sizeof text);
    r->reportText(kStatusNameResolved, text);
    r->reportText(kStatusConnecting, text);
    return socket(a->family, a->socktype | SOCK_CLOEXEC, a->protocol);
}

int CurlRequest::OnPrereq(void* self, char* ip, char*, int, int) {
    auto* r = static_cast<CurlRequest*>(self);
    r->reportText(kStatusConnected, ip ? ip : "");
    r->report(kStatusSendingRequest);
    return CURL_PREREQFUNC_OK;
}

int CurlRequest::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CurlRequest*>(self)->aborted_ ? 1 : 0;
}

bool CurlRequest::read(void* buf, uint32_t n, uint32_t& got) {
    got = 0;
    if (aborted_) return failed(kErrorCancelled);
    if (n == 0) return true;
    if (pendingPos_ < pending_.size()) {
        size_t k = std::min<size_t>(n, pending_.size() - pendingPos_);
        std::memcpy(buf, pending_.data() + pendingPos_, k);
        pendingPos_ += k;
        got = static_cast<uint32_t>(k);
        if (pendingPos_ == pending_.size()) {
            pending_.clear();
            pendingPos_ = 0;
        }
        return true;
    }
    if (done_) return error_ ? failed(error_) : true;
    dest_ = static_cast<char*>(buf);
    destCap_ = n;
    destGot_ = 0;
    if (paused_) {
        paused_ = false;
        curl_easy_pause(easy_, CURLPAUSE_CONT);
    }
    while (destGot_ == 0 && step()) {
    }
    got = static_cast<uint32_t>(destGot_);
    dest_ = nullptr;
    destCap_ = destGot_ = 0;
    if (got) return true;
    if (aborted_) return failed(kErrorCancelled);
    return error_ ? failed(error_) : true;
}

bool CurlRequest::queryDataAvailable(uint32_t& n) {
    n = 0;
    if (aborted_) return failed(kErrorCancelled);
    if (pendingPos_ == pending_.size() && !done_) {
        // Wait for some bytes, keeping them for the next read.
        char scratch[16384];
        uint32_t got = 0;
        if (!read(scratch, sizeof scratch, got)) return false;
        pending_.insert(pending_.begin() + static_cast<long>(pendingPos_), scratch, scratch + got);
    }
    n = static_cast<uint32_t>(pending_.size() - pendingPos_);
    return true;
}

bool CurlRequest::queryInfo(uint32_t query, void* buf, uint32_t& length) {
    if (aborted_) return failed(kErrorCancelled);
    if (!http_) return failed(kErrorIncorrectHandleType);
    uint32_t level = query & ~kQueryModifierMask;
    std::string value;
    bool found = false;
    if (level == kQueryRawHeaders || level == kQueryRawHeadersCrlf) {
        const char* sep = level == kQueryRawHeaders ? std::string_view("\0", 1).data() : "\r\n";
        size_t sepLen = level == kQueryRawHeaders ? 1 : 2;
        for (const std::string& line : finalHead_) value.append(line).append(sep, sepLen);
        // The empty line that ends the list: with zeros it is the text's
        // terminator, outside the length, as WinInet counts it.
        if (level == kQueryRawHeadersCrlf) value.append(sep, sepLen);
        found = true;
    } else if (level == kQueryStatusCode || level == kQueryStatusText || level == 18) {
        if (!finalHead_.empty()) {
            std::string_view s = finalHead_[0];
            size_t a = s.find(' ');
            size_t b = a == std::string_view::npos ? a : s.find(' ', a + 1);
            if (level == 18) value = s.substr(0, a);
            else if (level == kQueryStatusCode) value = a == std::string_view::npos ? "" : s.substr(a + 1, b - a - 1);
            else value = b == std::string_view::npos ? "" : s.substr(b + 1);
            found = true;
        }
    } else {
        std::string name;
        if (level == kQueryCustom) {
            if (!buf) return failed(kErrorHeaderNotFound);
            const char* p = static_cast<const char*>(buf);
            name.assign(p, strnlen(p, length));
        } else if (const char* n = NameOfQuery(level)) {
            name = n;
        }
        if (const std::string* h = name.empty() ? nullptr : findHeader(name)) {
            value = Trim(std::string_view(*h).substr(h->find(':') + 1));
            found = true;
        }
    }
    if (!found) return failed(kErrorHeaderNotFound);
    if (query & kQueryFlagNumber) {
        if (!buf || length < 4) {
            length = 4;
            return failed(kErrorInsufficientBuffer);
        }
        uint32_t v = static_cast<uint32_t>(strtoul(value.c_str(), nullptr, 10));
        std::memcpy(buf, &v, 4);
        length = 4;
        return true;
    }
    if (query & kQueryFlagSystemTime) {
        if (!buf || length < sizeof(SystemTime)) {
            length = sizeof(SystemTime);
            return failed(kErrorInsufficientBuffer);
        }
        time_t t = curl_getdate(value.c_str(), nullptr);
        tm g{};
        if (t == -1 || !gmtime_r(&t, &g)) return failed(kErrorHeaderNotFound);
        SystemTime st{static_cast<uint16_t>(g.tm_year + 1900), static_cast<uint16_t>(g.tm_mon + 1),
                      static_cast<uint16_t>(g.tm_wday), static_cast<uint16_t>(g.tm_mday),
                      static_cast<uint16_t>(g.tm_hour), static_cast<uint16_t>(g.tm_min),
                      static_cast<uint16_t>(g.tm_sec), 0};
        std::memcpy(buf, &st, sizeof st);
        length = sizeof st;
        return true;
    }
    if (!buf || length < value.size() + 1) {
        length = static_cast<uint32_t>(value.size() + 1);
        return failed(kErrorInsufficientBuffer);
    }
    std::memcpy(buf, value.data(), value.size());
    static_cast<char*>(buf)[value.size()] = '\0';
    length = static_cast<uint32_t>(value.size());
    return true;
}

bool CurlRequest::queryOption(uint32_t option, void* buf, uint32_t& length) {
    uint32_t number;
    switch (option) {
    case kOptionHandleType: number = handleType_; break;
    case kOptionRequestFlags: number = viaProxy_ ? static_cast<uint32_t>(kRequestViaProxy) : 0u; break;
    case kOptionUrl: {
        char* eff = nullptr;
        if (easy_) curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &eff);
        std::string u = eff ? eff : url_;
        if (!buf || length < u.size() + 1) {
            length = static_cast<uint32_t>(u.size() + 1);
            return failed(kErrorInsufficientBuffer);
        }
        std::memcpy(buf, u.c_str(), u.size() + 1);
        length = static_cast<uint32_t>(u.size());
        return true;
    }
    default: return failed(kErrorInvalidOption);
    }
    if (!buf || length < 4) {
        length = 4;
        return failed(kErrorInsufficientBuffer);
    }
    std::memcpy(buf, &number, 4);
    length = 4;
    return true;
}

bool CurlRequest::setOption(uint32_t option, const void* buf, uint32_t length) {
    if (option != kOptionProxyUsername && option != kOptionProxyPassword) return failed(kErrorInvalidOption);
    const char* p = static_cast<const char*>(buf);
    std::string v = p ? std::string(p, strnlen(p, length)) : std::string();
    (option == kOptionProxyUsername ? proxyUser_ : proxyPassword_) = v;
    return true;
}

bool CurlRequest::sendRequest(const char* headers, uint32_t length) {
    if (aborted_) return failed(kErrorCancelled);
    if (headers && length) {
        std::string_view all(headers, length == static_cast<uint32_t>(-1) ? strlen(headers) : length);
        std::string line(Trim(all));
        if (!line.empty()) requestHeaders_ = curl_slist_append(requestHeaders_, line.c_str());
    }
    int e = start();
    if (e) return failed(e);
    while (!headDone_ && step()) {
    }
    if (aborted_) return failed(kErrorCancelled);
    if (!headDone_ && error_) return failed(error_);
    return true;
}

}  // namespace

std::unique_ptr<InternetSession> InternetSession::Open(const char* agent, uint32_t accessType, const char* proxy,
                                                       const char* proxyBypass, uint32_t) {
    CurlGlobalInit();
    if (accessType != kOpenPreconfig && accessType != kOpenDirect && accessType != kOpenProxy) {
        SetLastErrorCode(87);  // invalid parameter
        return nullptr;
    }
    auto s = std::make_shared<Session>();
    s->agent = agent ? agent : "";
    s->access = accessType;
    s->proxy = proxy ? proxy : "";
    s->bypass = proxyBypass ? proxyBypass : "";
    return std::make_unique<CurlSession>(std::move(s));
}

int TrustTestCertificateAuthority(const char* pemPath) {
    if (!FileExists(pemPath)) return 2;
    std::lock_guard<std::mutex> lock(gCaMutex);
    gTestCa = pemPath;
    return 0;
}

std::string InternetErrorWords(int code) { return code && tLastWords.code == code ? tLastWords.words : std::string(); }

}  // namespace platform
