#include <gtest/gtest.h>

#include <string>

#include "app/TestSupport.h"
#include "app/LanguageFile.h"
#include "platform/File.h"

namespace {

std::string Built(const char* code) {
    return std::string(ZB_BINARY_DIR) + "/bin/zb" + code + platform::kLibraryExtension;
}

// The libraries the build makes from lang/*.txt, read through the real
// resource calls (LoadString on Windows).
TEST(RealLanguageLibraries, NameTheirLanguageInTheirCodePage) {
    struct Row {
        const char* code;
        int codePage;
    } rows[] = {{"enu", 1252}, {"rus", 1251}};
    for (const Row& r : rows) {
        std::string path = Built(r.code);
        if (!platform::FileExists(path.c_str())) GTEST_SKIP() << path << " is not built (yet)";
        int error = -1;
        auto lib = platform::Library::Load(path.c_str(), &error);
        ASSERT_TRUE(lib) << path << ": error " << error;
        EXPECT_EQ(lib->codePage(), r.codePage) << r.code;
        std::string name = lib->text(22113);
        EXPECT_FALSE(name.empty()) << r.code;
        EXPECT_FALSE(lib->text(22064).empty()) << r.code << ": the program title";
        if (r.codePage == 1251) {
            bool cyrillic = false;
            for (char c : name) cyrillic |= static_cast<unsigned char>(c) >= 0xC0;
            EXPECT_TRUE(cyrillic) << "the Russian name in code page 1251";
        }
    }
}

TEST(RealLanguageLibraries, FoundByTheSearchInAProgramFolder) {
    std::string rus = Built("rus");
    if (!platform::FileExists(rus.c_str())) GTEST_SKIP() << rus << " is not built (yet)";
    ScratchFolder folder("reallang");
    std::string copy = folder.file(std::string("zbrus") + platform::kLibraryExtension);
    {
        platform::File in, out;
        ASSERT_EQ(0, in.open(rus.c_str(), platform::File::Mode::Read));
        ASSERT_EQ(0, out.open(copy.c_str(), platform::File::Mode::Write));
        char buf[4096];
        for (long long n; (n = in.read(buf, sizeof buf)) > 0;) ASSERT_EQ(n, out.write(buf, static_cast<size_t>(n)));
    }
    MakeTestLibrary(TestLibrary::NoName, folder.file(std::string("zbxxx") + platform::kLibraryExtension));
    LanguageFile f = FindLanguageFile(AStr(folder.path()), "deu", platform::kLibraryExtension, LanguageFileKind::Library);
    EXPECT_EQ(f.code, "rus");
    EXPECT_EQ(f.path, AStr(copy));
}

}  // namespace
