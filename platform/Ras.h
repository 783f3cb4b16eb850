#pragma once
// The Remote Access Service (dial-up networking) as a table of operations,
// each of which may be missing. Windows: the functions of "RASAPI32",
// loaded by name, with the records of the first RAS version. POSIX has no
// such service: every entry is empty.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

using RasHandle = uintptr_t;

// Result codes and connection states the program reacts to.
enum : uint32_t {
    kRasInvalidHandle = 6,
    kRasPending = 600,
    kRasBufferTooSmall = 603,
    kRasCannotOpenPhonebook = 621,
    kRasNoConnection = 668,
    kRasConnected = 0x2000,
    kRasDisconnected = 0x2001,
};

struct RasConnection {
    RasHandle handle = 0;
    std::string entryName;
};

struct RasDialParameters {
    std::string entryName;  // at most 256 characters
    std::string phoneNumber;
    std::string callbackNumber;
    std::string userName;
    std::string password;
    std::string domain;
};

// What RAS reports while a dial proceeds, from its own thread.
using RasNotify = void (*)(RasHandle handle, uint32_t state, uint32_t error);

struct RasFunctions {
    std::function<uint32_t(std::vector<std::string>& entries)> enumEntries;
    // Starts dialling; progress arrives through notify.
    std::function<uint32_t(const RasDialParameters& params, RasNotify notify, RasHandle& handle)> dial;
    // The call's own result; state and error are the status record's.
    std::function<uint32_t(RasHandle handle, uint32_t& state, uint32_t& error)> getConnectStatus;
    // Lists at most room connections; 603 with needed set when more exist.
    std::function<uint32_t(size_t room, std::vector<RasConnection>& out, size_t& needed)> enumConnections;
    std::function<uint32_t(RasHandle handle)> hangUp;
    std::function<uint32_t(uint32_t code, std::string& text)> getErrorString;
    std::function<uint32_t(const std::string& entry, RasDialParameters& params, bool& hasPassword)> getEntryDialParams;
    std::function<uint32_t(const std::string& entry, std::string& localPhoneNumber)> getEntryProperties;
    std::function<uint32_t(void* owner)> createPhonebookEntry;
    std::function<uint32_t(void* owner, const std::string& entry)> editPhonebookEntry;
};

// The loaded service; the library stays loaded while the object lives.
class RasLibrary {
public:
    virtual ~RasLibrary() = default;
    const RasFunctions& functions() const { return functions_; }

    static std::unique_ptr<RasLibrary> Load();

protected:
    RasFunctions functions_;
};

}  // namespace platform
