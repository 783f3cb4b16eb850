#include <gtest/gtest.h>

#include "app/TestSupport.h"
#include "platform/File.h"

// The catalogues hold what tests/app/data/*.rc hold for Windows.
namespace {
const char kEnglish[] =
    "ZBLANG 1 1252\n"
    "3\tThe program file was not found (test)\n"
    "51\tFunction not supported (test)\n"
    "52\tThe file is missing (test)\n"
    "100\tTab\\there\\r\\nline two \\\\ back\n"
    "101\txxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n"
    "5002\tFile name buffer too small (test)\n"
    "21003\tDialing (test)\n"
    "22064\tZB Test\n"
    "22073\tThe file does not exist (test)\n"
    "22113\tEnglish (test)\n"
    "24005\tText five (test)\n"
    "25001\tNumber %d and name %s\n"
    "50007\tPicture %s cannot be read (%d)\n"
    "50008\tLong: %s\n"
    "R7\t\\x00\\x01AB\\xff\n";

const char kRussian[] =
    "ZBLANG 1 1251\n"
    "22064\t\xC7\xC1 \xD2\xE5\xF1\xF2\n"
    "22113\t\xD0\xF3\xF1\xF1\xEA\xE8\xE9 (\xF2\xE5\xF1\xF2)\n";

const char kNoName[] =
    "ZBLANG 1 1252\n"
    "22064\tNo name (test)\n"
    "22113\t\n";
}  // namespace

void MakeTestLibrary(TestLibrary kind, const std::string& path) {
    const char* content = kind == TestLibrary::English ? kEnglish : kind == TestLibrary::Russian ? kRussian : kNoName;
    platform::File f;
    ASSERT_EQ(0, f.open(path.c_str(), platform::File::Mode::Write)) << path;
    std::string s(content);
    ASSERT_EQ(static_cast<long long>(s.size()), f.write(s.data(), s.size()));
}
