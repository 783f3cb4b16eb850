// zbrask.exe: the Windows program.
#include <windows.h>
#include <ole2.h>

#include <memory>

#include "app/shell/ProgramEntry.h"
#include "ui/win32/WinFrontEnd.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    // OLE for dropping URLs on the frame; the run goes on without it.
    HRESULT ole = OleInitialize(nullptr);
    ProgramEntry entry;
    entry.instance = instance;
    entry.commandLine = commandLine ? commandLine : "";
    entry.show = show;
    entry.frontEnd = [&] { return std::make_unique<WinFrontEnd>(instance, entry.commandLine.c_str(), show); };
    int code = RunZBrask(entry);
    if (SUCCEEDED(ole)) OleUninitialize();
    return code;
}
