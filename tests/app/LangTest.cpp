#include <gtest/gtest.h>

#include <string>

#include "app/TestSupport.h"
#include "app/Lang.h"
#include "platform/SystemMessage.h"

namespace {

class LangTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new ScratchFolder("lang");
        MakeTestLibrary(TestLibrary::English, folder_->file(std::string("zbenu") + platform::kLibraryExtension));
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override {
        int error = -1;
        auto lib = platform::Library::Load(folder_->file(std::string("zbenu") + platform::kLibraryExtension).c_str(),
                                           &error);
        ASSERT_TRUE(lib) << "error " << error;
        lang.setModule(std::move(lib));
    }

    static ScratchFolder* folder_;
    LangWithError lang;
};
ScratchFolder* LangTest::folder_ = nullptr;

TEST_F(LangTest, TextsByNumber) {
    EXPECT_EQ(lang.text(22113), "English (test)");
    EXPECT_EQ(lang.text(100), "Tab\there\r\nline two \\ back");
    EXPECT_EQ(lang.text(22112), "") << "a number the library lacks";
    EXPECT_EQ(lang.text(-1), "");
    // 22113 + 65536 would name 22113 again if the number were cut to 16 bits.
    EXPECT_EQ(lang.text(22113 + 65536), "");
}

TEST_F(LangTest, TextIsCutAsTheBufferOf1024Bytes) {
    AStr t = lang.text(101);
    EXPECT_EQ(t.size(), 1023u);
    EXPECT_EQ(t, AStr(std::string(1023, 'x')));
}

TEST_F(LangTest, FormattedText) {
    EXPECT_EQ(lang.format(25001, 42, "abc"), "Number 42 and name abc");
    EXPECT_EQ(lang.format(25002, 42), "") << "a missing format gives nothing";
}

TEST_F(LangTest, NoLibraryGivesEmptyTexts) {
    LangWithError none;
    EXPECT_EQ(none.handle(), nullptr);
    EXPECT_EQ(none.text(22113), "");
    EXPECT_EQ(none.menu(1), nullptr);
    EXPECT_TRUE(none.dialog(200).empty());
    EXPECT_EQ(none.runErrorText(2), "Error #2 running programm");
    EXPECT_NE(lang.handle(), nullptr);
}

TEST_F(LangTest, ErrorTextTakesTheLanguageTextFirst) {
    EXPECT_EQ(lang.errorText(1), "Function not supported (test)");
    EXPECT_EQ(lang.errorText(2), "The file is missing (test)");
}

TEST_F(LangTest, ErrorTextFallsBackToTheSystemThenTheNumber) {
    struct Row {
        int code;
        const char* numbered;
    } rows[] = {
        {12029, "Internet Error #12029 (0x2efd)"},
        {2099, "Error #2099 (0x833)"},
        {2100, "Network Error #2100 (0x834)"},
        {2999, "Network Error #2999 (0xbb7)"},
        {3000, "Error #3000 (0xbb8)"},
        {11999, "Error #11999 (0x2edf)"},
        {12000, "Internet Error #12000 (0x2ee0)"},
        {12159, "Internet Error #12159 (0x2f7f)"},
        {12160, "Error #12160 (0x2f80)"},
        {599, "Error #599 (0x257)"},
        {600, "Remote Access Error #600 (0x258)"},
        {752, "Remote Access Error #752 (0x2f0)"},
        {753, "Error #753 (0x2f1)"},
        {9999, "Error #9999 (0x270f)"},
        {10000, "Window Socket Error #10000 (0x2710)"},
        {10120, "Window Socket Error #10120 (0x2788)"},
        {10121, "Error #10121 (0x2789)"},
        {-5, "Error #-5 (0xfffffffb)"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(NumberedErrorText(r.code), r.numbered) << r.code;
        // The test library has no text code + 50 for these; where the
        // system knows the code its text wins.
        std::string sys = platform::SystemMessage(r.code);
        EXPECT_EQ(lang.errorText(r.code), sys.empty() ? AStr(r.numbered) : AStr(sys)) << r.code;
    }
}

TEST_F(LangTest, ErrorZero) {
    std::string sys = platform::SystemMessage(0);
    EXPECT_EQ(lang.errorText(0), sys.empty() ? AStr("No error") : AStr(sys));
    LangWithError none;
    EXPECT_EQ(none.errorText(0), sys.empty() ? AStr("No error") : AStr(sys));
}

TEST_F(LangTest, RunErrorText) {
    EXPECT_EQ(lang.runErrorText(2), "The program file was not found (test)");
    EXPECT_EQ(lang.runErrorText(31), "Error #31 running programm");
}

TEST_F(LangTest, FileDialogErrorText) {
    EXPECT_EQ(lang.fileDialogErrorText(0xFFFF), "Common Dialog Error");
    EXPECT_EQ(lang.fileDialogErrorText(2), "File name buffer too small (test)");
    EXPECT_EQ(lang.fileDialogErrorText(9), "Common Dialog Error #9");
}

// A library that counts its own destruction, to see who frees it.
class CountedLibrary : public platform::Library {
public:
    explicit CountedLibrary(int& deaths) : deaths_(deaths) {}
    ~CountedLibrary() override { ++deaths_; }
    void* handle() const override { return const_cast<CountedLibrary*>(this); }
    int codePage() const override { return 1252; }
    std::string text(unsigned, size_t) const override { return "t"; }
    std::string_view data(unsigned) const override { return {}; }

private:
    int& deaths_;
};

TEST(LangOwnership, OwnedModulesAreFreedWhenReplacedOrDestroyed) {
    int ownedDeaths = 0, borrowedDeaths = 0;
    CountedLibrary borrowed(borrowedDeaths);
    {
        Lang lang;
        lang.setModule(new CountedLibrary(ownedDeaths), true);
        EXPECT_TRUE(lang.owned());
        lang.setModule(&borrowed, false);
        EXPECT_EQ(ownedDeaths, 1) << "replacing frees the owned module";
        EXPECT_EQ(lang.handle(), &borrowed);
        lang.setModule(new CountedLibrary(ownedDeaths), true);
        EXPECT_EQ(borrowedDeaths, 0) << "a module the program does not own stays";
    }
    EXPECT_EQ(ownedDeaths, 2) << "destroying frees the owned module";
    EXPECT_EQ(borrowedDeaths, 0);
}

}  // namespace
