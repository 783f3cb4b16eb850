#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/Library.h"

namespace {

std::string TestLibraryPath(const char* name) { return std::string(ZB_BINARY_DIR) + "/testlang/" + name; }

std::unique_ptr<platform::Library> LoadTest(const char* name) {
    int error = -1;
    auto lib = platform::Library::Load(TestLibraryPath(name).c_str(), &error);
    EXPECT_TRUE(lib) << name << ": error " << error;
    EXPECT_EQ(error, lib ? 0 : error);
    return lib;
}

TEST(LibraryWin32, TextsComeThroughLoadStringInTheLibrarysCodePage) {
    auto en = LoadTest("tlenu.dll");
    auto ru = LoadTest("tlrus.dll");
    ASSERT_TRUE(en && ru);
    EXPECT_EQ(en->codePage(), 1252) << "string table marked English (US)";
    EXPECT_EQ(ru->codePage(), 1251) << "string table marked Russian";
    EXPECT_EQ(en->text(22113), "English (test)");
    EXPECT_EQ(ru->text(22113), "\xD0\xF3\xF1\xF1\xEA\xE8\xE9 (\xF2\xE5\xF1\xF2)");
    EXPECT_EQ(ru->text(22064), "\xC7\xC1 \xD2\xE5\xF1\xF2") << "a text of another string block";
    EXPECT_EQ(en->text(100), "Tab\there\r\nline two \\ back");
    EXPECT_EQ(en->text(101).size(), 1023u);
    EXPECT_EQ(en->text(101, 10), std::string(9, 'x'));
    EXPECT_EQ(en->text(22112), "");
    EXPECT_EQ(en->text(22113 + 0x10000), "") << "not the text of the number cut to 16 bits";
    EXPECT_EQ(en->handle(), static_cast<void*>(GetModuleHandleA(TestLibraryPath("tlenu.dll").c_str())));
}

TEST(LibraryWin32, EmptyTextReadsAsMissing) {
    auto lib = LoadTest("tlnoname.dll");
    ASSERT_TRUE(lib);
    EXPECT_EQ(lib->text(22113), "");
    EXPECT_EQ(lib->text(22064), "No name (test)");
}

TEST(LibraryWin32, DataMenuAndDialog) {
    auto lib = LoadTest("tlenu.dll");
    ASSERT_TRUE(lib);
    EXPECT_EQ(lib->data(7), std::string_view("\0\x01" "AB\xff", 5));
    EXPECT_TRUE(lib->data(8).empty());
    HMENU menu = static_cast<HMENU>(lib->menu(1));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 1);
    DestroyMenu(menu);
    EXPECT_EQ(lib->menu(2), nullptr);
    std::string_view dlg = lib->dialog(200);
    ASSERT_GE(dlg.size(), sizeof(DLGTEMPLATE));
    const auto* t = reinterpret_cast<const DLGTEMPLATE*>(dlg.data());
    EXPECT_EQ(t->cdit, 1);
    EXPECT_EQ(t->cx, 120);
    EXPECT_TRUE(lib->dialog(300).empty());
}

TEST(LibraryWin32, LoadFailures) {
    int error = 0;
    EXPECT_FALSE(platform::Library::Load(TestLibraryPath("missing.dll").c_str(), &error));
    EXPECT_EQ(error, ERROR_MOD_NOT_FOUND);
    // A file that is no library at all.
    std::string path = std::string(ZB_BINARY_DIR) + "/testlang/not-a-library.dll";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written;
    WriteFile(h, "text, not code", 14, &written, nullptr);
    CloseHandle(h);
    EXPECT_FALSE(platform::Library::Load(path.c_str(), &error));
    EXPECT_NE(error, 0);
    DeleteFileA(path.c_str());
}

}  // namespace
