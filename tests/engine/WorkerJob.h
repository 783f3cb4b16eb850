#pragma once
// One download worker run against the local servers: a fresh output
// folder, a session, the worker, and the queue that receives its messages.

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "engine/InternetSession.h"
#include "engine/ThreadData.h"
#include "platform/File.h"
#include "platform/Messages.h"

namespace workertest {

namespace fs = std::filesystem;

inline std::string ReadFileBytes(const std::string& path) {
    platform::File f;
    if (f.open(path.c_str(), platform::File::Mode::Read) != 0) return "<missing>";
    std::string s;
    char buf[65536];
    for (;;) {
        long long n = f.read(buf, sizeof buf);
        if (n <= 0) break;
        s.append(buf, static_cast<size_t>(n));
    }
    return s;
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    platform::File f;
    if (f.open(path.c_str(), platform::File::Mode::Write) == 0) (void)f.write(bytes.data(), bytes.size());
}

inline std::string ServerPort(const char* server) {
    std::string port = ReadFileBytes(std::string(ZB_BINARY_DIR) + "/netservers/" + server + ".port");
    while (!port.empty() && (port.back() == '\n' || port.back() == '\r')) port.pop_back();
    return port;
}

inline std::string HttpUrl(const std::string& path) { return "http://127.0.0.1:" + ServerPort("http") + path; }

// The 100000 bytes of data.bin.
inline std::string DataBytes() {
    std::string s(100000, '\0');
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

// The lines of the http server's log that asked for target.
inline std::vector<std::string> LoggedRequests(const std::string& target) {
    std::string log = ReadFileBytes(std::string(ZB_BINARY_DIR) + "/netservers/http.log");
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < log.size()) {
        size_t end = log.find('\n', pos);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(pos, end - pos);
        if (line.find("\"target\": \"" + target + "\"") != std::string::npos) lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

struct Output {
    fs::path path;
    Output() {
        path = fs::path(ZB_BINARY_DIR) / "testtmp" / ("worker-" + std::to_string(std::random_device{}()));
        path.make_preferred();
        fs::create_directories(path);
    }
    ~Output() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string str() const { return path.string(); }
    // Every file below the folder whose name starts with "~DL~".
    std::vector<std::string> temporaryFiles() const {
        std::vector<std::string> out;
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(path, ec))
            if (e.path().filename().string().rfind("~DL~", 0) == 0) out.push_back(e.path().string());
        return out;
    }
};

struct Options {
    std::string saved;
    std::string partial;
    std::string referrer;
    uint32_t codePage = 0;
    bool detect = true;
    bool images = true;
    std::string user, password;
    std::string proxy;  // host:port of a proxy asking ann:secret
    std::atomic<uint64_t>* arrived = nullptr;  // the job's byte count, with sizeLimit
    uint64_t sizeLimit = 0;
};

struct Job {
    Output out;
    platform::MessageQueue queue;
    std::unique_ptr<CInternetSession> session;
    ThreadData* worker = nullptr;
    uint32_t result = 0;
    int endStatus = -1;  // wParam of the end message
    bool endPosted = false;

    ~Job() {
        if (worker) worker->release();
    }

    void make(const std::string& url, const Options& o = {}) {
        if (o.proxy.empty())
            session = std::make_unique<CInternetSession>("zbrask tests", 1, platform::inet::kOpenPreconfig, nullptr,
                                                         nullptr, 0, "", "");
        else
            session = std::make_unique<CInternetSession>("zbrask tests", 1, platform::inet::kOpenProxy,
                                                         o.proxy.c_str(), nullptr, 0, "ann", "secret");
        if (worker) worker->release();
        worker = new ThreadData(session.get(), url.c_str(), o.referrer.c_str(), o.saved.c_str(), o.partial.c_str(),
                                0, out.str().c_str(), queue.handle(), o.codePage, o.detect);
        worker->accepted[ThreadData::kImage] = o.images;
        worker->user = o.user.c_str();
        worker->password = o.password.c_str();
        worker->arrived = o.arrived;
        worker->sizeLimit = o.sizeLimit;
    }

    // Runs the worker on its thread to its end and takes the end message.
    uint32_t fetch(const std::string& url, const Options& o = {}) {
        make(url, o);
        if (!worker->start()) return 0xDEAD;
        result = worker->waitForExitCode();
        platform::Message m;
        while (queue.wait(2000, m)) {
            if (m.id == Thread::endMessage() && m.lParam == reinterpret_cast<intptr_t>(worker)) {
                endPosted = true;
                endStatus = static_cast<int>(m.wParam);
                break;
            }
        }
        return result;
    }
};

}  // namespace workertest
