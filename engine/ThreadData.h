#pragma once
// The download worker: one file fetched on a thread of its own. It builds
// the request (resume, refresh, accepted types and character sets,
// referrer), judges the response, copies the body into a temporary file
// beside the final place, keeps partial data for a later resume, moves a
// complete file to its final name, extracts and resolves a page's links,
// and posts "_WM_THREADEND" to its owner window. It never touches the
// link graph; the scheduler reads its results after the end message.

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/InternetSession.h"
#include "framework/AStr.h"
#include "framework/Thread.h"
#include "site/ExtractList.h"
#include "site/ResolveLinks.h"

class httpwstreambuf;
class iurlwstream;

class ThreadData : public ThreadBase {
public:
    // Worker results besides 0 and the platform's error codes.
    static constexpr uint32_t kRefused = 0xFFFFFFFF;    // -1: refused at HTTP level
    static constexpr uint32_t kNoBody = 0xFFFFFFFE;     // -2: no body at all
    static constexpr uint32_t kUnaskedPart = 0xFFFFFFFD; // -3: 206, a part that no Range asked for
    static constexpr uint32_t kSizeLimit = 0xFFFFFFFC;   // -4: cut where the job's size limit was passed
    static constexpr uint32_t kDiskFull = 112;
    static constexpr uint32_t kStopped = 1223;
    static constexpr uint32_t kLengthMismatch = 12030;
    static constexpr uint32_t kUnknownLength = 0xFFFFFFFF;
    static constexpr uint32_t kReportInterval = 7500;

    enum Class { kImage, kAudio, kVideo, kApplication, kClassCount };

    ThreadData(CInternetSession* session, const char* url, const char* referrer, const char* savedFile,
               const char* partialFile, uint32_t outputFlags, const char* outputFolder,
               platform::WindowHandle owner, uint32_t codePage, bool detectCodePage);
    ~ThreadData() override;

    uint32_t run() override;

    // Set by the scheduler before start.
    bool accepted[kClassCount] = {true, true, true, true};
    AStr user;
    AStr password;
    // The job's size limit, shared by all its workers: each counts the
    // bytes it receives into *arrived and stops, keeping no more than the
    // limit leaves, once the count passes sizeLimit. Null: no limit.
    std::atomic<uint64_t>* arrived = nullptr;
    uint64_t sizeLimit = 0;

    // Results, read after the end message.
    const AStr& url() const { return url_; }
    const AStr& savedFile() const { return savedFile_; }
    const AStr& partialFile() const { return partialFile_; }
    const AStr& temporaryFile() const { return temporaryFile_; }
    const AStr& contentType() const { return contentType_; }
    const AStr& contentEncoding() const { return contentEncoding_; }
    const AStr& finalUrl() const { return finalUrl_; }
    const AStr& baseUrl() const { return baseUrl_; }
    const AStr& title() const { return title_; }
    uint32_t codePage() const { return codePage_; }
    uint64_t bytesReceived() const { return bytesReceived_.load(); }
    uint32_t contentLength() const { return contentLength_.load(); }
    uint32_t resumeOffset() const { return resumeOffset_.load(); }
    int status() const { return status_; }
    // Why the last attempt failed in words not of the program's: the
    // server's status line of a refusal ("404 Not Found"), and the
    // internet library's own words for a failed open or read.
    const AStr& statusLine() const { return statusLine_; }
    const AStr& libraryWords() const { return libraryWords_; }
    // The stored file was read as a style sheet: its links are its URLs.
    bool styleSheet() const { return styleSheet_; }
    ExtractList& links() { return links_; }
    std::vector<ResolvedLink>& resolvedLinks() { return resolved_; }

    // The request head of the next attempt (also updates the resume
    // offset and the compare file); public for the tests of its order.
    AStr buildHeaders();

    // Whether the job takes a media type: it is refused when it begins
    // with the prefix of a class whose flag is off.
    bool typeAccepted(std::string_view mediaType) const;

private:
    enum class Check { GoOn, Finish, Retry };
    enum class Copy { WriteFailed, Stopped, Ended };
    // Verdicts of the failure and success handling.
    enum Verdict { kDone = 0, kRetry = 1, kPlaceFailed = 4, kFailed = 5 };

    Check checkResponse(httpwstreambuf& http, bool retried, uint32_t& result);
    Copy copyBody(wstreambuf& in, uint32_t& result);
    int onFailure(bool retried, uint32_t& result);
    // u without the login this worker put into it for a retry: the login
    // is the request's alone, never part of an address the job keeps
    // (links resolved against it would pass by the start site's checks
    // and the exclude list, and the password would reach the tree file).
    AStr withoutAddedLogin(const AStr& u) const;
    int onSuccess(uint32_t& result);
    int placeFile(int& error);
    uint32_t extractLinks(bool parse, uint32_t codePage);

    // Deletes a file and the folders it leaves empty, up to the output folder.
    void deleteWithFolders(const AStr& path);
    void removeEmptyFoldersFrom(const AStr& path);

    CInternetSession* session_;
    AStr url_;
    AStr referrer_;
    AStr savedFile_;
    AStr partialFile_;
    AStr compareFile_;
    int64_t compareTime_ = 0;   // file time
    AStr finalUrl_;
    bool loginAdded_ = false;
    AStr baseUrl_;
    AStr title_;
    ExtractList links_;
    std::vector<ResolvedLink> resolved_;
    // The scheduler reads these three while the copy runs.
    std::atomic<uint64_t> bytesReceived_{0};
    std::atomic<uint32_t> contentLength_{kUnknownLength};
    uint32_t codePage_;
    bool detectCodePage_;
    AStr contentType_;
    AStr contentEncoding_;
    std::atomic<uint32_t> resumeOffset_{0};
    AStr temporaryFile_;
    AStr outputFolder_;
    uint32_t outputFlags_;

    int status_ = 0;
    AStr statusLine_;
    AStr libraryWords_;
    bool isHttp_ = false;
    bool viaProxy_ = false;
    bool hasDate_ = false;
    int64_t lastModified_ = 0;  // file time
    bool savedCreatedHere_ = false;
    bool styleSheet_ = false;
};
