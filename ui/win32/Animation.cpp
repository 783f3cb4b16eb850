#include "ui/win32/Animation.h"

#include <cstring>

namespace {

constexpr UINT_PTR kTimer = 1;

// The BMP file of a resource: its info header and bits behind the file
// header. Empty when the resource is missing or no BMP this can draw.
std::vector<unsigned char> LoadMovie() {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), "MOVIE");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    DWORD size = found ? SizeofResource(module, found) : 0;
    if (!bytes || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' || bytes[1] != 'M')
        return {};
    return {bytes, bytes + size};
}

}  // namespace

bool Animation::create(HWND parent) {
    if (!ZWindow::create(0, "BraskingWindow", WS_CHILD | WS_VISIBLE, 0, 0, kFrameWidth, kFrameHeight, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId))))
        return false;
    movie_ = LoadMovie();
    if (!movie_.empty()) {
        BITMAPINFOHEADER info;
        std::memcpy(&info, movie_.data() + sizeof(BITMAPFILEHEADER), sizeof info);
        BITMAPFILEHEADER file;
        std::memcpy(&file, movie_.data(), sizeof file);
        size_t stride = (size_t(info.biWidth) * 3 + 3) & ~size_t(3);
        bool whole = info.biWidth > 0 && file.bfOffBits + stride * kFrameHeight <= movie_.size();
        if (whole && info.biBitCount == 24 && info.biCompression == BI_RGB && info.biHeight == kFrameHeight)
            frames_ = info.biWidth / kFrameWidth;
        if (frames_ <= 0) {
            movie_.clear();
        } else {
            // Magenta is where the toolbar shows through: the button face.
            COLORREF face = GetSysColor(COLOR_BTNFACE);
            for (size_t row = 0; row < size_t(kFrameHeight); ++row) {
                unsigned char* p = movie_.data() + file.bfOffBits + row * stride;
                for (int x = 0; x < info.biWidth; ++x, p += 3) {
                    if (p[0] == 255 && p[1] == 0 && p[2] == 255) {
                        p[0] = GetBValue(face);
                        p[1] = GetGValue(face);
                        p[2] = GetRValue(face);
                    }
                }
            }
        }
    }
    return true;
}

void Animation::play(bool on) {
    if (on == playing_) return;
    playing_ = on;
    if (on && frames_ > 1) {
        SetTimer(hwnd(), kTimer, kFrameMs, nullptr);
    } else {
        KillTimer(hwnd(), kTimer);
        frame_ = 0;
    }
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void Animation::paint(HDC dc) {
    RECT r;
    GetClientRect(hwnd(), &r);
    if (movie_.empty()) {
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    BITMAPFILEHEADER file;
    std::memcpy(&file, movie_.data(), sizeof file);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(movie_.data() + sizeof file);
    // Rows are stored bottom up: the source's y counts from the bottom.
    SetDIBitsToDevice(dc, 0, 0, kFrameWidth, kFrameHeight, frame_ * kFrameWidth, 0, 0, kFrameHeight,
                      movie_.data() + file.bfOffBits, info, DIB_RGB_COLORS);
}

LRESULT Animation::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kTimer && frames_ > 0) {
            frame_ = (frame_ + 1) % frames_;
            InvalidateRect(hwnd(), nullptr, FALSE);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        paint(dc);
        EndPaint(hwnd(), &ps);
        return 0;
    }
    case WM_DESTROY:
        KillTimer(hwnd(), kTimer);
        break;
    default:
        break;
    }
    return ZWindow::onMessage(message, wParam, lParam);
}
