// The Windows media database is the class registry; the test writes its
// keys there (in the build folder's own Wine prefix) and removes them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "engine/MediaTypes.h"
#include "platform/MediaDatabase.h"

namespace {

void setValue(const char* path, const char* name, const char* value) {
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                            static_cast<DWORD>(std::strlen(value) + 1)));
    RegCloseKey(k);
}

void setBits(const char* type, const std::string& value) {
    std::string path = std::string("MIME\\Database\\Content Type\\") + type + "\\Bits";
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                                             nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(k, "0", 0, REG_BINARY, reinterpret_cast<const BYTE*>(value.data()),
                                            static_cast<DWORD>(value.size())));
    RegCloseKey(k);
}

}  // namespace

TEST(MediaDatabaseWin32, ReadsTheClassRegistry) {
    setValue("MIME\\Database\\Content Type\\application/x-zbtest", "Extension", ".zbt");
    setValue(".zbx", "Content Type", "application/x-zbother,application/x-zbtest");
    setValue(".zbq", "Content Type", "application/x-zbquery");

    EXPECT_EQ(".zbt", platform::MediaExtensionOfType("application/x-zbtest"));
    EXPECT_EQ("application/x-zbother,application/x-zbtest", platform::MediaTypeOfExtension(".ZBX"));
    bool registered = false;
    EXPECT_TRUE(media::extensionMatchesType(".zbx", "APPLICATION/X-ZBTEST", &registered));
    EXPECT_TRUE(registered);
    EXPECT_FALSE(media::extensionMatchesType(".zbx", "application/x-zb", &registered));
    // A type without an "Extension" value is found through the extension keys.
    EXPECT_EQ(".zbq", std::string(media::extensionForType("application/x-zbquery").view()));

    RegDeleteKeyA(HKEY_CLASSES_ROOT, "MIME\\Database\\Content Type\\application/x-zbtest");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".zbx");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".zbq");
    EXPECT_EQ("", platform::MediaTypeOfExtension(".zbx"));
}

TEST(MediaDatabaseWin32, SignaturesOfTheClassRegistry) {
    // A length, a mask of as many bytes, then the bytes themselves.
    setBits("application/x-zbsig", std::string("\x04\0\0\0\xff\xff\xff\xffZBS1", 12));
    // A length the value cannot hold matches nothing.
    setBits("application/x-zbbroken", std::string("\x40\0\0\0ZBS1", 8));
    const uint8_t file[] = {'Z', 'B', 'S', '1', 'r', 'e', 's', 't'};
    EXPECT_EQ("application/x-zbsig", platform::MediaTypeOfSignature(file, sizeof file));
    EXPECT_EQ("", platform::MediaTypeOfSignature(file, 3));  // shorter than the signature
    const uint8_t other[] = {'Z', 'B', 'S', '2'};
    EXPECT_EQ("", platform::MediaTypeOfSignature(other, sizeof other));
    for (const char* type : {"application/x-zbsig", "application/x-zbbroken"}) {
        std::string key = std::string("MIME\\Database\\Content Type\\") + type;
        RegDeleteKeyA(HKEY_CLASSES_ROOT, (key + "\\Bits").c_str());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    }
}
