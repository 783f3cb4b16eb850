// The download worker against the local servers of the ctest fixture
// net_servers (tests/servers/fixture.py with the answers of
// tests/servers/workerscript.py): the same cases through WinInet under
// Wine and through libcurl natively. hello.txt holds "Hello from the test
// server\n", last modified 2001-02-03 04:05:06 UTC; data.bin is 100000
// known bytes.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

// Options are given by designated initializers, the rest left at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

#include "WorkerJob.h"
#include "engine/HttpDate.h"
#include "engine/LocalPath.h"

using namespace workertest;

namespace {

const std::string kHello = "Hello from the test server\n";
constexpr int64_t kHelloTime = 981173106;

bool HasHeader(const std::string& logLine, const std::string& name) {
    return logLine.find("[\"" + name + "\"") != std::string::npos;
}

TEST(ThreadData, PlainFetchStoresTheFileAndPostsTheEnd) {
    Job job;
    std::string url = HttpUrl("/w/stored.txt");
    EXPECT_EQ(0u, job.fetch(url, {.referrer = "http://127.0.0.1/from.html"}));
    EXPECT_TRUE(job.endPosted);
    EXPECT_EQ(200, job.endStatus);
    EXPECT_EQ(kHello, ReadFileBytes(job.worker->savedFile().c_str()));
    EXPECT_EQ(0u, job.worker->savedFile().view().find(job.out.str()));
    EXPECT_EQ("text/plain", job.worker->contentType().view());
    EXPECT_EQ(url, job.worker->finalUrl().view());
    EXPECT_EQ(kHello.size(), job.worker->bytesReceived());
    EXPECT_TRUE(job.worker->partialFile().empty());
    EXPECT_TRUE(job.out.temporaryFiles().empty());
    // Last-Modified sets the file time.
    platform::FileTimes t;
    ASSERT_EQ(0, platform::GetFileTimes(job.worker->savedFile().c_str(), t));
    EXPECT_EQ(kHelloTime, t.modified);
#ifdef _WIN32
    EXPECT_EQ(kHelloTime, t.created);
#endif
    auto log = LoggedRequests("/w/stored.txt");
    ASSERT_EQ(1u, log.size());
    EXPECT_NE(std::string::npos, log[0].find("[\"Accept\", \"*/*\"]")) << log[0];
    EXPECT_NE(std::string::npos, log[0].find("[\"Referer\", \"http://127.0.0.1/from.html\"]")) << log[0];
    EXPECT_FALSE(HasHeader(log[0], "Range"));
    EXPECT_FALSE(HasHeader(log[0], "Accept-Charset"));
}

TEST(ThreadData, RequestHeadersInOrder) {
    Output out;
    std::string saved = out.str() + "/saved.txt";
    std::string partial = out.str() + "/partial.bin";
    WriteFileBytes(saved, "more than ten bytes");
    CInternetSession session("t", 1, 0, nullptr, nullptr, 0, "", "");
    {
        auto* w = new ThreadData(&session, "http://127.0.0.1/x", "http://r/", saved.c_str(), "", 0, out.str().c_str(),
                                 nullptr, 3, true);
        w->accepted[ThreadData::kImage] = false;
        w->accepted[ThreadData::kVideo] = false;
        platform::FileTimes t;
        ASSERT_EQ(0, platform::GetFileTimes(saved.c_str(), t));
        EXPECT_EQ("If-Modified-Since: " + std::string(httpdate::format(t.modified).view()) +
                      "; length=19\r\nAccept: */*, image/*;q=0, video/*;q=0\r\n"
                      "Accept-Charset: koi8-r, *;q=0.5\r\nReferer: http://r/\r\n",
                  w->buildHeaders().view());
        w->release();
    }
    WriteFileBytes(partial, "0123");
    {
        auto* w = new ThreadData(&session, "http://127.0.0.1/x", "", saved.c_str(), partial.c_str(), 0,
                                 out.str().c_str(), nullptr, 0, true);
        AStr h = w->buildHeaders();
        EXPECT_EQ(0u, h.find("Range: bytes=4-\r\nIf-Unmodified-Since: ")) << h.c_str();
        EXPECT_EQ(AStr::npos, h.find("If-Modified-Since"));
        EXPECT_EQ(4u, w->resumeOffset());
        // A missing partial file is forgotten at construction.
        w->release();
    }
    {
        auto* w = new ThreadData(&session, "http://127.0.0.1/x", "", "", (out.str() + "/none").c_str(), 0,
                                 out.str().c_str(), nullptr, 0, true);
        EXPECT_TRUE(w->partialFile().empty());
        EXPECT_EQ("Accept: */*\r\n", w->buildHeaders().view());
        // The temporary file is reserved at once, and the next worker takes another.
        auto* v = new ThreadData(&session, "http://127.0.0.1/x", "", "", "", 0, out.str().c_str(), nullptr, 0, true);
        EXPECT_TRUE(platform::FileExists(w->temporaryFile().c_str()));
        EXPECT_TRUE(platform::FileExists(v->temporaryFile().c_str()));
        EXPECT_NE(w->temporaryFile(), v->temporaryFile());
        EXPECT_NE(AStr::npos, w->temporaryFile().find("~DL~0000.TMP"));
        EXPECT_NE(AStr::npos, v->temporaryFile().find("~DL~0001.TMP"));
        w->release();
        v->release();
        // A worker that never ran gives its name back.
        EXPECT_TRUE(out.temporaryFiles().empty());
    }
}

TEST(ThreadData, SavedFileOfTenBytesIsFetchedWithoutCondition) {
    Job job;
    std::string saved = job.out.str() + "/ten.txt";
    WriteFileBytes(saved, "0123456789");
    EXPECT_EQ(0u, job.fetch(HttpUrl("/w/ten"), {.saved = saved}));
    EXPECT_EQ(200, job.endStatus);
    EXPECT_EQ(saved, job.worker->savedFile().view());
    EXPECT_EQ(kHello, ReadFileBytes(saved));
    auto log = LoggedRequests("/w/ten");
    ASSERT_EQ(1u, log.size());
    EXPECT_FALSE(HasHeader(log[0], "If-Modified-Since")) << log[0];

    Job eleven;
    std::string saved11 = eleven.out.str() + "/eleven.txt";
    WriteFileBytes(saved11, "0123456789a");
    EXPECT_EQ(0u, eleven.fetch(HttpUrl("/w/eleven"), {.saved = saved11}));
    log = LoggedRequests("/w/eleven");
    ASSERT_EQ(1u, log.size());
    EXPECT_NE(std::string::npos, log[0].find("; length=11\"]")) << log[0];
}

TEST(ThreadData, NotModifiedKeepsTheOldCopy) {
    for (const char* path : {"/w/same", "/w/same-unconditional"}) {
        SCOPED_TRACE(path);
        Job job;
        std::string saved = job.out.str() + "/same.txt";
        WriteFileBytes(saved, "the old copy, newer than the server's");
        EXPECT_EQ(0u, job.fetch(HttpUrl(path), {.saved = saved}));
        // 304 from the server, or 200 with a Last-Modified not later than
        // the copy's time, which counts as 304.
        EXPECT_EQ(304, job.endStatus);
        EXPECT_EQ(saved, job.worker->savedFile().view());
        EXPECT_EQ("the old copy, newer than the server's", ReadFileBytes(saved));
        EXPECT_TRUE(job.worker->partialFile().empty());
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
}

TEST(ThreadData, CutBodyIsKeptAndTheNextAttemptResumes) {
    const std::string data = DataBytes();
    Job first;
    EXPECT_EQ(ThreadData::kLengthMismatch, first.fetch(HttpUrl("/w/resume.bin")));
    std::string partial = first.worker->partialFile().c_str();
    ASSERT_FALSE(partial.empty());
    EXPECT_EQ(data.substr(0, 5000), ReadFileBytes(partial));
    EXPECT_TRUE(first.worker->savedFile().empty());

    Job second;
    EXPECT_EQ(0u, second.fetch(HttpUrl("/w/resume.bin"), {.partial = partial}));
    EXPECT_EQ(200, second.endStatus);
    EXPECT_EQ(data, ReadFileBytes(second.worker->savedFile().c_str()));
    EXPECT_FALSE(platform::FileExists(partial.c_str()));
    EXPECT_TRUE(second.worker->partialFile().empty());
    auto log = LoggedRequests("/w/resume.bin");
    ASSERT_EQ(2u, log.size());
    EXPECT_FALSE(HasHeader(log[0], "Range"));
    EXPECT_NE(std::string::npos, log[1].find("[\"Range\", \"bytes=5000-\"]")) << log[1];
}

TEST(ThreadData, BehindAProxyTheLastBytesOfACutAreDropped) {
    const std::string data = DataBytes();
    Options o{.proxy = "127.0.0.1:" + ServerPort("proxy")};
    const std::string url = "http://origin.invalid/w/presume.bin";
    Job first;
    EXPECT_EQ(ThreadData::kLengthMismatch, first.fetch(url, o));
    std::string partial = first.worker->partialFile().c_str();
    ASSERT_FALSE(partial.empty());
    EXPECT_EQ(data.substr(0, 5000), ReadFileBytes(partial));

    o.partial = partial;
    Job second;
    EXPECT_EQ(ThreadData::kLengthMismatch, second.fetch(url, o));
    EXPECT_EQ(partial, second.worker->partialFile().view());
    EXPECT_EQ(data.substr(0, 5000 + 8000 - 2048), ReadFileBytes(partial));
    EXPECT_TRUE(second.out.temporaryFiles().empty());

    Job third;
    EXPECT_EQ(0u, third.fetch(url, o));
    EXPECT_EQ(data, ReadFileBytes(third.worker->savedFile().c_str()));
}

TEST(ThreadData, RangeAnswersThatDoNotFit) {
    const std::string data = DataBytes();
    {
        // A 206 starting elsewhere: refused, the partial data untouched.
        Job job;
        std::string partial = job.out.str() + "/part.bin";
        WriteFileBytes(partial, data.substr(0, 1000));
        EXPECT_EQ(ThreadData::kRefused, job.fetch(HttpUrl("/w/badrange.bin"), {.partial = partial}));
        EXPECT_EQ(partial, job.worker->partialFile().view());
        EXPECT_EQ(data.substr(0, 1000), ReadFileBytes(partial));
        EXPECT_TRUE(job.worker->savedFile().empty());
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
    {
        // A 206 whose Content-Range holds no numbers.
        Job job;
        std::string partial = job.out.str() + "/part.bin";
        WriteFileBytes(partial, "0123456789");
        EXPECT_EQ(ThreadData::kRefused, job.fetch(HttpUrl("/w/rangenonum.bin"), {.partial = partial}));
        EXPECT_EQ("0123456789", ReadFileBytes(partial));
    }
    {
        // 200 to a range request: the partial data goes, the whole body is stored.
        Job job;
        std::string partial = job.out.str() + "/part.bin";
        WriteFileBytes(partial, std::string(1000, 'x'));
        EXPECT_EQ(0u, job.fetch(HttpUrl("/w/norange.bin"), {.partial = partial}));
        EXPECT_EQ(200, job.endStatus);
        EXPECT_EQ(data, ReadFileBytes(job.worker->savedFile().c_str()));
        EXPECT_FALSE(platform::FileExists(partial.c_str()));
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
    {
        // The saved copy is older than the server's file: If-Unmodified-Since
        // fails with 412, and the worker starts again without the range.
        Job job;
        std::string saved = job.out.str() + "/newer.bin";
        std::string partial = job.out.str() + "/part.bin";
        WriteFileBytes(saved, "old");
        WriteFileBytes(partial, std::string(1000, 'y'));
        platform::FileTimes old{kHelloTime - 3600};
        ASSERT_EQ(0, platform::SetFileTimes(saved.c_str(), old));
        EXPECT_EQ(0u, job.fetch(HttpUrl("/w/newer.bin"), {.saved = saved, .partial = partial}));
        EXPECT_EQ(data, ReadFileBytes(saved));
        EXPECT_FALSE(platform::FileExists(partial.c_str()));
        auto log = LoggedRequests("/w/newer.bin");
        ASSERT_EQ(2u, log.size());
        EXPECT_TRUE(HasHeader(log[0], "If-Unmodified-Since"));
        EXPECT_FALSE(HasHeader(log[1], "Range"));
    }
}

TEST(ThreadData, BodiesThatAreWrong) {
    {
        Job job;
        EXPECT_EQ(ThreadData::kNoBody, job.fetch(HttpUrl("/w/empty")));
        EXPECT_EQ(200, job.endStatus);
        EXPECT_TRUE(job.worker->savedFile().empty());
        EXPECT_TRUE(job.worker->partialFile().empty());
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
    {
        Job job;
        EXPECT_EQ(ThreadData::kLengthMismatch, job.fetch(HttpUrl("/w/wronglen")));
        EXPECT_EQ(10u, job.worker->bytesReceived());
        EXPECT_EQ(1000u, job.worker->contentLength());
        // Ten bytes are worth keeping for a resume.
        EXPECT_EQ("0123456789", ReadFileBytes(job.worker->partialFile().c_str()));
    }
    {
        // Too short to tell its type, and nothing to resume from: a resume
        // would ask for the bytes after the third again and again.
        Job job;
        EXPECT_EQ(38u, job.fetch(HttpUrl("/w/three")));
        EXPECT_TRUE(job.worker->savedFile().empty());
        EXPECT_TRUE(job.worker->partialFile().empty());
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
    {
        Job job;
        EXPECT_EQ(ThreadData::kRefused, job.fetch(HttpUrl("/w/gone")));
        EXPECT_EQ(404, job.endStatus);
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
    {
        // A head that is not HTTP gives the library's error.
        Job job;
        uint32_t r = job.fetch(HttpUrl("/garbage"));
        EXPECT_NE(0u, r);
        EXPECT_NE(ThreadData::kRefused, r);
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
    {
        Job job;
        EXPECT_EQ(0u, job.fetch(HttpUrl("/w/longtype")));
        EXPECT_EQ("text/html", job.worker->contentType().view());
    }
}

TEST(ThreadData, ExcludedImagesAreRefused) {
    {
        Job job;
        EXPECT_EQ(ThreadData::kRefused, job.fetch(HttpUrl("/w/untyped-image"), {.images = false}));
        EXPECT_EQ(406, job.endStatus);
        EXPECT_EQ("image/gif", job.worker->contentType().view());
        EXPECT_TRUE(job.worker->savedFile().empty());
        EXPECT_TRUE(job.out.temporaryFiles().empty());
        auto log = LoggedRequests("/w/untyped-image");
        ASSERT_EQ(1u, log.size());
        EXPECT_NE(std::string::npos, log[0].find("[\"Accept\", \"*/*, image/*;q=0\"]")) << log[0];
    }
    {
        Job job;
        EXPECT_EQ(ThreadData::kRefused, job.fetch(HttpUrl("/w/typed-image"), {.images = false}));
        EXPECT_EQ(406, job.endStatus);
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
    {
        // The body of a refused file is never read, however long it is.
        Job job;
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(ThreadData::kRefused, job.fetch(HttpUrl("/w/endless-image"), {.images = false}));
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
}

TEST(ThreadData, TypesTheServerDidNotGive) {
    {
        // "text/plain" that is no text is sniffed like an untyped answer.
        Job job;
        EXPECT_EQ(ThreadData::kRefused, job.fetch(HttpUrl("/w/binary-plain"), {.images = false}));
        EXPECT_EQ(406, job.endStatus);
        EXPECT_EQ("image/gif", job.worker->contentType().view());
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
    {
        // Compressed data says nothing by its first bytes: kept untyped.
        Job job;
        EXPECT_EQ(0u, job.fetch(HttpUrl("/w/gzip-untyped"), {.images = false}));
        EXPECT_EQ("", job.worker->contentType().view());
        EXPECT_EQ("gzip", job.worker->contentEncoding().view());
        EXPECT_FALSE(job.worker->savedFile().empty());
    }
    {
        // 418 asks for credentials like 401; without any it is refused.
        Job job;
        EXPECT_EQ(ThreadData::kRefused, job.fetch(HttpUrl("/w/teapot")));
        EXPECT_EQ(418, job.endStatus);
        EXPECT_TRUE(job.worker->savedFile().empty());
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
}

TEST(ThreadData, FtpAndFileUrlsAreStoredToo) {
    Job ftp;
    EXPECT_EQ(0u, ftp.fetch("ftp://127.0.0.1:" + ServerPort("ftp") + "/hello.txt"));
    EXPECT_EQ(kHello, ReadFileBytes(ftp.worker->savedFile().c_str()));
    EXPECT_TRUE(ftp.out.temporaryFiles().empty());

    Output source;
    std::string page = source.str() + "/page.html";
    WriteFileBytes(page, "<html><head><title>On disk</title></head><body><a href=\"b.html\">b</a></body></html>");
    std::string path = page;
    for (char& c : path)
        if (c == '\\') c = '/';
    std::string url = "file://" + std::string(path[0] == '/' ? "" : "/") + path;
    Job file;
    EXPECT_EQ(0u, file.fetch(url)) << url << " -> " << file.worker->savedFile().c_str() << " / "
                                   << file.worker->temporaryFile().c_str();
    EXPECT_EQ(ReadFileBytes(page), ReadFileBytes(file.worker->savedFile().c_str()));
    EXPECT_EQ("On disk", file.worker->title().view());
    EXPECT_EQ(1u, file.worker->resolvedLinks().size());
}

TEST(ThreadData, AuthenticationWithTheJobsCredentials) {
    // On the proxy's port, which answers plain requests too: WinInet keeps
    // credentials for a server's realm for the rest of the process, and the
    // http server's "/auth" must still ask the other tests. For the same
    // reason the case without credentials goes first.
    const std::string origin = "http://127.0.0.1:" + ServerPort("proxy");
    Job none;
    EXPECT_EQ(ThreadData::kRefused, none.fetch(origin + "/w/auth-none"));
    EXPECT_EQ(401, none.endStatus);
    EXPECT_TRUE(none.worker->savedFile().empty());
    EXPECT_TRUE(none.out.temporaryFiles().empty());

    Job job;
    EXPECT_EQ(0u, job.fetch(origin + "/w/auth", {.user = "ann", .password = "secret"}));
    EXPECT_EQ(200, job.endStatus);
    EXPECT_EQ("inside", ReadFileBytes(job.worker->savedFile().c_str()));
    // The stored name comes from the URL without the credentials.
    EXPECT_EQ(std::string::npos, std::string(job.worker->savedFile().view()).find("ann"));
}

TEST(ThreadData, FolderRedirectIsStoredAsTheFoldersIndexPage) {
    Job job;
    std::string url = HttpUrl("/wdir");
    EXPECT_EQ(0u, job.fetch(url));
    EXPECT_EQ(url + "/", job.worker->finalUrl().view());
    saving::PlaceRequest r;
    std::string folder = job.out.str();
    std::string folderUrl = url + "/";
    r.url = folderUrl;
    r.outputFolder = folder;
    r.mediaType = "text/html";
    r.doNotCreate = true;
    AStr expected;
    ASSERT_TRUE(saving::localPath(r, expected));
    EXPECT_EQ(expected, job.worker->savedFile());
    EXPECT_NE(std::string::npos, ReadFileBytes(expected.c_str()).find("<title>Folder</title>"));
    EXPECT_EQ("Folder", job.worker->title().view());
    ASSERT_EQ(1u, job.worker->resolvedLinks().size());
    EXPECT_EQ(url + "/a.html", job.worker->resolvedLinks()[0].url.view());
    EXPECT_TRUE(job.out.temporaryFiles().empty());
}

TEST(ThreadData, Koi8PageComesOutInWindowsCyrillic) {
    Job job;
    std::string url = HttpUrl("/w/koi8.html");
    EXPECT_EQ(0u, job.fetch(url));
    EXPECT_EQ(3u, job.worker->codePage());
    EXPECT_EQ("\xCF\xF0\xE8\xE2\xE5\xF2", job.worker->title().view());
    EXPECT_EQ(url, job.worker->baseUrl().view());
    ASSERT_EQ(1u, job.worker->resolvedLinks().size());
    EXPECT_EQ(HttpUrl("/w/next.html"), job.worker->resolvedLinks()[0].url.view());
    EXPECT_EQ("\xE4\xE0\xEB\xFC\xF8\xE5", job.worker->resolvedLinks()[0].record->refText.view());
}

// A stop closes nothing by itself: the scheduler closes the session.
uint32_t StopAfter(Job& job, const std::string& url, std::chrono::milliseconds after, double& seconds) {
    job.make(url);
    EXPECT_TRUE(job.worker->start());
    std::this_thread::sleep_for(after);
    auto t0 = std::chrono::steady_clock::now();
    job.worker->stop();
    job.session->close();
    EXPECT_TRUE(job.worker->waitFinished(5000));
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return job.worker->waitForExitCode();
}

TEST(ThreadData, StopEndsAHungOrEndlessDownload) {
    {
        Job job;
        double seconds = 0;
        EXPECT_EQ(ThreadData::kStopped, StopAfter(job, HttpUrl("/w/hang"), std::chrono::milliseconds(300), seconds));
        EXPECT_LT(seconds, 1.0);
        EXPECT_TRUE(job.out.temporaryFiles().empty());
    }
    {
        Job job;
        double seconds = 0;
        EXPECT_EQ(ThreadData::kStopped,
                  StopAfter(job, HttpUrl("/w/endless"), std::chrono::milliseconds(500), seconds));
        EXPECT_LT(seconds, 1.0);
        // What came is kept for a resume, once.
        std::string partial = job.worker->partialFile().c_str();
        ASSERT_FALSE(partial.empty());
        std::string kept = ReadFileBytes(partial);
        EXPECT_EQ(job.worker->bytesReceived(), kept.size());
        EXPECT_EQ(0u, kept.find("endless endless "));
        auto temps = job.out.temporaryFiles();
        ASSERT_EQ(1u, temps.size());
        EXPECT_EQ(partial, temps[0]);
    }
}

// The job's size limit is held by the worker as the bytes come, also for
// a body without end, and counted with the other downloads of the job.
TEST(ThreadData, SizeLimitCutsAnEndlessBody) {
    constexpr uint64_t kLimit = 3 * 1048576 + 12345;
    {
        Job job;
        std::atomic<uint64_t> arrived{0};
        EXPECT_EQ(ThreadData::kSizeLimit,
                  job.fetch(HttpUrl("/w/endless"), {.arrived = &arrived, .sizeLimit = kLimit}));
        EXPECT_EQ(kLimit, job.worker->bytesReceived());
        // What came up to the limit is kept for a resume; nothing past it.
        std::string partial = job.worker->partialFile().c_str();
        ASSERT_FALSE(partial.empty());
        EXPECT_EQ(kLimit, fs::file_size(partial));
        EXPECT_TRUE(job.worker->savedFile().empty());
        // One read of the library past the limit at most.
        EXPECT_LT(arrived.load(), kLimit + 1048576);
    }
    {
        // What another download of the job received leaves less.
        Job job;
        std::atomic<uint64_t> arrived{kLimit - 1000};
        EXPECT_EQ(ThreadData::kSizeLimit,
                  job.fetch(HttpUrl("/w/endless"), {.arrived = &arrived, .sizeLimit = kLimit}));
        EXPECT_EQ(1000u, job.worker->bytesReceived());
    }
    {
        // A file that fits is not touched.
        Job job;
        std::atomic<uint64_t> arrived{0};
        EXPECT_EQ(0u, job.fetch(HttpUrl("/w/fits.txt"), {.arrived = &arrived, .sizeLimit = kHello.size()}));
        EXPECT_EQ(kHello, ReadFileBytes(job.worker->savedFile().c_str()));
        EXPECT_EQ(kHello.size(), arrived.load());
    }
}

}  // namespace
