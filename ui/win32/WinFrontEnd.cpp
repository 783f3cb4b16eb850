#include "ui/win32/WinFrontEnd.h"

#include "app/ZBraskLibrary.h"
#include "app/shell/Application.h"

WinFrontEnd::WinFrontEnd(HINSTANCE instance, const char* commandLine, int show) : loop_(instance, commandLine, show) {}

WinFrontEnd::~WinFrontEnd() {
    loop_.main = nullptr;
    if (main_ && ProgramTextSource().mainWindow() == main_->messagePane()) ProgramTextSource().setMainWindow(nullptr);
    if (frame_) frame_->setClient(nullptr, nullptr);
    main_.reset();
    frame_.reset();
}

HWND WinFrontEnd::Loop::modelessDialog() const {
    return app ? static_cast<HWND>(app->modelessDialog()) : nullptr;
}

bool WinFrontEnd::Loop::preTranslateMessage(MSG& m) {
    if (ZApplication::preTranslateMessage(m)) return true;
    return main && main->commands().translate(m);
}

MainWindow* WinFrontEnd::createMainWindow(Application& app) {
    loop_.app = &app;
    auto frame = std::make_unique<FrameWindow>(app);
    if (!frame->create()) return nullptr;
    auto main = std::make_unique<EngineMainWindow>(app);
    if (!main->create(frame->hwnd())) return nullptr;
    frame->setClient(main.get(), main->hwnd());
    loop_.setMainWindowHandle(main->hwnd());
    loop_.main = main.get();
    HWND f = frame->hwnd();
    if (!IsWindowVisible(f) && !IsIconic(f)) ShowWindow(f, app.showCommand());
    // Dial-up states and the engine's messages reach the window.
    ProgramTextSource().setMainWindow(main->messagePane());
    frame_ = std::move(frame);
    main_ = std::move(main);
    return main_.get();
}
