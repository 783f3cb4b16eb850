#pragma once
// The internet library: sessions, URLs opened as requests, typed header
// queries, reads, status reports. Windows: WinInet. POSIX: libcurl behind
// the same contract, reporting WinInet's numbers (status codes, handle
// types, query and option codes, error codes) so that the engine reacts
// alike on both targets. Failures return false, -1 or null and leave the
// code in platform::LastError().

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

namespace inet {

// Access types of a session.
enum : uint32_t { kOpenPreconfig = 0, kOpenDirect = 1, kOpenProxy = 3 };

// Request flags.
enum : uint32_t {
    kFlagReload = 0x80000000,
    kFlagPassive = 0x08000000,
    kFlagNoCacheWrite = 0x04000000,
    kFlagKeepConnection = 0x00400000,
    kFlagNoAutoRedirect = 0x00200000,
    kFlagTransferBinary = 0x00000002,
};

// Handle types (option kOptionHandleType).
enum : uint32_t { kHandleConnectHttp = 4, kHandleFtpFile = 7, kHandleGopherFile = 11, kHandleHttpRequest = 13 };

// Header queries; a code may carry one of the two result flags.
enum : uint32_t {
    kQueryContentType = 1,
    kQueryContentLength = 5,
    kQueryLastModified = 11,
    kQueryStatusCode = 19,
    kQueryStatusText = 20,
    kQueryRawHeaders = 21,        // "line\0line\0\0"
    kQueryRawHeadersCrlf = 22,
    kQueryContentEncoding = 29,
    kQueryLocation = 33,
    kQueryContentRange = 53,
    kQueryTransferEncoding = 63,
    kQueryCustom = 65535,         // the header name is passed in the buffer
    kQueryFlagSystemTime = 0x40000000,
    kQueryFlagNumber = 0x20000000,
    kQueryModifierMask = 0xFFFF0000,
};

// Options.
enum : uint32_t {
    kOptionHandleType = 9,
    kOptionRequestFlags = 23,
    kOptionUrl = 34,
    kOptionProxyUsername = 43,
    kOptionProxyPassword = 44,
};
enum : uint32_t { kRequestViaProxy = 0x00000004 };

// Status reports.
enum : uint32_t {
    kStatusResolvingName = 10,
    kStatusNameResolved = 11,
    kStatusConnecting = 20,
    kStatusConnected = 21,
    kStatusSendingRequest = 30,
    kStatusRequestSent = 31,
    kStatusReceivingResponse = 40,
    kStatusResponseReceived = 41,
    kStatusClosingConnection = 50,
    kStatusConnectionClosed = 51,
    kStatusHandleCreated = 60,
    kStatusHandleClosing = 70,
    kStatusRequestComplete = 100,
    kStatusRedirect = 110,
};

// Error codes.
enum : int {
    kErrorInsufficientBuffer = 122,
    kErrorTimeout = 12002,
    kErrorExtended = 12003,
    kErrorInternal = 12004,
    kErrorInvalidUrl = 12005,
    kErrorUnrecognizedScheme = 12006,
    kErrorNameNotResolved = 12007,
    kErrorInvalidOption = 12009,
    kErrorLoginFailure = 12015,
    kErrorInvalidOperation = 12016,
    kErrorCancelled = 12017,
    kErrorIncorrectHandleType = 12018,
    kErrorCannotConnect = 12029,
    kErrorConnectionAborted = 12030,
    kErrorConnectionReset = 12031,
    kErrorInvalidCa = 12045,
    kErrorHeaderNotFound = 12150,
    kErrorInvalidServerResponse = 12152,
    kErrorRedirectFailed = 12156,
    kErrorSecurityChannel = 12157,
};

// The system time of a date query: year, month, day of week, day, hour,
// minute, second, milliseconds, 16 bytes as the platform lays them out.
struct SystemTime {
    uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

}  // namespace inet

// Receives status reports, on the library's threads (POSIX: the thread
// that called into the library). Handle is the request's identity, info
// the report's data (a name, an address, a URL, or for handle created the
// new handle as a pointer-sized value followed by a 32-bit error).
class InternetStatusListener {
public:
    virtual void onStatus(void* handle, uintptr_t context, uint32_t status, const void* info, uint32_t length) = 0;

protected:
    ~InternetStatusListener() = default;
};

// One opened URL. Destroying it closes it (reporting handle closing).
class InternetRequest {
public:
    virtual ~InternetRequest() = default;

    // The identity status reports carry for this request.
    virtual void* handle() const = 0;
    // False at the end is not a failure: got is 0 then. A read blocks until
    // some bytes arrived, the body ended, or the session was closed.
    virtual bool read(void* buf, uint32_t n, uint32_t& got) = 0;
    virtual bool write(const void* buf, uint32_t n, uint32_t& written) = 0;
    // The new position (-1 on failure); origin 0 begin, 1 current, 2 end.
    virtual long long setFilePointer(long long offset, int origin) = 0;
    virtual bool queryDataAvailable(uint32_t& n) = 0;
    // HttpQueryInfo: on a too small buffer fails with 122 and sets length to
    // the size needed; on success length is the size of the result (for
    // texts without the terminating zero). With kQueryCustom the buffer
    // holds the header name on entry.
    virtual bool queryInfo(uint32_t query, void* buf, uint32_t& length) = 0;
    // InternetQueryOption / InternetSetOption, with the same buffer rules.
    virtual bool queryOption(uint32_t option, void* buf, uint32_t& length) = 0;
    virtual bool setOption(uint32_t option, const void* buf, uint32_t length) = 0;
    // Sends the request again (after a 407 with the proxy credentials set).
    virtual bool sendRequest(const char* headers, uint32_t length) = 0;
};

class InternetSession {
public:
    virtual ~InternetSession() = default;

    // Null on failure (the code in LastError()).
    static std::unique_ptr<InternetSession> Open(const char* agent, uint32_t accessType, const char* proxy,
                                                 const char* proxyBypass, uint32_t flags);

    // Closes the session; safe from any thread. Blocked calls of requests
    // opened through it fail at once with kErrorCancelled, and so does
    // every later call on them.
    virtual void close() = 0;
    // The listener for every request opened from now on; null for none.
    // Returns the previous one.
    virtual InternetStatusListener* setStatusListener(InternetStatusListener* listener) = 0;
    // Follows redirections unless kFlagNoAutoRedirect; returns once the
    // final response head has arrived. Headers are "Name: value\r\n" lines
    // (length -1: up to the zero byte). What a page or a server could
    // choose is refused before anything is sent (platform/UrlSafety.h): a
    // URL whose request would carry CR, LF or NUL bytes fails with
    // kErrorInvalidUrl; a redirect from http(s) to another scheme, or to a
    // port below 1024 other than its scheme's own (unless it keeps the
    // origin), fails the open with kErrorRedirectFailed.
    virtual std::unique_ptr<InternetRequest> openUrl(const char* url, const char* headers, uint32_t headersLength,
                                                     uint32_t flags, uintptr_t context) = 0;
    // The handle of the session itself (status reports may name it).
    virtual void* handle() const = 0;
};

// The internet library's own words for failure code of a call on this
// thread ("Failed to connect to 127.0.0.1 port 80: Connection refused"),
// for the user where the program has no text of its own for the code; ""
// when the library has none. Read it at once after the call that failed.
std::string InternetErrorWords(int code);

// Test hook: trust the certificate authority in this PEM file for https,
// beside the system's own. POSIX: for this process only. Windows: added to
// the current user's root store (the tests run it in the build folder's
// own Wine prefix, never on a real machine). 0 or an error code.
[[nodiscard]] int TrustTestCertificateAuthority(const char* pemPath);

}  // namespace platform
