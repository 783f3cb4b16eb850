// The frame's placement: unset edges, minimised and hidden starts.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "app/ApplicationProfile.h"
#include "app/WindowPlacement.h"

TEST(WindowPlacement, RestoreRules) {
    std::filesystem::path file =
        std::filesystem::path(ZB_BINARY_DIR) / "testtmp" / ("place-" + std::to_string(std::random_device{}()) + ".ini");
    std::filesystem::create_directories(file.parent_path());
    ApplicationProfile s(file.string().c_str());

    WindowPlacement fresh = WindowPlacement::read(s, 10);
    EXPECT_FALSE(fresh.placed());  // nothing stored: the system's default position
    EXPECT_EQ(10, fresh.show);

    WindowPlacement p;
    p.x = 20, p.y = 30, p.w = 640, p.h = 480, p.show = 0;
    p.write(s);
    WindowPlacement back = WindowPlacement::read(s, 10);
    EXPECT_TRUE(back.placed());
    EXPECT_EQ(1, back.show);  // a show command of 0 is stored as 1
    EXPECT_EQ(640, back.w);

    back.show = 2;  // minimised last time: not minimised now
    EXPECT_EQ(10, back.showToRestore(10));
    back.show = 6;
    EXPECT_EQ(1, back.showToRestore(1));
    back.show = 3;
    EXPECT_EQ(3, back.showToRestore(1));
    EXPECT_EQ(0, back.showToRestore(0));  // started hidden: stays so

    s.writeString("Window", "X", "-2147483648");
    EXPECT_FALSE(WindowPlacement::read(s, 1).placed());
    s.writeString("Window", "X", "-100");
    s.writeString("Window", "W", "-2147483548");  // right edge lands on the unset value
    EXPECT_FALSE(WindowPlacement::read(s, 1).placed());
    std::filesystem::remove(file);
}
