#include <gtest/gtest.h>

#include <string>

#include "app/TestSupport.h"
#include "platform/File.h"

// The libraries are built from tests/app/data/*.rc into testlang/.
void MakeTestLibrary(TestLibrary kind, const std::string& path) {
    const char* name = kind == TestLibrary::English ? "tlenu.dll" : kind == TestLibrary::Russian ? "tlrus.dll" : "tlnoname.dll";
    std::string from = std::string(ZB_BINARY_DIR) + "/testlang/" + name;
    platform::File in, out;
    ASSERT_EQ(0, in.open(from.c_str(), platform::File::Mode::Read)) << from;
    ASSERT_EQ(0, out.open(path.c_str(), platform::File::Mode::Write)) << path;
    char buf[4096];
    for (long long n; (n = in.read(buf, sizeof buf)) > 0;) ASSERT_EQ(n, out.write(buf, static_cast<size_t>(n)));
}
