#include "batch/Batch.h"

#include <tuple>

#include "app/ApplicationProfile.h"
#include "batch/DialUp.h"
#include "framework/FileExtension.h"

namespace {
constexpr size_t kMaxEntryPath = 259;
}

Batch& Batch::operator=(const Batch& o) {
    if (this != &o) {
        StrList::operator=(o);
        exitOnEndBatch = o.exitOnEndBatch;
        useStartTime = o.useStartTime;
        startTime = o.startTime;
    }
    return *this;
}

void Batch::read(const ApplicationProfile& s) {
    s.readList(*this, "MissionList");
    exitOnEndBatch = s.readBool("DLoad", "ExitOnEndBatch", false);
    useStartTime = s.readBool("Batch", "UseStartTime", false);
    StartTime now = platform::LocalNow();
    auto field = [&](const char* key, uint16_t def) {
        return static_cast<uint16_t>(s.readInt("Batch", key, def));
    };
    startTime = now;
    startTime.year = field("tm_year", now.year);
    startTime.month = field("tm_mon", now.month);
    startTime.day = field("tm_mday", now.day);
    startTime.hour = field("tm_hour", now.hour);
    startTime.minute = field("tm_min", now.minute);
    startTime.second = field("tm_sec", now.second);
}

void Batch::write(ApplicationProfile& s) const {
    s.writeList(*this, "MissionList", false, true);
    s.writeBool("DLoad", "ExitOnEndBatch", exitOnEndBatch);
    s.writeBool("Batch", "UseStartTime", useStartTime);
    s.writeInt("Batch", "tm_sec", startTime.second);
    s.writeInt("Batch", "tm_min", startTime.minute);
    s.writeInt("Batch", "tm_hour", startTime.hour);
    s.writeInt("Batch", "tm_mday", startTime.day);
    s.writeInt("Batch", "tm_mon", startTime.month);
    s.writeInt("Batch", "tm_year", startTime.year);
}

AStr Batch::normalizeEntry(std::string_view entry) {
    std::string name(entry);
    if (ExtensionStart(name) == std::string::npos) name += ".zbp";
    return AStr(platform::FullPath(name, kMaxEntryPath));
}

void Batch::normalizeAll() {
    for (StrNode* n = first(); n; n = static_cast<StrNode*>(n->next())) n->str = normalizeEntry(n->str);
}

bool earlier(const StartTime& a, const StartTime& b) {
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second) <
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}

void BatchRunner::start() {
    running_ = true;
    startedAny_ = false;
    next_ = 0;
    if (batch_.useStartTime) {
        startReached_ = false;
        if (!timer_ && host_) timer_ = host_->startTimer(kTimerId, kTimerPeriod);
    }
}

void BatchRunner::end() {
    if (timer_ && host_) host_->stopTimer(kTimerId);
    timer_ = false;
    running_ = false;
    if (host_) host_->restoreMenu();
}

void BatchRunner::timerTick(const StartTime& now) {
    if (earlier(batch_.startTime, now)) startReached_ = true;
}

void BatchRunner::step() {
    if (!running_ || (batch_.useStartTime && !startReached_) || !host_ || !host_->idle()) return;
    bool opened = false;
    while (next_ < batch_.count()) {
        if (host_->hasNamedProject()) host_->saveAndCloseProject();
        AStr path = Batch::normalizeEntry(batch_[next_]);
        if (!path.empty() && host_->openProject(path)) {
            opened = true;
            break;
        }
        ++next_;
    }
    if (opened) {
        // The first project that opens starts the statistics and the
        // dial-up deadline, also when the entries before it failed.
        if (!startedAny_) {
            startedAny_ = true;
            host_->resetStatistics();
            host_->startDialUpDeadline();
        }
        host_->command(kStartDownload);
        ++next_;
        return;
    }
    if (dialUp_ && dialUp_->hangUpWhenDone) dialUp_->hangUpOwnConnection();
    if (batch_.exitOnEndBatch) {
        host_->requestExit();
        host_->postCommand(kExit);
    }
    end();
}
