#include "batch/DialUp.h"

#include <atomic>

#include "app/ApplicationProfile.h"
#include "app/Password.h"
#include "app/ZBraskLibrary.h"
#include "platform/Clock.h"

namespace {

// What the RAS callback saw last. Each field is one word; the record is a
// hint that lets poll go on while the new handle is not yet valid.
struct DialEvent {
    std::atomic<bool> arrived{false};
    std::atomic<uint32_t> state{0};
    std::atomic<uint32_t> error{0};
    std::atomic<platform::RasHandle> handle{0};
};
DialEvent g_event;

void onDialEvent(platform::RasHandle handle, uint32_t state, uint32_t error) {
    g_event.state = state;
    g_event.error = error;
    g_event.handle = handle;
    g_event.arrived = true;
}

constexpr size_t kMaxEntryName = 256;
constexpr uint32_t kHangUpPoll = 100;
constexpr uint32_t kHangUpWait = 5000;

bool isError(uint32_t code) { return code != 0 && code != platform::kRasPending; }

}  // namespace

uint32_t DialClock::now() { return platform::TickCount(); }
void DialClock::sleep(uint32_t ms) { platform::SleepMs(ms); }

DialUp::DialUp() : library_(platform::RasLibrary::Load()), ras_(library_->functions()), clock_(&ownClock_) {}

DialUp::DialUp(const platform::RasFunctions& ras, DialClock* clock)
    : ras_(ras), clock_(clock ? clock : &ownClock_) {}

DialUp::~DialUp() {
    ras_ = {};  // the functions go before the library that holds them
}

int DialUp::stateText(uint32_t state) {
    if (state <= 23) return static_cast<int>(state);
    if (state >= 0x1000 && state <= 0x1003) return static_cast<int>(state - 0x1000 + 24);
    if (state == platform::kRasConnected) return 28;
    if (state == platform::kRasDisconnected) return 29;
    return 0;
}

void DialUp::reportError(uint32_t code) {
    if (!texts_) return;
    std::string fallback;
    if (!ras_.getErrorString || ras_.getErrorString(code, fallback) != 0 || fallback.empty())
        fallback = AStr::format("RAS error #%ld", static_cast<long>(code)).c_str();
    texts_->error(static_cast<int>(code), fallback.c_str());
}

void DialUp::reportState(uint32_t state) {
    if (texts_) texts_->status(stateText(state));
}

void DialUp::showText(const AStr& text) {
    if (texts_) texts_->show(text);
}

void DialUp::showMessage(int number) {
    if (texts_) texts_->show(texts_->text(number));
}

uint32_t DialUp::activeConnections(std::vector<platform::RasConnection>& out) const {
    size_t needed = 0;
    uint32_t r = ras_.enumConnections(1, out, needed);
    // RAS asks for more room with 603, or with success and a larger size.
    if (r == platform::kRasBufferTooSmall || (r == 0 && needed > 1))
        r = ras_.enumConnections(needed, out, needed);
    return r;
}

bool DialUp::connect() {
    connection = 0;
    g_event.arrived = false;
    switch (usage) {
    case kWaitForConnection: return connectWaiting();
    case kDialEntry: return connectEntry();
    default: return true;
    }
}

bool DialUp::connectWaiting() {
    if (!ras_.enumConnections) return true;  // no RAS: nothing to wait for
    std::vector<platform::RasConnection> list;
    if (uint32_t r = activeConnections(list)) {
        reportError(r);
        return true;
    }
    for (const platform::RasConnection& c : list) {
        uint32_t state = 0, error = 0;
        uint32_t r = ras_.getConnectStatus ? ras_.getConnectStatus(c.handle, state, error) : 0;
        if (r == platform::kRasPending || error == platform::kRasPending) {
            connection = c.handle;  // someone is making it: wait for it
            showMessage(102);
            reportState(state);
            return false;
        }
    }
    if (!list.empty()) return true;
    showMessage(102);
    setRetry();
    return false;
}

bool DialUp::connectEntry() {
    std::vector<platform::RasConnection> list;
    if (ras_.enumConnections) {
        if (uint32_t r = activeConnections(list)) {
            reportError(r);
            list.clear();
        }
    }
    platform::RasHandle found = 0;
    for (const platform::RasConnection& c : list) {
        const bool chosen = c.entryName == dialParams.entryName;
        uint32_t state = 0, error = 0;
        uint32_t r = ras_.getConnectStatus ? ras_.getConnectStatus(c.handle, state, error) : 0;
        uint32_t failure = isError(r) ? r : error;
        platform::RasHandle kept = c.handle;
        if (isError(failure)) {
            if (chosen) reportError(failure);
            hangUp(c.handle);
            kept = 0;
        } else if (state != platform::kRasConnected) {
            if (chosen) reportState(state);
            hangUp(c.handle);
            kept = 0;
        }
        if (chosen) found = kept;
    }
    if (found) {
        connection = found;
        return true;
    }
    if (!ras_.dial) return false;
    dial();
    lastState = platform::kRasDisconnected;
    return false;
}

bool DialUp::dial() {
    platform::RasDialParameters params = dialParams;
    if (ras_.getEntryDialParams) {
        bool hasPassword = false;
        platform::RasDialParameters stored;
        if (uint32_t r = ras_.getEntryDialParams(dialParams.entryName, stored, hasPassword)) {
            reportError(r);
            return false;
        }
        params = stored;
        params.entryName = dialParams.entryName;
        if (!hasPassword) {
            params.password = std::string(password.view());
            if (!userName.empty()) params.userName = std::string(userName.view());
        }
    } else {
        params.password = std::string(password.view());
        if (!userName.empty()) params.userName = std::string(userName.view());
    }

    std::string number;
    if (usePhoneList) {
        if (nextPhone < phoneList.count()) {
            number = std::string(phoneList[nextPhone].view());
            ++nextPhone;
        } else {
            if (!phoneList.empty()) number = std::string(phoneList[0].view());
            nextPhone = 1;
        }
    }
    params.phoneNumber.clear();
    if (!number.empty()) {
        std::string full = dialMode == 0 ? "T " : dialMode == 1 ? "p " : "";
        if (!outsideLinePrefix.empty()) {
            full += outsideLinePrefix.view();
            full += 'w';
        }
        full += number;
        params.phoneNumber = full;
    }
    std::string shown = params.phoneNumber;
    if (shown.empty() && ras_.getEntryProperties) {
        std::string local;
        if (ras_.getEntryProperties(dialParams.entryName, local) == 0) shown = local;
    }
    AStr text(dialParams.entryName);
    if (!shown.empty()) {
        text += "   #";
        text += shown;
    }
    showText(text);

    g_event.arrived = false;
    platform::RasHandle handle = 0;
    uint32_t r = ras_.dial(params, &onDialEvent, handle);
    params.password.assign(params.password.size(), '\0');
    if (r) {
        connection = 0;
        reportError(r);
        return false;
    }
    connection = handle;
    return true;
}

bool DialUp::poll() {
    if (retryTime) {
        if (platform::TickPassed(clock_->now(), retryTime)) {
            retryTime = 0;
            connect();
        }
        return true;
    }
    if (!connection) {
        setRetry();
        return true;
    }
    uint32_t state = 0, error = 0;
    uint32_t r = ras_.getConnectStatus ? ras_.getConnectStatus(connection, state, error) : platform::kRasInvalidHandle;
    if (r == platform::kRasInvalidHandle) {
        if (!g_event.arrived) return true;
        state = g_event.state;
        error = g_event.error;
    } else if (isError(r)) {
        error = r;
    }
    if (isError(error)) {
        if (error != platform::kRasInvalidHandle) reportError(error);
        hangUp(connection);
        connection = 0;
        setRetry();
        return true;
    }
    if (state != lastState) {
        lastState = state;
        reportState(state);
    }
    return state != platform::kRasConnected;
}

void DialUp::hangUpOwnConnection() {
    if (usage == kDialEntry && connection) {
        hangUp(connection);
        connection = 0;
    }
    retryTime = 0;
}

void DialUp::hangUp(platform::RasHandle handle) {
    if (!ras_.hangUp) return;
    uint32_t r = ras_.hangUp(handle);
    if (r == platform::kRasInvalidHandle || r == platform::kRasNoConnection) return;
    if (isError(r)) {
        reportError(r);
        return;
    }
    showMessage(101);
    uint32_t state = lastState, error = 0;
    if (ras_.getConnectStatus) {
        for (uint32_t waited = 0; waited < kHangUpWait; waited += kHangUpPoll) {
            clock_->sleep(kHangUpPoll);
            uint32_t now = 0, err = 0;
            uint32_t s = ras_.getConnectStatus(handle, now, err);
            if (s == platform::kRasInvalidHandle) {
                error = 0;
                break;  // the connection is gone
            }
            error = isError(s) ? s : err;
            if (now != state) {
                state = now;
                reportState(state);
            }
        }
    }
    if (isError(error)) reportError(error);
}

void DialUp::read(const ApplicationProfile& s) {
    usage = static_cast<uint16_t>(s.readInt("Dial Up", "Usage", 0));
    hangUpWhenDone = s.readBool("Dial Up", "HangUp", false);
    timeLimit = s.readUnsigned("Dial Up", "Time Limit", kDefaultTimeLimit);
    AStr entry = s.readString("Dial Up", "Entry", "");
    entry.truncate(kMaxEntryName);
    dialParams.entryName = std::string(entry.view());
    userName = s.readString("Dial Up", "UserName", "");
    savePassword = s.readBool("Dial Up", "Save Password", false);
    password = DecodePassword(s.readString("Dial Up", "Password", ""));
    AStr section = entrySection(entry);
    s.readList(phoneList, section.c_str());
    usePhoneList = s.readBool(section.c_str(), "PhoneList", false);
}

void DialUp::write(ApplicationProfile& s) const {
    AStr stored = savePassword ? EncodePassword(password) : AStr();
    s.writeString("Dial Up", "Entry", dialParams.entryName.c_str());
    s.writeBool("Dial Up", "Save Password", savePassword);
    s.writeString("Dial Up", "UserName", userName.c_str());
    s.writeString("Dial Up", "Password", stored.c_str());
    s.writeInt("Dial Up", "Usage", usage);
    s.writeBool("Dial Up", "HangUp", hangUpWhenDone);
    s.writeUnsigned("Dial Up", "Time Limit", timeLimit);
    AStr section = entrySection(AStr(dialParams.entryName));
    s.writeList(phoneList, section.c_str(), false, false);
    s.writeBool(section.c_str(), "PhoneList", usePhoneList);
    s.writeString(section.c_str(), "UserName", userName.c_str());
    s.writeString(section.c_str(), "Password", stored.c_str());
}
