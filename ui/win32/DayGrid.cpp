#include "ui/win32/DayGrid.h"

namespace {

struct Grid {
    std::vector<std::wstring> cells;
    int selected = -1;
    HFONT font = nullptr;
    bool headings = false;
};

Grid* Of(HWND w) { return reinterpret_cast<Grid*>(GetWindowLongPtrW(w, GWLP_USERDATA)); }

int Rows(const Grid& g) {
    if (g.headings) return 1;
    return 6;  // the most weeks a month touches
}

RECT CellRect(HWND w, const Grid& g, int index) {
    RECT c;
    GetClientRect(w, &c);
    int rows = Rows(g);
    int col = index % daygrid::kColumns, row = index / daygrid::kColumns;
    RECT r;
    r.left = c.right * col / daygrid::kColumns;
    r.right = c.right * (col + 1) / daygrid::kColumns;
    r.top = c.bottom * row / rows;
    r.bottom = c.bottom * (row + 1) / rows;
    return r;
}

bool Choosable(const Grid& g, int i) {
    return !g.headings && i >= 0 && i < static_cast<int>(g.cells.size()) && !g.cells[static_cast<size_t>(i)].empty();
}

void Notify(HWND w, WORD code) {
    SendMessageW(GetParent(w), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w), code), reinterpret_cast<LPARAM>(w));
}

void Select(HWND w, Grid& g, int i, bool notify) {
    if (!Choosable(g, i) || i == g.selected) return;
    g.selected = i;
    InvalidateRect(w, nullptr, TRUE);
    if (notify) Notify(w, LBN_SELCHANGE);
}

int HitCell(HWND w, const Grid& g, LPARAM lParam) {
    POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    for (int i = 0; i < static_cast<int>(g.cells.size()); ++i) {
        RECT r = CellRect(w, g, i);
        if (PtInRect(&r, p)) return i;
    }
    return -1;
}

void Paint(HWND w, Grid& g) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT client;
    GetClientRect(w, &client);
    FillRect(dc, &client, GetSysColorBrush(g.headings ? COLOR_BTNFACE : COLOR_WINDOW));
    HGDIOBJ oldFont = g.font ? SelectObject(dc, g.font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    const bool focused = GetFocus() == w;
    for (int i = 0; i < static_cast<int>(g.cells.size()); ++i) {
        RECT r = CellRect(w, g, i);
        const bool chosen = i == g.selected;
        if (chosen) {
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            if (focused) DrawFocusRect(dc, &r);
        }
        SetTextColor(dc, GetSysColor(chosen ? COLOR_HIGHLIGHTTEXT : g.headings ? COLOR_BTNTEXT : COLOR_WINDOWTEXT));
        const std::wstring& t = g.cells[static_cast<size_t>(i)];
        DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(w, &ps);
}

LRESULT CALLBACK Procedure(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    Grid* g = Of(w);
    switch (message) {
    case WM_NCCREATE: {
        auto* grid = new Grid;
        grid->headings = (reinterpret_cast<CREATESTRUCTW*>(lParam)->style & daygrid::kHeadings) != 0;
        SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(grid));
        break;
    }
    case WM_NCDESTROY:
        delete g;
        SetWindowLongPtrW(w, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    if (!g) return DefWindowProcW(w, message, wParam, lParam);
    switch (message) {
    case WM_SETFONT:
        g->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(w, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(g->font);
    case daygrid::kSetCells:
        g->cells = *reinterpret_cast<const std::vector<std::wstring>*>(lParam);
        g->selected = -1;
        InvalidateRect(w, nullptr, TRUE);
        return 0;
    case LB_SETCURSEL: {
        int i = static_cast<int>(wParam);
        if (!Choosable(*g, i)) return LB_ERR;
        Select(w, *g, i, false);
        return i;
    }
    case LB_GETCURSEL:
        return g->selected >= 0 ? g->selected : LB_ERR;
    case LB_GETCOUNT:
        return static_cast<LRESULT>(g->cells.size());
    case WM_NCHITTEST:
        // The headings are part of the calendar's body: a press there drags it.
        if (g->headings) return HTTRANSPARENT;
        break;
    case WM_GETDLGCODE:
        return g->headings ? DLGC_STATIC : DLGC_WANTARROWS;
    case WM_PAINT:
        Paint(w, *g);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        if (!g->headings) SetFocus(w);
        Select(w, *g, HitCell(w, *g, lParam), true);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (Choosable(*g, HitCell(w, *g, lParam))) Notify(w, LBN_DBLCLK);
        return 0;
    case WM_KEYDOWN: {
        int step = wParam == VK_LEFT ? -1 : wParam == VK_RIGHT ? 1 : wParam == VK_UP ? -daygrid::kColumns
                 : wParam == VK_DOWN ? daygrid::kColumns : 0;
        if (!step || g->headings) break;
        int i = g->selected < 0 ? 0 : g->selected + step;
        // Over the blanks before the 1st, to the first day.
        while (i >= 0 && i < static_cast<int>(g->cells.size()) && !Choosable(*g, i) && step > 0) ++i;
        Select(w, *g, i, true);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(w, message, wParam, lParam);
}

}  // namespace

bool daygrid::Register() {
    WNDCLASSW c = {};
    if (GetClassInfoW(GetModuleHandleW(nullptr), kClassName, &c)) return true;
    c.style = CS_DBLCLKS | CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    c.lpfnWndProc = Procedure;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    c.lpszClassName = kClassName;
    return RegisterClassW(&c) != 0;
}
