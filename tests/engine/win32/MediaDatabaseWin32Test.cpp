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
