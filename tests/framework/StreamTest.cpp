#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "framework/fwstream.h"
#include "framework/htmlwstream.h"
#include "framework/mwstream.h"
#include "framework/twstream.h"

namespace fs = std::filesystem;

namespace {
std::string Bytes(std::string_view v) { return std::string(v); }

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("zb-stream-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { fs::remove_all(path); fs::create_directories(path); }
    ~TempDir() { std::error_code e; fs::remove_all(path, e); }
    std::string file(const char* name) const { return (path / name).string(); }
};
}  // namespace

TEST(BinaryStream, LayoutIsLittleEndianWithoutPadding) {
    omwstream out;
    out.writeU8(0x01);
    out.writeU16(0x0302);
    out.writeU32(0x07060504);
    out.writeI32(-2);
    out.writeString("ab");
    out.writeString("");
    out.writeCount(3);
    ASSERT_TRUE(out.good());
    EXPECT_EQ(Bytes(out.data()), std::string("\x01\x02\x03\x04\x05\x06\x07\xFE\xFF\xFF\xFF\x02\x00" "ab" "\x00\x00\x03\x00", 19));

    std::string bytes = Bytes(out.data());
    imwstream in(bytes);
    uint8_t u8; uint16_t u16; uint32_t u32; int32_t i32; AStr s1, s2; uint16_t n;
    ASSERT_TRUE(in.readU8(u8) && in.readU16(u16) && in.readU32(u32) && in.readI32(i32));
    ASSERT_TRUE(in.readString(s1) && in.readString(s2) && in.readCount(n));
    EXPECT_EQ(u8, 1); EXPECT_EQ(u16, 0x0302); EXPECT_EQ(u32, 0x07060504u); EXPECT_EQ(i32, -2);
    EXPECT_EQ(s1, "ab"); EXPECT_TRUE(s2.empty()); EXPECT_EQ(n, 3);
    EXPECT_TRUE(in.atEnd());
}

TEST(BinaryStream, StringsAreCutAt65534Bytes) {
    for (size_t len : {65533u, 65534u, 65535u, 70000u}) {
        omwstream out;
        std::string s(len, 'x');
        s[0] = 'a';
        out.writeString(s);
        std::string_view d = out.data();
        size_t kept = len < 65534 ? len : 65534;
        ASSERT_EQ(d.size(), 2 + kept) << len;
        EXPECT_EQ(static_cast<unsigned char>(d[0]) | (static_cast<unsigned char>(d[1]) << 8), static_cast<int>(kept));
        std::string bytes(d);
        imwstream in(bytes);
        AStr back;
        ASSERT_TRUE(in.readString(back));
        EXPECT_EQ(back.size(), kept);
        EXPECT_EQ(back[0], 'a');
    }
}

TEST(BinaryStream, ReadingPastTheEndFailsAndStaysFailed) {
    std::string bytes("\x05\x00" "abc", 5);  // says 5 bytes, holds 3
    imwstream in(bytes);
    AStr s;
    EXPECT_FALSE(in.readString(s));
    EXPECT_TRUE(in.fail());
    EXPECT_TRUE(in.eof());
    EXPECT_EQ(s, "abc");  // what was there is kept
    uint8_t b;
    EXPECT_FALSE(in.readU8(b));
    in.clear();
    EXPECT_TRUE(in.seek(0));
    EXPECT_TRUE(in.readU8(b));
    EXPECT_EQ(b, 5);

    std::string three("\x01\x02\x03", 3);
    imwstream short32(three);
    uint32_t u;
    EXPECT_FALSE(short32.readU32(u));
    EXPECT_TRUE(short32.fail());

    ibwstream none;  // no buffer at all
    EXPECT_FALSE(none.good());
    EXPECT_EQ(none.get(), -1);
}

TEST(BinaryStream, ByteReadsTellAndSeekAcrossBufferRefills) {
    std::string data;
    for (int i = 0; i < 5000; ++i) data += static_cast<char>(i & 0xFF);
    mwstreambuf mem(data);
    ibwstream in(&mem, false, 16);  // a tiny buffer to force many refills
    for (int i = 0; i < 100; ++i) ASSERT_EQ(in.get(), i);
    EXPECT_EQ(in.tell(), 100);
    char block[1000];
    ASSERT_EQ(in.read(block, sizeof block), sizeof block);  // larger than the buffer
    EXPECT_EQ(static_cast<unsigned char>(block[0]), 100);
    EXPECT_EQ(in.tell(), 1100);
    EXPECT_EQ(in.peek(), 1100 & 0xFF);
    EXPECT_EQ(in.tell(), 1100);
    ASSERT_TRUE(in.seek(4999));
    EXPECT_EQ(in.get(), 4999 & 0xFF);
    EXPECT_EQ(in.get(), -1);
    EXPECT_TRUE(in.eof());
}

TEST(BinaryStream, WritingIntoAFullMediumFailsWithDiskFull) {
    omwstreambuf small(10);
    obwstream out(&small, false, 4);
    EXPECT_TRUE(out.writeU32(1));
    EXPECT_TRUE(out.writeU32(2));
    out.writeU32(3);  // 12 bytes in all: does not fit
    EXPECT_EQ(out.close(), 112);
    EXPECT_TRUE(out.fail());
    EXPECT_FALSE(out.writeU8(4));  // stays failed
    EXPECT_EQ(small.size(), 10);
}

TEST(FileStream, RoundTripThroughAFile) {
    TempDir dir;
    std::string path = dir.file("t.bin");
    {
        ofwstream out(path.c_str());
        ASSERT_TRUE(out.good());
        for (uint32_t i = 0; i < 3000; ++i) out.writeU32(i * 7);
        out.writeString("end");
        EXPECT_EQ(out.close(), 0);
    }
    EXPECT_EQ(fs::file_size(path), 3000u * 4 + 5);
    ifwstream in(path.c_str());
    ASSERT_TRUE(in.good());
    for (uint32_t i = 0; i < 3000; ++i) {
        uint32_t v;
        ASSERT_TRUE(in.readU32(v));
        ASSERT_EQ(v, i * 7);
    }
    AStr s;
    EXPECT_TRUE(in.readString(s));
    EXPECT_EQ(s, "end");
    EXPECT_TRUE(in.atEnd());
}

TEST(FileStream, OpenFailuresGiveThePlatformsCodeAndAFailedStream) {
    TempDir dir;
    ifwstream missing;
    EXPECT_EQ(missing.open(dir.file("nope.bin").c_str()), 2);  // file not found
    EXPECT_TRUE(missing.fail());
    uint8_t b;
    EXPECT_FALSE(missing.readU8(b));

    ofwstream noFolder;
    EXPECT_EQ(noFolder.open(dir.file("no/such/folder.bin").c_str()), 3);  // path not found
    EXPECT_FALSE(noFolder.writeU8(1));
    EXPECT_NE(noFolder.close(), 0);

    ifwstream folder(dir.path.string().c_str());  // a folder is no file
    EXPECT_TRUE(folder.fail());
}

TEST(TextStream, NumbersStringsAndIndent) {
    otmwstream out;
    out << "n=" << 42 << " u=" << 4294967295u << " s=" << AStr("x") << ' ' << -7LL << '\n';
    out.indent(2) << "deep";
    out.printf(" %03d", 5);
    EXPECT_EQ(out.data(), "n=42 u=4294967295 s=x -7\n    deep 005");
}

TEST(HtmlStream, EscapesTextAndAttributes) {
    otmwstream sink;
    {
        ohtmlwstream html(sink.rdbuf(), false);
        html.start("a").attr("href", "x.htm?a=1&b=\"2\"").attr("nowrap").text("<Tom & \"Jerry\">").end("a");
        html.start("hr").newline();
        html.comment("a--b");
        html.raw("<b>raw</b>");
    }
    sink.flush();
    EXPECT_EQ(static_cast<omwstreambuf*>(sink.rdbuf())->view(),
              "<a href=\"x.htm?a=1&amp;b=&quot;2&quot;\" nowrap>&lt;Tom &amp; \"Jerry\"&gt;</a><hr>\n<!--a- -b--><b>raw</b>");
}
