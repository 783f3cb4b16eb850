#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/TestSupport.h"
#include "app/ShellOpen.h"

namespace {

// A start that fails is reported with the run error text, titled with the
// target: here xdg-open is not on the (emptied) PATH.
TEST(ShellOpenPosix, FailedStartIsReported) {
    ScratchFolder folder("shellfail");
    MakeTestLibrary(TestLibrary::English, folder.file("lib.bin"));
    ProgramLanguage().setModule(platform::Library::Load(folder.file("lib.bin").c_str()));
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", folder.path().c_str(), 1);
    MessageBoxCapture boxes;
    int r = ShellOpen(nullptr, "http://example.invalid/", false, true);
    setenv("PATH", oldPath.c_str(), 1);
    ProgramLanguage().setModule(nullptr, false);
    EXPECT_EQ(r, 2);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "The program file was not found (test)");
    EXPECT_EQ(boxes.boxes[0].title, "http://example.invalid/");
}

}  // namespace
