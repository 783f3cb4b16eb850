#pragma once
// A batch: project files downloaded one after another without the user,
// optionally from a set date and time, optionally hanging up and ending
// the program when the last one is done.

#include <cstdint>

#include "framework/AStr.h"
#include "framework/StrList.h"
#include "platform/FullPath.h"

class ApplicationProfile;
class DialUp;

using StartTime = platform::LocalDateTime;

// The batch list and its settings; copying copies everything.
class Batch : public StrList {
public:
    Batch() : startTime(platform::LocalNow()) {}
    Batch(const Batch& o) : StrList(o), exitOnEndBatch(o.exitOnEndBatch), useStartTime(o.useStartTime), startTime(o.startTime) {}
    Batch& operator=(const Batch& o);

    void read(const ApplicationProfile& settings);
    void write(ApplicationProfile& settings) const;

    // ".zbp" appended to a name without an extension, then the full path
    // in the current folder's terms; "" when that is not possible within
    // 259 characters.
    static AStr normalizeEntry(std::string_view entry);
    void normalizeAll();

    bool exitOnEndBatch = false;
    bool useStartTime = false;
    StartTime startTime;
};

// Whether a is strictly earlier than b, comparing year, month, day, hour,
// minute and second.
bool earlier(const StartTime& a, const StartTime& b);

// What a running batch asks of the main window.
class BatchHost {
public:
    virtual bool idle() const = 0;                      // no download job in progress
    virtual bool hasNamedProject() const = 0;
    virtual void saveAndCloseProject() = 0;
    // Opens a project file as the current project, not added to the
    // recent files; false when it cannot be opened.
    virtual bool openProject(const AStr& path) = 0;
    virtual void resetStatistics() = 0;
    virtual void startDialUpDeadline() = 0;
    virtual void command(int id) = 0;                   // sent at once
    virtual void postCommand(int id) = 0;               // handled later
    virtual void requestExit() = 0;                     // a changed project is saved without asking
    virtual bool startTimer(int id, uint32_t periodMs) = 0;
    virtual void stopTimer(int id) = 0;
    virtual void restoreMenu() = 0;                     // menu 1 and the layout, after a batch

protected:
    ~BatchHost() = default;
};

// A batch as it runs: started, waiting for its time, stepping through its
// entries at each idle step of the program.
class BatchRunner {
public:
    static constexpr int kTimerId = 11;
    static constexpr uint32_t kTimerPeriod = 60000;
    static constexpr int kStartDownload = 125;
    static constexpr int kExit = 199;

    explicit BatchRunner(Batch& batch, DialUp* dialUp = nullptr) : batch_(batch), dialUp_(dialUp) {}

    void setHost(BatchHost* host) { host_ = host; }
    void start();
    void end();
    // The start time is compared with now; reached when strictly earlier.
    void timerTick(const StartTime& now);
    void timerTick() { timerTick(platform::LocalNow()); }
    // One idle step of the program.
    void step();

    bool running() const { return running_; }
    bool startReached() const { return startReached_; }
    uint32_t nextIndex() const { return next_; }

private:
    Batch& batch_;
    DialUp* dialUp_;
    BatchHost* host_ = nullptr;
    bool running_ = false;
    bool startReached_ = false;
    bool timer_ = false;
    bool startedAny_ = false;
    uint32_t next_ = 0;
};
