#include "app/WindowPlacement.h"

#include "app/ApplicationProfile.h"

namespace {
constexpr const char* kSection = "Window";
}

WindowPlacement WindowPlacement::read(const ApplicationProfile& s, int32_t entryShow) {
    WindowPlacement p;
    p.x = s.readInt(kSection, "X", kUnset);
    p.y = s.readInt(kSection, "Y", kUnset);
    p.w = s.readInt(kSection, "W", 0);
    p.h = s.readInt(kSection, "H", 0);
    p.show = s.readInt(kSection, "show", entryShow);
    return p;
}

void WindowPlacement::write(ApplicationProfile& s) const {
    s.beginWrites();
    s.writeInt(kSection, "X", x);
    s.writeInt(kSection, "Y", y);
    s.writeInt(kSection, "W", w);
    s.writeInt(kSection, "H", h);
    s.writeInt(kSection, "show", show ? show : 1);
    (void)s.endWrites();
}

bool WindowPlacement::placed() const {
    // The right and bottom edges are computed as the stored values are:
    // 32-bit sums that may wrap.
    auto edge = [](int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); };
    return x != kUnset && y != kUnset && edge(x, w) != kUnset && edge(y, h) != kUnset;
}

int32_t WindowPlacement::showToRestore(int32_t entryShow) const {
    if (entryShow == 0 || show == 2 || show == 6) return entryShow;
    return show;
}
