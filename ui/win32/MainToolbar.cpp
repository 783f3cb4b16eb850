#include "ui/win32/MainToolbar.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "platform/Text.h"

const MainToolbar::Button MainToolbar::kButtons[] = {
    {0, 125}, {1, 126},  {8, 128},  {-1, 0},    {2, 401},    {3, 402},    {9, 403},  {10, 408},
    {-1, 0},  {11, 400}, {12, 404}, {-1, 0},    {5, 3420},   {6, 3421},   {7, 3422}, {-1, 0},
};
const int MainToolbar::kButtonCount = static_cast<int>(sizeof kButtons / sizeof kButtons[0]);

namespace {
constexpr int kListWidth = 150;
constexpr int kListSeparator = -2;  // the place the list box covers
}  // namespace

MainToolbar::~MainToolbar() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (images_) ImageList_Destroy(images_);
}

bool MainToolbar::create(HWND parent, TextSource texts) {
    texts_ = std::move(texts);
    hwnd_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "ZToolbar",
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_FLAT |
                                TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId)),
                            GetModuleHandleA(nullptr), nullptr);
    if (!hwnd_) return false;
    SendMessageA(hwnd_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The tips are asked for in UTF-16, so they read right in any language.
    SendMessageW(hwnd_, TB_SETUNICODEFORMAT, TRUE, 0);
    // Magenta is where the button face shows through.
    images_ = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kBitmapId), kButtonSize, 0,
                                   RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (images_) SendMessageA(hwnd_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));

    std::vector<TBBUTTON> buttons;
    for (int i = 0; i < kButtonCount; ++i) {
        TBBUTTON b = {};
        if (kButtons[i].image < 0) {
            b.fsStyle = BTNS_SEP;
        } else {
            b.iBitmap = kButtons[i].image;
            b.idCommand = kButtons[i].command;
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(b);
    }
    TBBUTTON place = {};
    place.iBitmap = kListWidth;  // a separator's width
    place.idCommand = kListSeparator;
    place.fsStyle = BTNS_SEP;
    buttons.push_back(place);
    SendMessageA(hwnd_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageA(hwnd_, TB_AUTOSIZE, 0, 0);

    RECT slot = {};
    SendMessageA(hwnd_, TB_GETITEMRECT, buttons.size() - 1, reinterpret_cast<LPARAM>(&slot));
    list_ = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST,
                            slot.left + 2, slot.top, kListWidth - 4, 200, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), GetModuleHandleA(nullptr),
                            nullptr);
    if (!list_) return false;
    SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    refreshTexts();
    SendMessageA(list_, CB_SETCURSEL, 0, 0);
    return animation_.create(hwnd_);
}

int MainToolbar::height() const {
    if (!hwnd_) return 0;
    DWORD size = static_cast<DWORD>(SendMessageA(hwnd_, TB_GETBUTTONSIZE, 0, 0));
    int buttons = HIWORD(size);
    return std::max(buttons, Animation::kFrameHeight) + 2 * GetSystemMetrics(SM_CYEDGE);
}

void MainToolbar::fit(int width) {
    int h = height();
    MoveWindow(animation_.hwnd(), std::max(width - Animation::kFrameWidth - 4, 0), (h - Animation::kFrameHeight) / 2,
               Animation::kFrameWidth, Animation::kFrameHeight, TRUE);
}

void MainToolbar::refreshTexts() {
    if (!list_) return;
    LRESULT chosen = SendMessageA(list_, CB_GETCURSEL, 0, 0);
    SendMessageA(list_, CB_RESETCONTENT, 0, 0);
    for (int id : kListTexts)
        SendMessageW(list_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::WideText(texts_(id)).c_str()));
    SendMessageA(list_, CB_SETCURSEL, chosen == CB_ERR ? 0 : chosen, 0);
}

std::string MainToolbar::tipOf(int command) const {
    int n = 0;
    for (int i = 0; i < kButtonCount; ++i) {
        if (kButtons[i].image < 0) continue;
        if (kButtons[i].command == command) return texts_(kFirstTip + n);
        ++n;
    }
    return {};
}

bool MainToolbar::onNotify(const NMHDR* header) {
    if (header->code != TTN_GETDISPINFOW) return false;
    auto* info = const_cast<NMTTDISPINFOW*>(reinterpret_cast<const NMTTDISPINFOW*>(header));
    tip_ = platform::WideText(tipOf(static_cast<int>(header->idFrom)));
    if (tip_.empty()) return false;
    info->lpszText = tip_.data();
    info->hinst = nullptr;
    return true;
}
