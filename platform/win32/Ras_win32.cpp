// The RAS functions of RASAPI32 with the records of its first version:
// connection 412 bytes, connection status 160, dial parameters 1052, entry
// name 264 (sizes of the 32-bit programs; the 64-bit build's are the same
// layouts with a pointer-sized handle).
#include <windows.h>

#include <atomic>
#include <cstring>

#include "platform/Ras.h"

namespace platform {

namespace {

struct RasConnV1 {
    DWORD size;
    HANDLE handle;
    char entryName[257];
    char deviceType[17];
    char deviceName[129];
};
struct RasConnStatusV1 {
    DWORD size;
    DWORD state;
    DWORD error;
    char deviceType[17];
    char deviceName[129];
};
struct RasDialParamsV1 {
    DWORD size;
    char entryName[257];
    char phoneNumber[129];
    char callbackNumber[129];
    char userName[257];
    char password[257];
    char domain[16];
};
struct RasEntryNameV1 {
    DWORD size;
    char entryName[257];
};
constexpr DWORD kEntrySizeV1 = 1768;
constexpr size_t kLocalPhoneOffset = 4 * sizeof(DWORD) + 11;  // behind the area code

#ifndef _WIN64
static_assert(sizeof(RasConnV1) == 412 && sizeof(RasDialParamsV1) == 1052 && sizeof(RasEntryNameV1) == 264);
#endif
static_assert(sizeof(RasConnStatusV1) == 160);

using EnumEntriesFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, RasEntryNameV1*, LPDWORD, LPDWORD);
using DialFn = DWORD(WINAPI*)(LPVOID, LPCSTR, RasDialParamsV1*, DWORD, LPVOID, HANDLE*);
using StatusFn = DWORD(WINAPI*)(HANDLE, RasConnStatusV1*);
using EnumConnFn = DWORD(WINAPI*)(RasConnV1*, LPDWORD, LPDWORD);
using HangUpFn = DWORD(WINAPI*)(HANDLE);
using ErrorStringFn = DWORD(WINAPI*)(UINT, LPSTR, DWORD);
using DialParamsFn = DWORD(WINAPI*)(LPCSTR, RasDialParamsV1*, LPBOOL);
using PropertiesFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, LPVOID, LPDWORD, LPBYTE, LPDWORD);
using CreateFn = DWORD(WINAPI*)(HWND, LPCSTR);
using EditFn = DWORD(WINAPI*)(HWND, LPCSTR, LPCSTR);

void copyOut(char* dst, size_t n, const std::string& s) {
    std::memset(dst, 0, n);
    std::memcpy(dst, s.data(), s.size() < n - 1 ? s.size() : n - 1);
}

// RAS takes a plain function; the program dials one connection at a time.
std::atomic<RasNotify> g_notify{nullptr};

VOID WINAPI notifyTrampoline(HANDLE conn, UINT, DWORD state, DWORD error, DWORD) {
    if (RasNotify n = g_notify.load()) n(reinterpret_cast<RasHandle>(conn), state, error);
}

template <class F>
F proc(HMODULE m, const char* name) {
    return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

class Win32Ras final : public RasLibrary {
public:
    Win32Ras() : module_(LoadLibraryA("RASAPI32")) {
        if (auto f = proc<EnumEntriesFn>(module_, "RasEnumEntriesA"))
            functions_.enumEntries = [f](std::vector<std::string>& out) -> uint32_t {
                out.clear();
                std::vector<RasEntryNameV1> buf(1);
                buf[0].size = sizeof(RasEntryNameV1);
                DWORD cb = sizeof(RasEntryNameV1), count = 0;
                DWORD r = f(nullptr, nullptr, buf.data(), &cb, &count);
                if (r == kRasBufferTooSmall) {
                    buf.assign(cb / sizeof(RasEntryNameV1) + 1, RasEntryNameV1{});
                    for (auto& e : buf) e.size = sizeof(RasEntryNameV1);
                    cb = static_cast<DWORD>(buf.size() * sizeof(RasEntryNameV1));
                    r = f(nullptr, nullptr, buf.data(), &cb, &count);
                }
                if (r) return r;
                for (DWORD i = 0; i < count && i < buf.size(); ++i) out.emplace_back(buf[i].entryName);
                return 0;
            };
        if (auto f = proc<DialFn>(module_, "RasDialA"))
            functions_.dial = [f](const RasDialParameters& p, RasNotify notify, RasHandle& handle) -> uint32_t {
                RasDialParamsV1 rec{};
                rec.size = sizeof rec;
                copyOut(rec.entryName, sizeof rec.entryName, p.entryName);
                copyOut(rec.phoneNumber, sizeof rec.phoneNumber, p.phoneNumber);
                copyOut(rec.callbackNumber, sizeof rec.callbackNumber, p.callbackNumber);
                copyOut(rec.userName, sizeof rec.userName, p.userName);
                copyOut(rec.password, sizeof rec.password, p.password);
                copyOut(rec.domain, sizeof rec.domain, p.domain);
                g_notify.store(notify);
                HANDLE h = nullptr;
                DWORD r = f(nullptr, nullptr, &rec, 1, reinterpret_cast<LPVOID>(&notifyTrampoline), &h);
                SecureZeroMemory(rec.password, sizeof rec.password);
                handle = reinterpret_cast<RasHandle>(h);
                return r;
            };
        if (auto f = proc<StatusFn>(module_, "RasGetConnectStatusA"))
            functions_.getConnectStatus = [f](RasHandle h, uint32_t& state, uint32_t& error) -> uint32_t {
                RasConnStatusV1 st{};
                st.size = sizeof st;
                DWORD r = f(reinterpret_cast<HANDLE>(h), &st);
                state = st.state;
                error = st.error;
                return r;
            };
        if (auto f = proc<EnumConnFn>(module_, "RasEnumConnectionsA"))
            functions_.enumConnections = [f](size_t room, std::vector<RasConnection>& out, size_t& needed) -> uint32_t {
                out.clear();
                std::vector<RasConnV1> buf(room ? room : 1);
                for (auto& c : buf) c.size = sizeof(RasConnV1);
                DWORD cb = static_cast<DWORD>(buf.size() * sizeof(RasConnV1)), count = 0;
                DWORD r = f(buf.data(), &cb, &count);
                needed = cb / sizeof(RasConnV1);
                if (r) return r;
                for (DWORD i = 0; i < count && i < buf.size(); ++i)
                    out.push_back({reinterpret_cast<RasHandle>(buf[i].handle), buf[i].entryName});
                return 0;
            };
        if (auto f = proc<HangUpFn>(module_, "RasHangUpA"))
            functions_.hangUp = [f](RasHandle h) -> uint32_t { return f(reinterpret_cast<HANDLE>(h)); };
        if (auto f = proc<ErrorStringFn>(module_, "RasGetErrorStringA"))
            functions_.getErrorString = [f](uint32_t code, std::string& text) -> uint32_t {
                char buf[512] = {};
                DWORD r = f(code, buf, sizeof buf);
                text = r ? std::string() : std::string(buf);
                return r;
            };
        if (auto f = proc<DialParamsFn>(module_, "RasGetEntryDialParamsA"))
            functions_.getEntryDialParams = [f](const std::string& entry, RasDialParameters& p, bool& hasPassword) -> uint32_t {
                RasDialParamsV1 rec{};
                rec.size = sizeof rec;
                copyOut(rec.entryName, sizeof rec.entryName, entry);
                BOOL pw = FALSE;
                DWORD r = f(nullptr, &rec, &pw);
                if (r) return r;
                p = {rec.entryName, rec.phoneNumber, rec.callbackNumber, rec.userName, rec.password, rec.domain};
                SecureZeroMemory(rec.password, sizeof rec.password);
                hasPassword = pw != FALSE;
                return 0;
            };
        if (auto f = proc<PropertiesFn>(module_, "RasGetEntryPropertiesA"))
            functions_.getEntryProperties = [f](const std::string& entry, std::string& phone) -> uint32_t {
                std::vector<char> buf(kEntrySizeV1, 0);
                DWORD size = kEntrySizeV1;
                std::memcpy(buf.data(), &size, sizeof size);
                DWORD r = f(nullptr, entry.c_str(), buf.data(), &size, nullptr, nullptr);
                if (r) return r;
                buf.back() = 0;
                phone.assign(buf.data() + kLocalPhoneOffset, strnlen(buf.data() + kLocalPhoneOffset, 128));
                return 0;
            };
        if (auto f = proc<CreateFn>(module_, "RasCreatePhonebookEntryA"))
            functions_.createPhonebookEntry = [f](void* owner) -> uint32_t { return f(static_cast<HWND>(owner), nullptr); };
        if (auto f = proc<EditFn>(module_, "RasEditPhonebookEntryA"))
            functions_.editPhonebookEntry = [f](void* owner, const std::string& entry) -> uint32_t {
                return f(static_cast<HWND>(owner), nullptr, entry.c_str());
            };
    }
    ~Win32Ras() override {
        functions_ = {};
        if (module_) FreeLibrary(module_);
    }

private:
    HMODULE module_;
};

}  // namespace

std::unique_ptr<RasLibrary> RasLibrary::Load() { return std::make_unique<Win32Ras>(); }

}  // namespace platform
