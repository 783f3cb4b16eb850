// The main window's views at the size of a large job, under Windows (Wine
// here, on the shared virtual display): a graph of 100,000 nodes shown in
// the file view with its biggest folder opened, timed until the window has
// painted and answers its messages again; the link view of a page with
// 1,000 links likewise; then a job's news at 200 files a second (each
// file queued, loading, received, and one new node under an open branch)
// with the processor time the process takes for them.
// The loop that paces the news runs alone first, so that what the views
// add is told apart from the cost of waking 200 times a second.
//   bench_views_win32 [seconds of news, default 10]
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ProgramOptions.h"
#include "site/ExtractList.h"
#include "site/LinkFlags.h"
#include "site/ToBeOpenTN.h"
#include "ui/win32/FileView.h"
#include "ui/win32/LinkView.h"
#include "ui/win32/MainPanes.h"
#include "ui/win32/ZWindow.h"

namespace {

constexpr UINT kAnswer = WM_APP + 1;

class Host final : public ZWindow {
public:
    FileView files;
    LinkView links;
    bool answered = false;

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT r = 0;
        if (message == WM_NOTIFY) {
            auto* h = reinterpret_cast<const NMHDR*>(lParam);
            if (files.onNotify(h, r) || links.onNotify(h, r)) return r;
        }
        if (message == kAnswer) {
            answered = true;
            return 0;
        }
        return ZWindow::onMessage(message, wParam, lParam);
    }
};

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// Paints what is due, then waits until a message posted behind it is
// handled: the window answers the user again.
void untilResponsive(Host& host) {
    UpdateWindow(host.hwnd());
    host.answered = false;
    PostMessageA(host.hwnd(), kAnswer, 0, 0);
    while (!host.answered) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pump();
    }
}

double processSeconds() {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto value = [](const FILETIME& f) { return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(value(kernel) + value(user)) / 1e7;
}

double since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

ToBeOpenTN* add(ToBeOpenTN& parent, const std::string& name, uint8_t level, uint16_t state) {
    auto* n = new ToBeOpenTN(name, level);
    n->state = state;
    parent.insertChild(n);
    return n;
}

void expand(HWND tree, HTREEITEM item) { SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item)); }

}  // namespace

int main(int argc, char** argv) {
    const double newsSeconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    // 100 folders of 1,000 received pages each, and an index page that
    // links to the first folder's pages.
    ToBeOpenTN root;
    ToBeOpenTN* site = add(root, "http://bench.example", 0, StateNew);
    ToBeOpenTN* index = add(*site, "index.html", 0, StateNew);
    index->flags |= FlagReceived;
    auto* start = new ExtractNode;
    start->linkText = "http://bench.example/index.html";
    start->target = index;
    root.links.append(start);
    std::vector<ToBeOpenTN*> pages;
    ToBeOpenTN* biggest = nullptr;
    for (int f = 0; f < 100; ++f) {
        ToBeOpenTN* folder = add(*site, "d" + std::to_string(f), ToBeOpenTN::kFolderLevel, StateNew);
        if (!biggest) biggest = folder;
        for (int i = 0; i < 1000; ++i) {
            ToBeOpenTN* page = add(*folder, "page" + std::to_string(i) + ".html", 1, StateNew);
            page->flags |= FlagReceived;
            page->title = AStr(("Page " + std::to_string(i) + " of folder " + std::to_string(f)).c_str());
            pages.push_back(page);
            if (f == 0) {
                auto* link = new ExtractNode;
                link->linkText = AStr(("d0/page" + std::to_string(i) + ".html").c_str());
                link->refText = AStr(("Page " + std::to_string(i)).c_str());
                link->target = page;
                index->links.append(link);
            }
        }
    }

    Host host;
    MainPanes panes;
    ProgramOptions options;
    if (!host.create(0, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700, nullptr, nullptr) ||
        !panes.create(host.hwnd(), [](int) { return std::string(); })) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    PaneLayout layout;
    panes.place(layout);
    host.files.attach(panes.fileView(), &options);
    host.links.attach(panes.linkView(), &options, host.files.icons());
    untilResponsive(host);

    auto t0 = std::chrono::steady_clock::now();
    double c0 = processSeconds();
    host.files.show(root, "bench.zbp");
    expand(host.files.hwnd(), host.files.itemOf(*site));
    expand(host.files.hwnd(), host.files.itemOf(*biggest));
    untilResponsive(host);
    std::printf("file view, 100,000 nodes: shown with a folder of 1,000 open in %.0f ms (%.0f ms processor), %zu items\n",
                since(t0) * 1000, (processSeconds() - c0) * 1000, host.files.itemCount());

    t0 = std::chrono::steady_clock::now();
    c0 = processSeconds();
    host.links.show(root);
    HTREEITEM top = reinterpret_cast<HTREEITEM>(SendMessageW(host.links.hwnd(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
    expand(host.links.hwnd(), top);
    ShowWindow(host.files.hwnd(), SW_HIDE);
    ShowWindow(host.links.hwnd(), SW_SHOW);
    untilResponsive(host);
    std::printf("link view, a page of 1,000 links: opened in %.0f ms (%.0f ms processor), %zu items\n", since(t0) * 1000,
                (processSeconds() - c0) * 1000, host.links.itemCount());
    ShowWindow(host.links.hwnd(), SW_HIDE);
    ShowWindow(host.files.hwnd(), SW_SHOW);
    untilResponsive(host);

    // The news of a job at 200 files a second, as the engine sends them.
    const int perSecond = 200;
    const auto step = std::chrono::microseconds(1000000 / perSecond);
    size_t made = 0;
    auto news = [&](bool views, double& wall, double& cpu) {
        auto t = std::chrono::steady_clock::now();
        double c = processSeconds();
        auto due = t;
        size_t files = 0;
        while (since(t) < newsSeconds) {
            ToBeOpenTN* page = pages[(files * 7919) % pages.size()];
            for (uint16_t state : {StateQueued, StateLoading, StateNew}) {
                page->state = state;
                if (!views) continue;
                host.files.nodeChanged(*page);
                host.links.nodeChanged(*page);
            }
            ToBeOpenTN* node = add(*biggest, "new" + std::to_string(made++) + ".html", 2, StateQueued);
            if (views) {
                host.files.nodeAdded(*node);
                host.links.nodeAdded(*node);
                host.files.showPendingSoon();  // as the main window does with the status bar
            }
            ++files;
            due += step;
            for (;;) {
                pump();
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
                if (left.count() <= 0) break;
                MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
            }
        }
        wall = since(t);
        cpu = processSeconds() - c;
        return files;
    };
    double loopWall = 0, loopCpu = 0, wall = 0, cpu = 0;
    size_t alone = news(false, loopWall, loopCpu);
    size_t files = news(true, wall, cpu);
    host.files.showPending();
    untilResponsive(host);
    std::printf("the pacing loop alone: %zu files in %.1f s, %.1f%% of a core\n", alone, loopWall,
                100.0 * loopCpu / loopWall);
    std::printf("with the views' news: %zu files in %.1f s (%.0f a second), %.1f%% of a core: the views %.1f%%; "
                "%zu items at the end\n",
                files, wall, files / wall, 100.0 * cpu / wall, 100.0 * (cpu / wall - loopCpu / loopWall),
                host.files.itemCount());
    return 0;
}
