#pragma once
// Shared by the window tests: a file read whole, and the messages waiting
// for this thread handed out.

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace windowtest {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Dispatches what is waiting; a quit message is posted again, left for
// the test to see.
inline void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

}  // namespace windowtest
