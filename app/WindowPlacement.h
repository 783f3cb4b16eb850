#pragma once
// Where the frame window opens: the placement saved in section "Window"
// of the settings file, and the rules by which it is restored.

#include <cstdint>

class ApplicationProfile;

struct WindowPlacement {
    static constexpr int32_t kUnset = static_cast<int32_t>(0x80000000);

    int32_t x = kUnset, y = kUnset, w = 0, h = 0;
    int32_t show = 0;

    // "X", "Y", "W", "H" and "show" (the entry's show command when missing).
    static WindowPlacement read(const ApplicationProfile& settings, int32_t entryShow);
    // The normal rectangle's left, top, width and height, and the show
    // command (1 when it is 0).
    void write(ApplicationProfile& settings) const;

    // The rectangle is set only when none of its edges is unset.
    bool placed() const;
    // A minimised show (2 or 6) is not restored, and nothing is when the
    // program was started with show command 0: the entry's command is used.
    int32_t showToRestore(int32_t entryShow) const;
};
