// The real RASAPI32 of the system: loaded by name, its functions called
// with the first version's records. Wine's library has no phone book and
// no connections; what matters here is that every call returns a code.
#include <gtest/gtest.h>

#include "batch/DialUp.h"

TEST(RasWin32, LoadsTheLibraryAndAsksItWithoutHarm) {
    DialUp dial;
    const platform::RasFunctions& f = dial.ras();
    ASSERT_TRUE(f.enumConnections);
    ASSERT_TRUE(f.hangUp);
    std::vector<platform::RasConnection> list;
    size_t needed = 0;
    uint32_t r = f.enumConnections(1, list, needed);
    EXPECT_TRUE(r == 0 || r == platform::kRasBufferTooSmall) << r;
    EXPECT_TRUE(list.empty());
    if (f.enumEntries) {
        std::vector<std::string> entries;
        (void)f.enumEntries(entries);
    }
    // No connection exists: waiting for one means the retry is set.
    dial.usage = DialUp::kWaitForConnection;
    EXPECT_FALSE(dial.connect());
    EXPECT_NE(0u, dial.retryTime);
}
