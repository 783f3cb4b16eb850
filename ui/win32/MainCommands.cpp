#include "ui/win32/MainCommands.h"

#include <string>
#include <vector>

#include "app/Lang.h"
#include "app/LanguageFile.h"
#include "app/ProgramVersion.h"
#include "app/ShellOpen.h"
#include "app/shell/Application.h"
#include "platform/File.h"
#include "ui/panes/TypedUrl.h"
#include "ui/win32/BatchDialog.h"
#include "ui/win32/DialDialog.h"
#include "ui/win32/EngineMainWindow.h"
#include "ui/win32/InputDialog.h"
#include "ui/win32/MessageBoxes.h"
#include "ui/win32/MissionSheet.h"
#include "ui/win32/OptionsDialog.h"
#include "ui/win32/ProjectFileDialog.h"

namespace {
constexpr int kProgramTitle = 22064;
constexpr const char* kOptionsSection = "Options";

// The language commands, in order.
constexpr const char* kLanguages[] = {"enu", "rus"};
constexpr int kLanguageCount = static_cast<int>(sizeof kLanguages / sizeof kLanguages[0]);

// A menu text of a recent project: "&1 path"; an ampersand of the path is
// doubled so that it shows as one.
std::string RecentText(int index, const AStr& path) {
    std::string t = "&" + std::to_string(index + 1) + " ";
    for (char c : path.view()) {
        if (c == '&') t += '&';
        t += c;
    }
    return t;
}

bool Contains(HMENU menu, UINT id) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i)
        if (GetMenuItemID(menu, i) == id) return true;
    return false;
}

HACCEL CopyAccelerators(HACCEL loaded) {
    if (!loaded) return nullptr;
    int n = CopyAcceleratorTableA(loaded, nullptr, 0);
    if (n <= 0) return nullptr;
    std::vector<ACCEL> keys(static_cast<size_t>(n));
    CopyAcceleratorTableA(loaded, keys.data(), n);
    return CreateAcceleratorTableA(keys.data(), n);
}
}  // namespace

MainCommands::MainCommands(EngineMainWindow& window) : w_(window) {
    choosePath = [this](bool save, const AStr& name, const AStr& folder) {
        return ChooseProjectFile(frame(), save, name, folder);
    };
    askUrl = [this](AStr& url) { return InputDialog::ask(frame(), url); };
    runBatchDialog = [this](Batch& copy, const AStr& project) {
        BatchDialog dialog(copy, project);
        return dialog.runModal(frame());
    };
}

MainCommands::~MainCommands() {
    // Its window goes with it; the loop routes nothing more to it.
    if (dial_) dial_->closed = nullptr;
    if (dial_ && dial_->hwnd()) w_.app_.setModelessDialog(nullptr);
    dial_.reset();
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

HWND MainCommands::frame() const { return GetParent(w_.hwnd()); }

void MainCommands::start() {
    recent_.read(w_.app_.settings());
    reloadMenu();
}

JobSnapshot MainCommands::snapshot() const {
    JobSnapshot j;
    const Window& e = *w_.engine_;
    j.jobState = e.jobState();
    j.hasStartUrls = !e.project().urls.empty();
    j.hasOutput = j.hasStartUrls && !e.outputFolder().empty();
    j.batchRunning = w_.app_.batchRunner().running();
    j.recentCount = static_cast<int>(recent_.files().size());
    return j;
}

bool MainCommands::run(UINT id) {
    const int c = static_cast<int>(id);
    if (c >= command::kFirstRecent && c <= command::kLastRecent) {
        if (enabled(c)) openRecent(c - command::kFirstRecent);
        return true;
    }
    if (c >= command::kFirstLanguage && c <= command::kLastLanguage) {
        if (c - command::kFirstLanguage < kLanguageCount) (void)switchLanguage(kLanguages[c - command::kFirstLanguage]);
        return true;
    }
    switch (c) {
    case command::kStart:
        // Also the batch's command: only the job's state decides.
        if (w_.engine_->jobState() == Window::kIdle && !w_.engine_->project().urls.empty()) w_.engine_->continueJob();
        return true;
    case command::kNew:
        if (enabled(c)) newDownload();
        return true;
    case command::kOpen:
        if (enabled(c)) open();
        return true;
    case command::kSave:
        if (enabled(c)) save();
        return true;
    case command::kSaveAs:
        if (enabled(c)) saveAs();
        return true;
    case command::kStop:
        if (enabled(c)) w_.engine_->stopJob(ProgramLanguage().text(kTextStopped));
        return true;
    case command::kUpdateRun:
        if (enabled(c)) updateRun();
        return true;
    case command::kDeleteDownloads:
        if (enabled(c)) deleteDownloads();
        return true;
    case command::kCopyUrl:
        if (enabled(c)) copyUrl();
        return true;
    case command::kAbout:
        about();
        return true;
    case command::kBatch:
        if (enabled(c)) batch();
        return true;
    case command::kDialUpSettings:
        if (enabled(c)) dialUp();
        return true;
    case command::kOpenInBrowser:
        if (enabled(c)) openInBrowser();
        return true;
    case command::kMissionSheet:
        if (enabled(c)) missionSheet();
        return true;
    case command::kDefaults:
        if (enabled(c)) defaultSettings();
        return true;
    case command::kProgramOptions:
        if (enabled(c)) programOptions();
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Projects

void MainCommands::newDownload() {
    // The gate first: a running job winds down and this command comes back.
    if (!w_.engine_->mayRunCommand(command::kNew)) return;
    // Asked again while what was typed holds no address.
    AStr typed;
    while (askUrl(typed)) {
        AStr url = TypedUrl(typed);
        if (url.empty()) {
            // Nothing typed is as good as canceled.
            if (typed.view().find_first_not_of(" \t\r\n") == std::string_view::npos) return;
            continue;
        }
        (void)w_.startNewJob(url.c_str());
        return;
    }
}

void MainCommands::open() {
    if (!w_.engine_->mayRunCommand(command::kOpen)) return;
    AStr path = choosePath(false, AStr(), recent_.lastFolder());
    if (path.empty()) return;
    if (w_.openProject(path.c_str())) remember(path);
}

void MainCommands::openRecent(int index) {
    if (!w_.engine_->mayRunCommand(static_cast<uint32_t>(command::kFirstRecent + index))) return;
    if (index >= static_cast<int>(recent_.files().size())) return;
    AStr path = recent_.files()[static_cast<size_t>(index)];
    if (w_.openProject(path.c_str())) {
        remember(path);
    } else if (!platform::FileExists(path.c_str())) {
        // Gone: the engine said so; the list no longer offers it.
        recent_.remove(path);
        recent_.write(w_.app_.settings());
    }
}

void MainCommands::remember(const AStr& path) {
    recent_.use(path);
    recent_.write(w_.app_.settings());
}

void MainCommands::save() {
    if (w_.projectPath_.empty()) {
        saveAs();
        return;
    }
    if (w_.engine_->saveProject(w_.projectPath_.c_str()) == 0) remember(w_.projectPath_);
    w_.refreshStatusBar();
}

void MainCommands::saveAs() {
    const AStr& offered = !w_.projectPath_.empty() ? w_.projectPath_ : w_.defaultProject_;
    AStr path = choosePath(true, offered, recent_.lastFolder());
    if (path.empty()) return;
    if (w_.engine_->saveProject(path.c_str()) == 0) {
        w_.projectPath_ = path;
        remember(path);
    }
    w_.refreshStatusBar();
}

AStr MainCommands::chooseSaveName(const AStr& offered) {
    AStr path = choosePath(true, offered, recent_.lastFolder());
    // The gate saves under it; the name is the project's from then on.
    if (!path.empty()) {
        w_.projectPath_ = path;
        remember(path);
    }
    return path;
}

// ---------------------------------------------------------------------------
// The job

void MainCommands::updateRun() {
    w_.showMessage(ProgramLanguage().text(Window::kTextRestarting));
    w_.engine_->refreshJob();
    w_.refreshStatusBar();
}

void MainCommands::deleteDownloads() {
    if (!w_.engine_->mayRunCommand(command::kDeleteDownloads)) return;
    const LangWithError& lang = ProgramLanguage();
    AStr question = lang.format(kTextDeleteDownloads, w_.engine_->outputFolder().c_str());
    if (ShowBox(frame(), question, lang.text(kProgramTitle),
                    MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    (void)w_.engine_->deleteDownloads();
    w_.refreshStatusBar();
}

void MainCommands::openInBrowser() {
    std::string target = w_.browserTarget();
    // A start that fails is reported by the opener itself.
    if (!target.empty()) (void)ShellOpen(GetParent(w_.hwnd()), AStr(target), false, true);
}

void MainCommands::batch() {
    // The dialog edits a copy: cancel leaves the batch as it was.
    Batch copy = w_.app_.batch();
    INT_PTR r = runBatchDialog(copy, w_.projectPath_);
    if (r != IDOK && r != BatchDialog::kStart) return;
    w_.app_.batch() = copy;
    if (r == BatchDialog::kStart) w_.app_.batchRunner().start();
    refreshToolbar();
}

void MainCommands::dialUp() {
    if (!dial_) {
        dial_ = std::make_unique<DialDialog>(w_.app_.dialUp(), w_.app_.settings(), w_.hwnd());
        // While it is open the loop hands it its keys.
        Application& app = w_.app_;
        dial_->opened = [&app](HWND dialog) { app.setModelessDialog(dialog); };
        dial_->closed = [&app](HWND) { app.setModelessDialog(nullptr); };
    }
    (void)dial_->open(frame());
}

void MainCommands::copyUrl() {
    AStr url = w_.currentUrl();
    if (url.empty() || !OpenClipboard(w_.hwnd())) return;
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, url.size() + 1);
    if (h) {
        memcpy(GlobalLock(h), url.c_str(), url.size() + 1);
        GlobalUnlock(h);
        // The clipboard owns it once it took it.
        if (!SetClipboardData(CF_TEXT, h)) GlobalFree(h);
    }
    CloseClipboard();
}

void MainCommands::about() {
    const LangWithError& lang = ProgramLanguage();
    ShowBox(frame(), lang.format(kTextAbout, kProgramVersion), lang.text(kTextAboutTitle),
                MB_OK | MB_ICONINFORMATION);
}

// ---------------------------------------------------------------------------
// Settings

void MainCommands::missionSheet() {
    Window& e = *w_.engine_;
    Project& project = e.project();
    MissionSheetSetup setup;
    setup.jobRunning = e.jobState() != Window::kIdle || !e.activeList().empty();
    setup.currentFolder = e.outputFolder();
    setup.defaultFolder = w_.app_.start().options.braskDir;
    setup.settings = &w_.app_.settings();
    const Mission before(static_cast<const Mission&>(project));
    if (MissionSheet::edit(frame(), project, setup) != 1) return;
    (void)project.noteEdit(before);
    if (!(before.urls == project.urls)) w_.graphReset();
    refreshMenu();
    refreshToolbar();
    w_.refreshStatusBar();
}

void MainCommands::defaultSettings() {
    ApplicationProfile& settings = w_.app_.settings();
    // A fresh project holds the defaults and nothing else.
    Project defaults(settings);
    MissionSheetSetup setup;
    setup.defaults = true;
    setup.settings = &settings;
    (void)MissionSheet::edit(frame(), defaults, setup);
}

void MainCommands::programOptions() {
    Application& app = w_.app_;
    ProgramSettings edited{app.options(), app.proxy(), app.exitOnEnd()};
    OptionsSetup setup;
    setup.languageFolder = languageFolder();
    if (OptionsDialog::edit(frame(), edited, setup) != 1) return;

    const AStr wanted = edited.options.language;
    const AStr inUse = languageCode();
    if (!wanted.empty() && !wanted.equalsNoCase(inUse)) {
        const bool now = w_.engine_->activeList().empty() && w_.engine_->jobState() == Window::kIdle;
        if (now) {
            // Said by the switch when it cannot be had; then the one in use stays.
            if (!switchLanguage(wanted)) edited.options.language = inUse;
        } else {
            // The downloads read the library in use: the next start loads it.
            const LangWithError& lang = ProgramLanguage();
            ShowBox(frame(), lang.text(kTextLanguageLater), lang.text(kProgramTitle), MB_OK | MB_ICONINFORMATION);
        }
    }
    app.options() = edited.options;
    (void)app.options().write(app.settings());
    app.stored().proxy = edited.proxy;
    app.stored().exitOnEnd = edited.exitOnEnd;
    (void)app.stored().writeConnection(app.settings());
    w_.engine_->setConnection(edited.options.internetAgent, edited.proxy);
    w_.engine_->setExitOnEnd(edited.exitOnEnd);
    // The views ask for their texts as they paint.
    InvalidateRect(w_.panes_.fileView(), nullptr, TRUE);
    InvalidateRect(w_.panes_.linkView(), nullptr, TRUE);
}

// ---------------------------------------------------------------------------
// Menu, keys and buttons

void MainCommands::reloadMenu() {
    HWND f = frame();
    if (!f) return;
    HMENU menu = static_cast<HMENU>(ProgramLanguage().menu(kMenuId));
    HMENU old = GetMenu(f);
    SetMenu(f, menu);
    if (old && old != menu) DestroyMenu(old);
    refreshMenu(menu);
    DrawMenuBar(f);
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    accelerators_ = nullptr;
    if (HMODULE lib = static_cast<HMODULE>(ProgramLanguage().handle()))
        accelerators_ = CopyAccelerators(LoadAcceleratorsA(lib, MAKEINTRESOURCEA(kAcceleratorsId)));
    toolbarShown_ = false;
    refreshToolbar();
}

void MainCommands::refreshMenu(HMENU menu) {
    if (!menu) menu = GetMenu(frame());
    if (!menu) return;
    refreshItems(menu, snapshot());
}

void MainCommands::refreshItems(HMENU menu, const JobSnapshot& job) {
    if (Contains(menu, command::kExit)) putRecentItems(menu);
    const PaneLayout& l = w_.layout_;
    const bool left = (l.visible() & PaneLayout::kLeftPane) != 0;
    const AStr code = languageCode();
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            refreshItems(sub, job);
            continue;
        }
        UINT id = GetMenuItemID(menu, i);
        if (id == static_cast<UINT>(-1) || id == 0 || id == kRecentSeparator) continue;
        const int c = static_cast<int>(id);
        EnableMenuItem(menu, id, MF_BYCOMMAND | (CommandEnabled(c, job) ? MF_ENABLED : MF_GRAYED));
        bool checked = false;
        switch (c) {
        case command::kFileView:
            checked = left && l.tab() == PaneLayout::kFileView;
            break;
        case command::kLinkView:
            checked = left && l.tab() == PaneLayout::kLinkView;
            break;
        case command::kPageView:
            checked = (l.visible() & PaneLayout::kPageView) != 0;
            break;
        case command::kLowerPanes:
            checked = (l.visible() & PaneLayout::kLowerPanes) != 0;
            break;
        case command::kToolbar:
            checked = (l.visible() & PaneLayout::kToolbar) != 0;
            break;
        case command::kStatusBar:
            checked = (l.visible() & PaneLayout::kStatusBar) != 0;
            break;
        default:
            if (c >= command::kFirstLanguage && c - command::kFirstLanguage < kLanguageCount)
                checked = code.equalsNoCase(kLanguages[c - command::kFirstLanguage]);
            break;
        }
        CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void MainCommands::putRecentItems(HMENU file) {
    for (int id = command::kFirstRecent; id <= command::kLastRecent; ++id) DeleteMenu(file, id, MF_BYCOMMAND);
    DeleteMenu(file, kRecentSeparator, MF_BYCOMMAND);
    if (recent_.files().empty()) return;
    // Above the separator over "Exit": the list, then a separator of its own.
    int at = 0;
    for (int n = GetMenuItemCount(file); at < n && GetMenuItemID(file, at) != command::kExit; ++at) {
    }
    if (at > 0 && (GetMenuState(file, at - 1, MF_BYPOSITION) & MF_SEPARATOR)) --at;
    InsertMenuA(file, at++, MF_BYPOSITION | MF_SEPARATOR, kRecentSeparator, nullptr);
    for (size_t i = 0; i < recent_.files().size(); ++i) {
        std::string text = RecentText(static_cast<int>(i), recent_.files()[i]);
        InsertMenuA(file, at++, MF_BYPOSITION | MF_STRING, command::kFirstRecent + i, text.c_str());
    }
}

void MainCommands::refreshToolbar() {
    HWND bar = w_.panes_.tools().hwnd();
    if (!bar || !w_.engine_) return;
    JobSnapshot job = snapshot();
    const PaneLayout& l = w_.layout_;
    if (toolbarShown_ && job.jobState == shown_.jobState && job.hasStartUrls == shown_.hasStartUrls &&
        job.hasOutput == shown_.hasOutput && job.batchRunning == shown_.batchRunning && l.visible() == shownViews_ &&
        l.tab() == shownTab_)
        return;
    toolbarShown_ = true;
    shown_ = job;
    shownViews_ = l.visible();
    shownTab_ = l.tab();
    const bool left = (l.visible() & PaneLayout::kLeftPane) != 0;
    for (int i = 0; i < MainToolbar::kButtonCount; ++i) {
        const MainToolbar::Button& b = MainToolbar::kButtons[i];
        if (b.image < 0) continue;
        SendMessageA(bar, TB_ENABLEBUTTON, b.command, MAKELPARAM(CommandEnabled(b.command, job), 0));
        bool checked = (b.command == command::kFileView && left && l.tab() == PaneLayout::kFileView) ||
                       (b.command == command::kLinkView && left && l.tab() == PaneLayout::kLinkView) ||
                       (b.command == command::kPageView && (l.visible() & PaneLayout::kPageView)) ||
                       (b.command == command::kLowerPanes && (l.visible() & PaneLayout::kLowerPanes));
        SendMessageA(bar, TB_CHECKBUTTON, b.command, MAKELPARAM(checked, 0));
    }
}

bool MainCommands::translate(MSG& m) {
    HWND f = frame();
    if (!accelerators_ || !f) return false;
    // Only the keys typed into this program's windows.
    if (m.hwnd != f && !IsChild(f, m.hwnd)) return false;
    return TranslateAcceleratorA(f, accelerators_, &m) != 0;
}

// ---------------------------------------------------------------------------
// Language

AStr MainCommands::languageCode() const {
    HMODULE lib = static_cast<HMODULE>(ProgramLanguage().handle());
    char path[MAX_PATH] = {};
    if (!lib || !GetModuleFileNameA(lib, path, sizeof path)) return AStr();
    // "...\zb" + code + ".dll"
    std::string_view p(path);
    size_t name = p.find_last_of("\\/");
    name = name == std::string_view::npos ? 0 : name + 1;
    if (p.size() - name != 9) return AStr();
    return AStr(p.substr(name + 2, 3));
}

AStr MainCommands::languageFolder() const {
    // Where the library in use lies is where the others lie.
    HMODULE lib = static_cast<HMODULE>(ProgramLanguage().handle());
    char path[MAX_PATH] = {};
    if (lib && GetModuleFileNameA(lib, path, sizeof path)) {
        std::string_view p(path);
        size_t cut = p.find_last_of("\\/");
        if (cut != std::string_view::npos) return AStr(p.substr(0, cut + 1));
    }
    return ProgramFolder();
}

bool MainCommands::switchLanguage(const AStr& code) {
    // The downloads' threads read texts as they report.
    if (!w_.engine_->activeList().empty() || w_.engine_->jobState() != Window::kIdle) return false;
    if (code.equalsNoCase(languageCode())) return true;
    const AStr before = languageCode();
    AStr folder = languageFolder();
    LanguageFile file = FindLanguageFile(folder, code, platform::kLibraryExtension, LanguageFileKind::Library);
    // Not another language in place of the one asked for, and never none.
    if (!file.found || !file.code.equalsNoCase(code)) {
        const LangWithError& lang = ProgramLanguage();
        // The file asked for, not the one the search fell back to.
        AStr wanted = folder + "zb" + code + platform::kLibraryExtension;
        ShowBox(frame(), lang.format(kTextNoLanguage, wanted.c_str()), lang.text(kProgramTitle),
                    MB_OK | MB_ICONERROR);
        return false;
    }
    LanguageLoad loaded = LoadProgramLanguage(folder, code);
    if (!ProgramLanguage().loaded()) {
        // It could not be loaded after all: back to the one there was.
        (void)LoadProgramLanguage(folder, before.empty() ? AStr(kDefaultLanguage) : before);
        reloadMenu();
        return false;
    }
    (void)w_.app_.settings().writeString(kOptionsSection, "language", loaded.code.c_str());
    SetWindowTextW(frame(), platform::WideText(ProgramLanguage().text(kProgramTitle)).c_str());
    reloadMenu();
    w_.panes_.tools().refreshTexts();
    w_.refreshStatusBar();
    return true;
}
