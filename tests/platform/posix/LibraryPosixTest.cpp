#include <gtest/gtest.h>

#include <string>

#include "platform/File.h"
#include "platform/Library.h"

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::string(ZB_BINARY_DIR) + "/testtmp";
        (void)platform::MakeFolder(dir_.c_str());
        path_ = dir_ + "/catalogue-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".lng";
    }
    void TearDown() override { (void)platform::DeleteFile(path_.c_str()); }

    std::unique_ptr<platform::Library> load(const std::string& content, int* error) {
        platform::File f;
        EXPECT_EQ(0, f.open(path_.c_str(), platform::File::Mode::Write));
        EXPECT_EQ(static_cast<long long>(content.size()), f.write(content.data(), content.size()));
        f.close();
        return platform::Library::Load(path_.c_str(), error);
    }

    std::string dir_, path_;
};

TEST_F(CatalogueTest, TextsDataAndCodePage) {
    int error = -1;
    auto lib = load("ZBLANG 1 1251\n"
                    "1\tone\n"
                    "2\t\n"
                    "22113\t\xD0\xF3\xF1\n"
                    "65535\tback\\\\slash\\ttab\\r\\nnext\n"
                    "R7\t\\x00\\x01AB\\xff\\\\\n"
                    "R9\tplain",
                    &error);
    ASSERT_TRUE(lib);
    EXPECT_EQ(error, 0);
    EXPECT_NE(lib->handle(), nullptr);
    EXPECT_EQ(lib->codePage(), 1251);
    EXPECT_EQ(lib->text(1), "one");
    EXPECT_EQ(lib->text(2), "");
    EXPECT_EQ(lib->text(3), "") << "missing";
    EXPECT_EQ(lib->text(22113), "\xD0\xF3\xF1");
    EXPECT_EQ(lib->text(65535), "back\\slash\ttab\r\nnext");
    EXPECT_EQ(lib->text(65535, 5), "back") << "cut as a buffer of 5 bytes";
    EXPECT_EQ(lib->text(1, 0), "");
    EXPECT_EQ(lib->text(7), "") << "data is not a text";
    EXPECT_EQ(lib->data(7), std::string_view("\0\x01" "AB\xff\\", 6));
    EXPECT_EQ(lib->data(9), "plain") << "the last line may lack its line feed";
    EXPECT_TRUE(lib->data(1).empty());
    EXPECT_EQ(lib->menu(1), nullptr);
}

TEST_F(CatalogueTest, MalformedCataloguesAreRefused) {
    struct Row {
        const char* title;
        std::string content;
    } rows[] = {
        {"empty file", ""},
        {"no line feed after the signature", "ZBLANG 1 1252"},
        {"other signature", "ZBLANX 1 1252\n1\ta\n"},
        {"other version", "ZBLANG 2 1252\n1\ta\n"},
        {"no code page", "ZBLANG 1 \n1\ta\n"},
        {"code page 0", "ZBLANG 1 0\n1\ta\n"},
        {"code page not a number", "ZBLANG 1 12x2\n1\ta\n"},
        {"no tab", "ZBLANG 1 1252\n1 a\n"},
        {"number not a number", "ZBLANG 1 1252\n1a\tb\n"},
        {"no number", "ZBLANG 1 1252\n\ta\n"},
        {"number above 65535", "ZBLANG 1 1252\n65536\ta\n"},
        {"numbers out of order", "ZBLANG 1 1252\n2\ta\n1\tb\n"},
        {"a number twice", "ZBLANG 1 1252\n1\ta\n1\tb\n"},
        {"unknown escape", "ZBLANG 1 1252\n1\ta\\qb\n"},
        {"backslash at the end", "ZBLANG 1 1252\n1\tab\\\n"},
        {"short hex escape", "ZBLANG 1 1252\nR1\t\\x4\n"},
        {"bad hex escape", "ZBLANG 1 1252\nR1\t\\x4g\n"},
        {"data out of order", "ZBLANG 1 1252\nR2\ta\nR1\tb\n"},
    };
    for (const Row& r : rows) {
        int error = 0;
        EXPECT_FALSE(load(r.content, &error)) << r.title;
        EXPECT_EQ(error, 11) << r.title;
    }
}

TEST_F(CatalogueTest, MissingFileGivesTheSystemCode) {
    int error = 0;
    EXPECT_FALSE(platform::Library::Load((dir_ + "/no such.lng").c_str(), &error));
    EXPECT_EQ(error, 2);
    EXPECT_FALSE(platform::Library::Load((dir_ + "/no such/x.lng").c_str(), &error));
    EXPECT_EQ(error, 3);
}

}  // namespace
