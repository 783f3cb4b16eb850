#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/Shell.h"
#include "platform/SystemMessage.h"

namespace {

TEST(SystemMessageWin32, SystemTextWithoutTrailingLineBreak) {
    std::string s = platform::SystemMessage(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(s.empty());
    EXPECT_NE(s.back(), '\n');
    EXPECT_NE(s.back(), '\r');
    EXPECT_EQ(platform::SystemMessage(0x2FFFFFFF), "") << "a code the system does not know";
}

void SetDefault(const char* path, const char* value, DWORD type = REG_SZ) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr),
              ERROR_SUCCESS)
        << path;
    RegSetValueExA(k, nullptr, 0, type, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
    RegCloseKey(k);
}

// A file type of the test's own, so that the prefix's ".htm" stays as it is.
TEST(OpenCommandWin32, ExtensionClassCommand) {
    SetDefault(".zbtest1", "zbtest.file1");
    SetDefault("zbtest.file1\\shell\\open\\command", "\"C:\\Test Browser\\b.exe\" -new \"%1\"");
    SetDefault(".zbtest2", "zbtest.file2");
    SetDefault("zbtest.file2\\shell\\open\\command", "%SystemRoot%\\b.exe %1", REG_EXPAND_SZ);
    SetDefault(".zbtest3", "zbtest.noclass");

    EXPECT_EQ(platform::OpenCommandForExtension(".zbtest1"), "\"C:\\Test Browser\\b.exe\" -new \"%1\"");
    char root[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("SystemRoot", root, sizeof root), 0u);
    EXPECT_EQ(platform::OpenCommandForExtension(".zbtest2"), std::string(root) + "\\b.exe %1");
    EXPECT_EQ(platform::OpenCommandForExtension(".zbtest3"), "");
    EXPECT_EQ(platform::OpenCommandForExtension(".zbtest-none"), "");

    for (const char* k : {"zbtest.file1\\shell\\open\\command", "zbtest.file1\\shell\\open", "zbtest.file1\\shell",
                          "zbtest.file1", "zbtest.file2\\shell\\open\\command", "zbtest.file2\\shell\\open",
                          "zbtest.file2\\shell", "zbtest.file2", ".zbtest1", ".zbtest2", ".zbtest3"})
        RegDeleteKeyA(HKEY_CLASSES_ROOT, k);
}

TEST(ShellOpenWin32, MissingFileFailsWithoutStartingAnything) {
    std::string target = std::string(ZB_BINARY_DIR) + "\\testlang\\no such file.zzq";
    EXPECT_EQ(platform::ShellOpen(nullptr, target.c_str()), 2);
    EXPECT_EQ(platform::RunProgram(nullptr, target.c_str(), "x"), 2);
}

}  // namespace
