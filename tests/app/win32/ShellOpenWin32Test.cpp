#include <gtest/gtest.h>

#include "app/TestSupport.h"
#include "app/ShellOpen.h"

namespace {

// ShellExecute itself fails on a file that is not there (nothing is
// started), and the failure comes back as a box titled with the target.
TEST(ShellOpenWin32, FailedStartIsReported) {
    ScratchFolder folder("shellfail");
    MakeTestLibrary(TestLibrary::English, folder.file("lib.bin"));
    ProgramLanguage().setModule(platform::Library::Load(folder.file("lib.bin").c_str()));
    MessageBoxCapture boxes;
    std::string target = folder.file("not there.zzq");
    int r = ShellOpen(nullptr, AStr(target), false, false);
    ProgramLanguage().setModule(nullptr, false);
    EXPECT_EQ(r, 2);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "The program file was not found (test)");
    EXPECT_EQ(boxes.boxes[0].title, target);
}

}  // namespace
