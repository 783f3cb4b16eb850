// Where the updater is found: the "Location" the installer registered.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/shell/UpdaterStart.h"

namespace {

// Sets "Location" for the test and puts the old value back afterwards.
class LocationValue {
public:
    LocationValue() {
        RegCreateKeyExA(HKEY_CURRENT_USER, kUpdaterKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD type = 0, size = sizeof old_;
        had_ = RegQueryValueExA(key_, "Location", nullptr, &type, reinterpret_cast<BYTE*>(old_), &size) == ERROR_SUCCESS;
        oldSize_ = size;
    }
    ~LocationValue() {
        if (had_) RegSetValueExA(key_, "Location", 0, REG_SZ, reinterpret_cast<BYTE*>(old_), oldSize_);
        else RegDeleteValueA(key_, "Location");
        RegCloseKey(key_);
    }
    void set(const std::string& v) {
        RegSetValueExA(key_, "Location", 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                       static_cast<DWORD>(v.size() + 1));
    }
    void remove() { RegDeleteValueA(key_, "Location"); }

private:
    HKEY key_ = nullptr;
    char old_[1024] = {};
    DWORD oldSize_ = 0;
    bool had_ = false;
};

}  // namespace

TEST(UpdaterRegistry, LocationIsReadWithinItsLimit) {
    LocationValue location;
    location.set("C:\\Program Files\\Zelko\\zrenew.exe");
    EXPECT_EQ(AStr("C:\\Program Files\\Zelko\\zrenew.exe"), RegisteredUpdater());
    // 259 characters and the zero fit the 260 bytes; one more does not.
    location.set("C:\\" + std::string(256, 'a'));
    EXPECT_EQ(259u, RegisteredUpdater().size());
    location.set("C:\\" + std::string(257, 'a'));
    EXPECT_EQ(AStr(), RegisteredUpdater());
    location.remove();
    EXPECT_EQ(AStr(), RegisteredUpdater());
}
