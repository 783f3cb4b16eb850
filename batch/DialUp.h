#pragma once
// The dial-up connection: makes sure a connection to the Internet exists
// before downloads start, dials the chosen phone-book entry itself when
// asked to, watches the dial, redials through a rotating list of numbers,
// and hangs up. Everything runs in the user-interface thread; the RAS
// callback only stores the last event.

#include <cstdint>
#include <memory>

#include "framework/AStr.h"
#include "framework/StrList.h"
#include "platform/Ras.h"

class ApplicationProfile;
class ZBraskLibrary;

// Time as the dial-up object sees it, replaceable in tests.
class DialClock {
public:
    virtual ~DialClock() = default;
    virtual uint32_t now();
    virtual void sleep(uint32_t ms);
};

class DialUp {
public:
    enum Usage : uint16_t { kNoDialUp = 0, kWaitForConnection = 1, kDialEntry = 2 };
    static constexpr uint32_t kDefaultTimeLimit = 3600000;
    static constexpr uint32_t kRetryDelay = 2000;

    // Loads the platform's RAS functions; a missing library or function
    // leaves its entry empty.
    DialUp();
    // The given functions instead (tests, and platforms without RAS).
    explicit DialUp(const platform::RasFunctions& ras, DialClock* clock = nullptr);
    virtual ~DialUp();
    DialUp(const DialUp&) = delete;
    DialUp& operator=(const DialUp&) = delete;

    // True when downloading may go on now; false when the caller must wait
    // and poll.
    bool connect();
    // True while still waiting for a connection, false once connected.
    bool poll();
    // With usage 2 and a connection: hangs it up and forgets it. Always
    // clears the retry time.
    void hangUpOwnConnection();
    void hangUp(platform::RasHandle handle);

    // The longest time the program's own connection may be used (0 means
    // one hour).
    uint32_t effectiveTimeLimit() const { return timeLimit ? timeLimit : kDefaultTimeLimit; }

    // "Dial Up" and the entry's own section, in the settings file's order.
    void read(const ApplicationProfile& settings);
    void write(ApplicationProfile& settings) const;
    static AStr entrySection(const AStr& entry) { return AStr("Dial Up.") + entry; }

    void setTextSource(ZBraskLibrary* source) { texts_ = source; }
    const platform::RasFunctions& ras() const { return ras_; }

    // Settings and state, in this order.
    uint16_t usage = kNoDialUp;
    uint32_t timeLimit = kDefaultTimeLimit;
    bool hangUpWhenDone = false;
    platform::RasDialParameters dialParams;  // the entry name is the chosen entry
    AStr password;
    AStr userName;
    bool savePassword = false;
    StrList phoneList;
    uint32_t nextPhone = 0;
    bool usePhoneList = false;
    platform::RasHandle connection = 0;
    uint32_t lastState = 0;
    AStr outsideLinePrefix;
    int32_t dialMode = 1;      // 0 tone, 1 pulse, else no mode letter
    uint32_t retryTime = 0;    // tick of the next attempt, 0 when none

    // The language text number (past 21000) of a connection state.
    static int stateText(uint32_t state);

protected:
    // Reports, in this slot order; shown through the text source if set.
    virtual void reportError(uint32_t code);
    virtual void reportState(uint32_t state);
    virtual void showText(const AStr& text);
    virtual void showMessage(int number);

private:
    // The active connections, asking once more with the room RAS names.
    uint32_t activeConnections(std::vector<platform::RasConnection>& out) const;
    bool connectWaiting();
    bool connectEntry();
    bool dial();
    void setRetry() { retryTime = clock_->now() + kRetryDelay; if (!retryTime) retryTime = 1; }

    std::unique_ptr<platform::RasLibrary> library_;
    platform::RasFunctions ras_;
    DialClock ownClock_;
    DialClock* clock_;
    ZBraskLibrary* texts_ = nullptr;
};
