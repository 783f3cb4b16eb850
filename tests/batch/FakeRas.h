#pragma once
// A scripted Remote Access Service for the dial-up tests of the batch and
// of the engine: a phone book with one entry, the connections RAS knows of,
// and a record of what the program dialled and hung up. The clock is the
// test's; no real time passes while the program waits for a line.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "batch/DialUp.h"
#include "platform/Ras.h"

struct FakeDialClock : DialClock {
    uint32_t t = 1000;
    uint32_t now() override { return t; }
    void sleep(uint32_t ms) override { t += ms; }
};

struct FakeRas {
    struct Conn {
        std::string entry;
        uint32_t state = platform::kRasConnected;
        uint32_t error = 0;
    };

    std::map<platform::RasHandle, Conn> conns;
    std::vector<std::string> dialled;      // phone numbers as passed to dial
    std::vector<std::string> passwords;    // passwords as passed to dial
    std::vector<platform::RasHandle> hungUp;
    std::vector<size_t> enumRooms;
    platform::RasHandle nextHandle = 100;
    uint32_t stateAfterDial = 5;           // a state below connected
    bool notifyOnDial = false;
    bool handleValidAtOnce = true;
    bool phonebookHasPassword = false;
    bool connectionOutlivesHangUp = false;

    platform::RasFunctions table() {
        platform::RasFunctions f;
        f.enumConnections = [this](size_t room, std::vector<platform::RasConnection>& out, size_t& needed) -> uint32_t {
            enumRooms.push_back(room);
            out.clear();
            needed = conns.size();
            if (room < conns.size()) return platform::kRasBufferTooSmall;
            for (auto& [h, c] : conns) out.push_back({h, c.entry});
            return 0;
        };
        f.getConnectStatus = [this](platform::RasHandle h, uint32_t& state, uint32_t& error) -> uint32_t {
            auto it = conns.find(h);
            if (it == conns.end()) return platform::kRasInvalidHandle;
            state = it->second.state;
            error = it->second.error;
            return 0;
        };
        f.hangUp = [this](platform::RasHandle h) -> uint32_t {
            hungUp.push_back(h);
            if (!conns.count(h)) return platform::kRasInvalidHandle;
            if (!connectionOutlivesHangUp) conns.erase(h);
            return 0;
        };
        f.dial = [this](const platform::RasDialParameters& p, platform::RasNotify notify,
                        platform::RasHandle& h) -> uint32_t {
            dialled.push_back(p.phoneNumber);
            passwords.push_back(p.password);
            h = nextHandle++;
            if (handleValidAtOnce) conns[h] = {p.entryName, stateAfterDial, 0};
            if (notifyOnDial) notify(h, platform::kRasConnected, 0);
            return 0;
        };
        f.getEntryDialParams = [this](const std::string& entry, platform::RasDialParameters& p,
                                      bool& hasPw) -> uint32_t {
            p = {};
            p.entryName = entry;
            p.userName = "bookuser";
            p.password = phonebookHasPassword ? "bookpass" : "";
            hasPw = phonebookHasPassword;
            return 0;
        };
        f.getEntryProperties = [](const std::string&, std::string& phone) -> uint32_t {
            phone = "5550100";
            return 0;
        };
        f.getErrorString = [](uint32_t code, std::string& text) -> uint32_t {
            text = "ras says " + std::to_string(code);
            return 0;
        };
        return f;
    }

    // The connection the last dial made fails, as a modem without answer.
    void failLast(uint32_t error = 678) { conns[nextHandle - 1].error = error; }
    // The connection the last dial made comes up.
    void answerLast() { conns[nextHandle - 1].state = platform::kRasConnected; }
    platform::RasHandle lastHandle() const { return nextHandle - 1; }
};
