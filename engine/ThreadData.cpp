#include "engine/ThreadData.h"

#include <cstring>

#include "engine/ContentSniff.h"
#include "engine/HttpDate.h"
#include "engine/LocalPath.h"
#include "engine/iurlwstream.h"
#include "engine/nwstreambuf.h"
#include "framework/FileExtension.h"
#include "framework/Url.h"
#include "platform/File.h"
#include "platform/MediaDatabase.h"
#include "site/Charsets.h"
#include "site/ExtractURL.h"
#include "site/PageCodePage.h"
#include "site/StyleSheet.h"

using namespace platform::inet;

namespace {

constexpr uint32_t kRequestFlags = kFlagReload | kFlagNoCacheWrite | kFlagTransferBinary;
constexpr size_t kHeadersBuffer = 1024;
// Reads ask for up to this much and take what has come; the library's
// read returns without waiting for a full block.
constexpr size_t kCopyBlock = 65536;
constexpr uint32_t kProxySlack = 2048;
constexpr size_t kMaxUrlText = 2084;
const char* const kClassPrefix[ThreadData::kClassCount] = {"image/", "audio/", "video/", "application/"};

long long SizeOf(const char* path) {
    platform::File f;
    if (f.open(path, platform::File::Mode::Read) != 0) return -1;
    return f.size();
}

AStr FolderOf(const AStr& path) {
    size_t sep = path.rfind(platform::kPathSep);
    return sep == AStr::npos ? AStr() : path.left(sep);
}

bool MakeFolders(const AStr& folder) {
    if (folder.empty() || platform::FolderExists(folder.c_str())) return true;
    AStr parent = FolderOf(folder);
    if (!parent.empty() && parent.size() < folder.size() && !MakeFolders(parent)) return false;
    return platform::MakeFolder(folder.c_str()) == 0 || platform::FolderExists(folder.c_str());
}

// Appends up to limit bytes from the start of from to the end of to: 0 or
// the platform's error (112 for a short write).
int AppendFile(const char* from, const char* to, unsigned long long limit) {
    platform::File in, out;
    if (int e = in.open(from, platform::File::Mode::Read)) return e;
    if (int e = out.open(to, platform::File::Mode::Append)) return e;
    char buf[65536];
    while (limit > 0) {
        size_t want = limit < sizeof buf ? static_cast<size_t>(limit) : sizeof buf;
        long long n = in.read(buf, want);
        if (n < 0) return in.lastError();
        if (n == 0) break;
        long long w = out.write(buf, static_cast<size_t>(n));
        if (w != n) return w < 0 && out.lastError() ? out.lastError() : 112;
        limit -= static_cast<unsigned long long>(n);
    }
    return out.close();
}

// The media type of a Content-Type value: up to the first ';' or blank.
AStr MediaTypeOf(std::string_view value) {
    size_t b = 0;
    while (b < value.size() && value[b] == ' ') ++b;
    size_t e = b;
    while (e < value.size() && value[e] != ';' && value[e] != ' ' && value[e] != '\t') ++e;
    return AStr(value.substr(b, e - b));
}

// "Content-Encoding" from the raw headers (lines separated by zero bytes):
// the first line whose first 16 characters name it.
AStr ContentEncodingOf(const AStr& raw) {
    std::string_view all = raw.view();
    while (!all.empty()) {
        size_t end = all.find('\0');
        std::string_view line = all.substr(0, end);
        if (line.size() >= 16 && AStr(line.substr(0, 16)).equalsNoCase("Content-Encoding")) {
            size_t colon = line.find(':');
            if (colon == std::string_view::npos) return AStr();
            size_t b = colon + 1;
            while (b < line.size() && line[b] == ' ') ++b;
            size_t e = b;
            while (e < line.size() && line[e] != ' ' && line[e] != ';') ++e;
            return AStr(line.substr(b, e - b));
        }
        if (end == std::string_view::npos) break;
        all.remove_prefix(end + 1);
    }
    return AStr();
}

// Whether "bytes N-M/T" (or "bytes=N-...") starts at offset.
bool RangeStartsAt(std::string_view value, uint32_t offset) {
    size_t i = 0;
    while (i < value.size() && value[i] == ' ') ++i;
    if (value.size() - i < 5 || !AStr(value.substr(i, 5)).equalsNoCase("bytes")) return false;
    i += 5;
    while (i < value.size() && (value[i] == ' ' || value[i] == '=')) ++i;
    if (i >= value.size() || value[i] < '0' || value[i] > '9') return false;
    unsigned long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + static_cast<unsigned>(value[i] - '0');
        if (n > 0xFFFFFFFFull) return false;
    }
    return n == offset;
}

}  // namespace

ThreadData::ThreadData(CInternetSession* session, const char* url, const char* referrer, const char* savedFile,
                       const char* partialFile, uint32_t outputFlags, const char* outputFolder,
                       platform::WindowHandle owner, uint32_t codePage, bool detectCodePage)
    : ThreadBase(owner, kReportInterval),
      session_(session),
      url_(url),
      referrer_(referrer),
      savedFile_(savedFile),
      partialFile_(partialFile),
      codePage_(codePage),
      detectCodePage_(detectCodePage),
      outputFolder_(outputFolder),
      outputFlags_(outputFlags) {
    if (!savedFile_.empty() && !platform::FileExists(savedFile_.c_str())) savedFile_.clear();
    if (!partialFile_.empty() && !platform::FileExists(partialFile_.c_str())) partialFile_.clear();

    saving::PlaceRequest req;
    req.outputFlags = outputFlags_;
    req.url = url_.view();
    req.outputFolder = outputFolder_.view();
    req.doNotCreate = true;
    AStr tentative;
    if (!saving::localPath(req, tentative)) return;
    AStr folder = FolderOf(tentative);
    if (!MakeFolders(folder)) return;
    // Created at once, so that parallel workers never pick the same name.
    for (int i = 0; i <= 9999; ++i) {
        temporaryFile_ = folder + AStr::format("%c~DL~%04d.TMP", platform::kPathSep, i);
        platform::File f;
        if (f.open(temporaryFile_.c_str(), platform::File::Mode::CreateNew) == 0) break;
    }
}

ThreadData::~ThreadData() {
    // A worker that never ran, or ended before its copy, still holds the
    // name it reserved.
    if (!temporaryFile_.empty()) deleteWithFolders(temporaryFile_);
}

bool ThreadData::typeAccepted(std::string_view mediaType) const {
    for (int c = 0; c < kClassCount; ++c) {
        size_t n = std::strlen(kClassPrefix[c]);
        if (!accepted[c] && mediaType.size() >= n && AStr(mediaType.substr(0, n)).equalsNoCase(kClassPrefix[c]))
            return false;
    }
    return true;
}

AStr ThreadData::buildHeaders() {
    AStr h;
    resumeOffset_ = 0;
    platform::FileTimes saved;
    bool savedExists = !savedFile_.empty() && platform::GetFileTimes(savedFile_.c_str(), saved) == 0;
    if (!partialFile_.empty()) {
        long long size = SizeOf(partialFile_.c_str());
        if (size >= 0 && size <= 0x7FFFFFFF) {
            resumeOffset_ = static_cast<uint32_t>(size);
            h += AStr::format("Range: bytes=%u-\r\n", resumeOffset_.load());
            if (savedExists) h += "If-Unmodified-Since: " + httpdate::format(saved.modified) + "\r\n";
        }
    } else if (savedExists) {
        long long size = SizeOf(savedFile_.c_str());
        if (size > 10) {
            compareFile_ = savedFile_;
            compareTime_ = httpdate::fileTimeOfUnix(saved.modified);
            h += "If-Modified-Since: " + httpdate::format(saved.modified);
            if (size < 0x100000000LL) h += AStr::format("; length=%lld", size);
            h += "\r\n";
        }
    }
    h += "Accept: */*";
    for (int c = 0; c < kClassCount; ++c)
        if (!accepted[c]) h += AStr(", ") + kClassPrefix[c] + "*;q=0";
    h += "\r\n";
    std::string_view charsetName = charset::NameOfCodePage(static_cast<int>(codePage_));
    if (codePage_ != 0 && !charsetName.empty()) h += AStr("Accept-Charset: ") + charsetName + ", *;q=0.5\r\n";
    // The head has a fixed room; a referrer that does not fit is left out
    // rather than cut.
    if (!referrer_.empty() && h.size() + 11 + referrer_.size() < kHeadersBuffer)
        h += "Referer: " + referrer_ + "\r\n";
    return h;
}

uint32_t ThreadData::run() {
    bool retried = false;
    uint32_t result = 0;
    uint32_t rememberedCodePage = codePage_;
    for (;;) {
        result = 0;
        status_ = 0;
        statusLine_.clear();
        libraryWords_.clear();
        rememberedCodePage = codePage_;
        bytesReceived_ = 0;
        isHttp_ = false;
        viaProxy_ = false;
        hasDate_ = false;
        AStr headers = buildHeaders();
        bool again = false;
        {
            iurlwstream s(*session_, url_.c_str(), 1, kRequestFlags, headers.c_str(),
                          static_cast<uint32_t>(headers.size()));
            codePage_ = 0;
            if (s.fail()) {
                result = stopRequested() ? kStopped : static_cast<uint32_t>(s.openError());
                if (result != kStopped) libraryWords_ = platform::InternetErrorWords(s.openError()).c_str();
            } else {
                bool copy = true;
                if (auto* net = dynamic_cast<nwstreambuf*>(s.rdbuf())) {
                    auto* http = dynamic_cast<httpwstreambuf*>(net);
                    char text[kMaxUrlText];
                    uint32_t length = sizeof text - 1;
                    if (net->request() && net->request()->queryOption(kOptionUrl, text, length))
                        finalUrl_ = withoutAddedLogin(AStr(std::string_view(text, length < sizeof text ? length : sizeof text - 1)));
                    uint32_t flags = 0;
                    length = sizeof flags;
                    viaProxy_ = net->request() && net->request()->queryOption(kOptionRequestFlags, &flags, length) &&
                                (flags & kRequestViaProxy);
                    if (http) {
                        isHttp_ = true;
                        Check c = checkResponse(*http, retried, result);
                        if (c == Check::Retry) again = true;
                        if (c == Check::Finish) copy = false;
                    }
                }
                if (!isHttp_ && !partialFile_.empty()) {
                    deleteWithFolders(partialFile_);
                    partialFile_.clear();
                }
                if (!again && copy) {
                    Copy v = copyBody(*s.rdbuf(), result);
                    if (v == Copy::Ended && result != kSizeLimit) {
                        bool readFailed = result != 0;
                        if (contentLength_ != kUnknownLength && contentLength_ != bytesReceived_)
                            result = kLengthMismatch;
                        else if (!readFailed && bytesReceived_ == 0)
                            result = kNoBody;
                    }
                    if (v != Copy::Stopped && result != kSizeLimit && stopRequested()) result = kStopped;
                    // The rest of a cut body is never read: closing the
                    // request alone would make some libraries read it to
                    // its end (for an endless body, for ever) to keep the
                    // connection. This download asks nothing more.
                    if (result == kSizeLimit) session_->close();
                } else if (!again) {
                    if (stopRequested()) result = kStopped;
                    // Nor is a refused body that may be long; only a retry
                    // with the job's credentials asks this session again.
                    bool credentialsNext = (status_ == 401 || status_ == 418) && !retried && !user.empty();
                    bool longBody = status_ != 304 && status_ != 204 &&
                                    (contentLength_ == kUnknownLength || contentLength_ > kCopyBlock);
                    if (longBody && !credentialsNext) session_->close();
                }
            }
        }
        if (again) continue;
        int verdict = result != 0 ? onFailure(retried, result) : onSuccess(result);
        if (verdict == kRetry) {
            retried = true;
            continue;
        }
        if (verdict == kPlaceFailed || verdict == kFailed) {
            if (stopRequested()) result = kStopped;
            // Only the empty file that naming made in this run goes: an
            // old copy stays when the new one could not take its place.
            if (savedCreatedHere_ && !savedFile_.empty()) {
                deleteWithFolders(savedFile_);
                savedFile_.clear();
            }
        }
        break;
    }
    if (result == 0 && !savedFile_.empty()) result = extractLinks(status_ != 304, rememberedCodePage);
    post(endMessage(), static_cast<uintptr_t>(status_));
    return result;
}

ThreadData::Check ThreadData::checkResponse(httpwstreambuf& http, bool retried, uint32_t& result) {
    int code = 0;
    http.queryStatusCode(code);
    status_ = code;
    AStr reason;
    statusLine_ = AStr::format("%d", code);
    if (http.queryText(kQueryStatusText, reason) && !reason.empty()) statusLine_ += " " + reason;
    uint32_t length = 0;
    contentLength_ = http.queryNumber(kQueryContentLength, length) ? length : kUnknownLength;
    AStr type;
    contentType_.clear();
    if (http.queryText(kQueryContentType, type)) {
        contentType_ = MediaTypeOf(type.view());
        codePage_ = static_cast<uint32_t>(charset::CodePageOfName(charset::CharsetParameter(type.view())));
    }
    AStr raw;
    contentEncoding_ = http.queryText(kQueryRawHeaders, raw) ? ContentEncodingOf(raw) : AStr();

    if ((code == 401 || code == 418) && !retried) {
        result = kRefused;
        return Check::Finish;
    }
    if (!partialFile_.empty()) {
        if (code == 206) {
            AStr range;
            if (!http.queryText(kQueryContentRange, range) || !RangeStartsAt(range.view(), resumeOffset_)) {
                result = kRefused;
                return Check::Finish;
            }
            status_ = code = 200;
        } else if (code < 400) {
            // The whole body comes again: what was kept is dropped. Refusals
            // keep it for a later attempt, and 412 restarts below.
            resumeOffset_ = 0;
            deleteWithFolders(partialFile_);
            partialFile_.clear();
        }
    } else if (code == 206) {
        // A part that was never asked for is not the file: stored as the
        // whole, it would be a cut copy that nothing tells from a good one.
        result = kUnaskedPart;
        return Check::Finish;
    }
    if (code == 304) {
        result = 0;
        return Check::Finish;
    }
    if (code < 400) {
        if (!contentType_.empty() && !typeAccepted(contentType_.view())) {
            status_ = 406;
            statusLine_.clear();  // the server said yes; the job refused the type
            result = kRefused;
            return Check::Finish;
        }
        SystemTime t{};
        int64_t seconds = 0;
        hasDate_ = http.queryDate(kQueryLastModified, t) && httpdate::toUnix(t, seconds);
        if (hasDate_) lastModified_ = httpdate::fileTimeOfUnix(seconds);
        if (!compareFile_.empty() && code == 200 && hasDate_ &&
            compareTime_ + 2 * httpdate::kFileTimeUnitsPerSecond >= lastModified_) {
            status_ = 304;
            result = 0;
            return Check::Finish;
        }
        return Check::GoOn;
    }
    if (code == 412) {
        resumeOffset_ = 0;
        if (!partialFile_.empty()) {
            deleteWithFolders(partialFile_);
            partialFile_.clear();
            return Check::Retry;
        }
    }
    result = kRefused;
    return Check::Finish;
}

ThreadData::Copy ThreadData::copyBody(wstreambuf& in, uint32_t& result) {
    platform::File out;
    if (temporaryFile_.empty()) {
        result = 3;  // no place for the file could be found
        return Copy::WriteFailed;
    }
    if (int e = out.open(temporaryFile_.c_str(), platform::File::Mode::Write)) {
        result = static_cast<uint32_t>(e);
        return Copy::WriteFailed;
    }
    std::vector<char> block(kCopyBlock);
    char* buf = block.data();
    Copy verdict = Copy::Stopped;
    result = kStopped;
    while (!stopRequested()) {
        long long n = in.read(buf, kCopyBlock);
        if (n < 0) {
            result = static_cast<uint32_t>(in.error());
            libraryWords_ = platform::InternetErrorWords(in.error()).c_str();
            verdict = stopRequested() ? Copy::Stopped : Copy::Ended;
            if (verdict == Copy::Stopped) result = kStopped;
            break;
        }
        if (n == 0) {
            result = 0;
            verdict = Copy::Ended;
            break;
        }
        reportProgress(static_cast<uint32_t>(n));
        long long keep = n;
        bool cut = false;
        if (arrived) {
            const uint64_t before = arrived->fetch_add(static_cast<uint64_t>(n));
            if (before + static_cast<uint64_t>(n) > sizeLimit) {
                keep = before >= sizeLimit ? 0 : static_cast<long long>(sizeLimit - before);
                cut = true;
            }
        }
        long long w = keep > 0 ? out.write(buf, static_cast<size_t>(keep)) : 0;
        if (w != keep) {
            result = w >= 0 || out.lastError() == 0 ? kDiskFull : static_cast<uint32_t>(out.lastError());
            verdict = stopRequested() ? Copy::Stopped : Copy::WriteFailed;
            if (verdict == Copy::Stopped) result = kStopped;
            break;
        }
        bytesReceived_ += static_cast<uint64_t>(keep);
        if (cut) {
            // An endless body or a parallel download passed the limit: what
            // came up to it is kept for a resume, nothing more is read.
            result = kSizeLimit;
            verdict = Copy::Ended;
            break;
        }
    }
    reportProgress(0);
    // A write the system delayed can still fail here.
    int closeError = out.close();
    if (closeError && verdict == Copy::Ended && result == 0) {
        result = static_cast<uint32_t>(closeError);
        verdict = Copy::WriteFailed;
    }
    return verdict;
}

AStr ThreadData::withoutAddedLogin(const AStr& u) const {
    if (!loginAdded_) return u;
    url::SplitUrl parts;
    if (!url::splitUrl(u.view(), url::kNoEncode, parts) || parts.user != user) return u;
    AStr plain;
    if (url::buildUrl(parts.service, parts.host.view(), parts.port, "", "", parts.path.view(), plain) != 0) return u;
    return plain;
}

int ThreadData::onFailure(bool retried, uint32_t& result) {
    if (!retried && result == kRefused && (status_ == 401 || status_ == 418) && !user.empty()) {
        url::SplitUrl parts;
        if (url::splitUrl(url_.view(), url::kNoEncode, parts) && parts.user.empty()) {
            AStr withUser;
            if (url::buildUrl(parts.service, parts.host.view(), parts.port, user.view(), password.view(),
                              parts.path.view(), withUser) == 0) {
                url_ = withUser;
                loginAdded_ = true;
                return kRetry;
            }
        }
    }
    if (partialFile_.empty()) {
        long long size = temporaryFile_.empty() ? -1 : SizeOf(temporaryFile_.c_str());
        if (size >= 10) {
            partialFile_ = temporaryFile_;
            temporaryFile_.clear();
        } else {
            if (!temporaryFile_.empty()) deleteWithFolders(temporaryFile_);
            temporaryFile_.clear();
        }
        return kDone;
    }
    // Through a proxy the last bytes before a cut may not be the server's.
    uint64_t keep = bytesReceived_;
    if (viaProxy_) keep = keep > kProxySlack ? keep - kProxySlack : 0;
    int e = keep > 0 ? AppendFile(temporaryFile_.c_str(), partialFile_.c_str(), keep) : 0;
    deleteWithFolders(temporaryFile_);
    temporaryFile_.clear();
    if (e) {
        result = static_cast<uint32_t>(e);
        return kFailed;
    }
    return kDone;
}

int ThreadData::onSuccess(uint32_t& result) {
    if (partialFile_.empty()) {
        partialFile_ = temporaryFile_;
        temporaryFile_.clear();
    } else {
        int e = AppendFile(temporaryFile_.c_str(), partialFile_.c_str(), ~0ull);
        deleteWithFolders(temporaryFile_);
        temporaryFile_.clear();
        if (e) {
            result = static_cast<uint32_t>(e);
            return kFailed;
        }
    }
    if (status_ == 304) {
        deleteWithFolders(partialFile_);
        partialFile_.clear();
        return kDone;
    }
    if (contentType_.equalsNoCase("text/plain") || (contentType_.empty() && contentEncoding_.empty())) {
        platform::File f;
        uint8_t head[sniff::kTextSample];
        long long n = -1;
        if (f.open(partialFile_.c_str(), platform::File::Mode::Read) == 0) n = f.read(head, sizeof head);
        if (contentType_.equalsNoCase("text/plain")) {
            if (n >= 0 && !sniff::looksLikeText(head, static_cast<size_t>(n))) contentType_.clear();
        }
        if (contentType_.empty() && contentEncoding_.empty()) {
            if (n < 4) {
                result = static_cast<uint32_t>(n < 0 ? platform::LastError() : 38);  // 38: end of file
                // Too short to judge, and nothing to resume: a resume would
                // only ask for the bytes after it again and again.
                deleteWithFolders(partialFile_);
                partialFile_.clear();
                return kFailed;
            }
            contentType_ = sniff::mediaTypeOfBytes(head, static_cast<size_t>(n));
            if (contentType_.empty())
                contentType_ = platform::MediaTypeOfSignature(head, static_cast<size_t>(n)).c_str();
            if (!contentType_.empty() && !typeAccepted(contentType_.view())) {
                status_ = 406;
                result = kRefused;
                // A refused file is no partial download to resume.
                deleteWithFolders(partialFile_);
                partialFile_.clear();
                return kFailed;
            }
        }
    }
    int error = 0;
    if (placeFile(error) != 0) {
        result = static_cast<uint32_t>(error);
        return kPlaceFailed;
    }
    return kDone;
}

int ThreadData::placeFile(int& error) {
    if (savedFile_.empty()) {
        AStr name = withoutAddedLogin(url_);
        bool differs = !finalUrl_.empty() && finalUrl_ != name;
        bool plain = url_.find('?') == AStr::npos && url_.find('#') == AStr::npos &&
                     finalUrl_.find('?') == AStr::npos && finalUrl_.find('#') == AStr::npos;
        if (differs && plain) {
            std::string_view finalExt = Extension(finalUrl_.view(), "/");
            std::string_view askedExt = Extension(url_.view(), "/");
            if (!finalExt.empty()) {
                if (!askedExt.empty() && !AStr(finalExt).equalsNoCase(askedExt) && url_.back() != '/')
                    name += finalExt;
            } else if (finalUrl_.back() == '/' && url_.back() != '/') {
                name += '/';
            }
        }
        saving::PlaceRequest req;
        req.outputFlags = outputFlags_;
        req.url = name.view();
        req.outputFolder = outputFolder_.view();
        if (isHttp_) {
            req.mediaType = contentType_.view();
            req.contentEncoding = contentEncoding_.view();
        }
        // The finished download itself takes the free name: no empty file
        // holds it first, to be replaced (and its inode freed) at once.
        req.moveFrom = partialFile_.c_str();
        if (!saving::localPath(req, savedFile_)) {
            error = platform::LastError() ? platform::LastError() : 3;
            savedFile_.clear();
            return -1;
        }
        savedCreatedHere_ = true;
    } else if (int e = platform::ReplaceFile(partialFile_.c_str(), savedFile_.c_str())) {
        // The old copy is replaced in one step: never a moment without one.
        error = e;
        return -1;
    }
    removeEmptyFoldersFrom(FolderOf(partialFile_));
    partialFile_.clear();
    if (hasDate_) {
        platform::FileTimes t;
        t.modified = t.created = httpdate::unixOfFileTime(lastModified_);
        (void)platform::SetFileTimes(savedFile_.c_str(), t);
    }
    return 0;
}

// A stored page keeps its links whatever comes: a stop now (the job's
// size limit, the user) would leave a copy that no later run reads again,
// since it answers 304. The parse is bounded by the page, and the page by
// the size limit.
uint32_t ThreadData::extractLinks(bool parse, uint32_t codePage) {
    if (!parse) return 0;
    AStr pageUrl = finalUrl_.empty() ? withoutAddedLogin(url_) : finalUrl_;
    if (IsStyleSheet(contentType_.view(), pageUrl.view())) {
        // A sheet's URLs are read against the sheet itself.
        styleSheet_ = true;
        baseUrl_ = pageUrl;
        (void)ExtractStyleSheet(savedFile_.c_str(), links_, ExtractURL::kMaxLinks);
        ResolveLinks(links_, pageUrl.view(), baseUrl_.view(), true, resolved_);
        return 0;
    }
    if (!contentType_.empty() && !contentType_.equalsNoCase("text/html")) {
        baseUrl_ = pageUrl;
        return 0;
    }
    AStr named;
    ExtractURL extractor(named, title_, links_, static_cast<int>(codePage));
    // A page the tokenizer gives up on still has its records so far.
    (void)extractor.run(savedFile_.c_str());
    if (codePage_ == 0)
        codePage_ = static_cast<uint32_t>(
            PageCodePage(0, extractor.metaCharset(), detectCodePage_, extractor.detector()));
    ConvertPageTexts(static_cast<int>(codePage_), title_, links_);
    if (named.empty() || !url::combineUrl(pageUrl.view(), named.view(), url::kNoEncode | url::kDecode, baseUrl_))
        baseUrl_ = pageUrl;
    ResolveLinks(links_, pageUrl.view(), baseUrl_.view(), true, resolved_);
    return 0;
}

void ThreadData::deleteWithFolders(const AStr& path) {
    if (path.empty()) return;
    (void)platform::DeleteFile(path.c_str());
    removeEmptyFoldersFrom(FolderOf(path));
}

void ThreadData::removeEmptyFoldersFrom(const AStr& folder) {
    AStr f = folder;
    // Never above or at the output folder, and never outside it.
    while (f.size() > outputFolder_.size() && f.startsWith(outputFolder_.view()) &&
           f[outputFolder_.size()] == platform::kPathSep) {
        if (platform::RemoveFolder(f.c_str()) != 0) break;
        f = FolderOf(f);
    }
}
