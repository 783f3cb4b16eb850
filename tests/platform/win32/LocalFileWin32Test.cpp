#include <gtest/gtest.h>

#include <windows.h>
// <windows.h> makes DeleteFile a macro for DeleteFileA.
#undef DeleteFile

#include <string>

#include "platform/File.h"

// File::Mode::ReadLocalFile on the devices and shares of Windows: none is
// opened, with any spelling, in any folder.

namespace {

int OpenLocal(const std::string& path) {
    platform::File f;
    return f.open(path.c_str(), platform::File::Mode::ReadLocalFile);
}

std::string Folder() {
    std::string d = std::string(ZB_BINARY_DIR) + "/testtmp";
    (void)platform::MakeFolder(d.c_str());
    return d;
}

}  // namespace

TEST(LocalFileWin32, DeviceNamesAreRefusedInAnyFolder) {
    std::string d = Folder();
    for (const char* n : {"NUL", "nul", "NUL.txt", "CON", "con.html", "PRN", "AUX", "COM1", "com9.x", "LPT1",
                          "CONIN$", "CONOUT$", "nul .txt", "NUL:"}) {
        EXPECT_EQ(5, OpenLocal(n)) << n;
        EXPECT_EQ(5, OpenLocal("C:\\" + std::string(n))) << n;
        EXPECT_EQ(5, OpenLocal(d + "\\" + n)) << n;
        EXPECT_EQ(5, OpenLocal(d + "/" + n + "/x.html")) << n;
    }
}

TEST(LocalFileWin32, SharesAndTheDeviceSpaceAreRefused) {
    for (const char* p : {"\\\\server\\share\\x.html", "//server/share/x.html", "\\\\127.0.0.1\\c$\\windows\\win.ini",
                          "\\\\.\\NUL", "\\\\.\\PhysicalDrive0", "\\\\.\\pipe\\x", "\\\\?\\C:\\windows\\win.ini",
                          "\\\\?\\UNC\\server\\share", "/\\.\\NUL", "\\/?/C:/windows/win.ini"})
        EXPECT_EQ(5, OpenLocal(p)) << p;
}

TEST(LocalFileWin32, StreamsAreRefused) {
    std::string d = Folder();
    std::string file = d + "\\stream.txt";
    {
        platform::File f;
        ASSERT_EQ(0, f.open(file.c_str(), platform::File::Mode::Write));
    }
    EXPECT_EQ(0, OpenLocal(file));
    EXPECT_EQ(5, OpenLocal(file + ":secret"));
    EXPECT_EQ(5, OpenLocal(file + "::$DATA"));
    (void)platform::DeleteFile(file.c_str());
}

TEST(LocalFileWin32, UnixDevicesUnderWineAreRefused) {
    // Wine shows the Unix root as Z:; a real Windows has no such files.
    for (const char* p : {"Z:\\dev\\zero", "Z:\\dev\\random", "Z:\\dev\\urandom", "Z:\\dev\\null", "Z:\\dev\\tty"}) {
        if (GetFileAttributesA(p) != INVALID_FILE_ATTRIBUTES) {
            EXPECT_EQ(5, OpenLocal(p)) << p;
        }
    }
}
