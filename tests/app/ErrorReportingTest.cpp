#include <gtest/gtest.h>

#include <string>

#include "app/TestSupport.h"
#include "app/ErrorReporting.h"
#include "framework/ErrorReporter.h"

namespace {

bool gAppExists = false;
bool gBatch = false;
int gFrame = 0;

class ErrorReportingTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeTestLibrary(TestLibrary::English, folder.file("lib.bin"));
        ProgramLanguage().setModule(platform::Library::Load(folder.file("lib.bin").c_str()));
        ASSERT_TRUE(ProgramLanguage().loaded());
        gAppExists = true;
        gBatch = false;
        ErrorReportingHooks hooks;
        hooks.applicationExists = [] { return gAppExists; };
        hooks.batchRunning = [] { return gBatch; };
        hooks.frameWindow = []() -> void* { return &gFrame; };
        SetErrorReportingHooks(hooks);
        previous = SetErrorReporter(nullptr);
        InstallProgramErrorReporter();
    }
    void TearDown() override {
        SetErrorReporter(previous);
        SetErrorReportingHooks({});
        ProgramLanguage().setModule(nullptr, false);
    }
    ScratchFolder folder{"errorreport"};
    MessageBoxCapture boxes;
    ErrorReporterFn previous = nullptr;
};

TEST_F(ErrorReportingTest, FormatsTheNumberedTextInABoxOverTheFrame) {
    ReportError(7, "pic.gif", 3);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Picture pic.gif cannot be read (3)");
    EXPECT_EQ(boxes.boxes[0].title, "ZB Test");
    EXPECT_EQ(boxes.boxes[0].owner, &gFrame);
}

TEST_F(ErrorReportingTest, MissingTextGivesLibError) {
    ReportError(9, "ignored");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Lib Error #9");
}

TEST_F(ErrorReportingTest, DroppedBeforeTheApplicationAndWhileABatchRuns) {
    struct Row {
        bool app, batch;
        size_t shown;
    } rows[] = {{false, false, 0}, {false, true, 0}, {true, true, 0}, {true, false, 1}};
    for (const Row& r : rows) {
        boxes.boxes.clear();
        gAppExists = r.app;
        gBatch = r.batch;
        ReportError(7, "pic.gif", 3);
        EXPECT_EQ(boxes.boxes.size(), r.shown) << "application " << r.app << ", batch " << r.batch;
    }
    boxes.boxes.clear();
    SetErrorReportingHooks({});
    ReportError(7, "pic.gif", 3);
    EXPECT_TRUE(boxes.boxes.empty()) << "no hooks: no application yet";
}

TEST_F(ErrorReportingTest, MessageIsCutToItsBuffer) {
    std::string longArg(3000, 'y');
    ReportError(8, longArg.c_str());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.size(), kLibErrorBuffer - 1);
    EXPECT_EQ(boxes.boxes[0].text.substr(0, 8), "Long: yy");
}

}  // namespace
