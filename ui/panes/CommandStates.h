#pragma once
// Which of the main window's commands the job's state allows now, in the
// menu and on the toolbar alike. Portable, so that the rules are tested
// natively; the window asks here for every item it shows.

#include <cstdint>

// The main window's commands.
namespace command {
enum : int {
    kNew = 121,
    kOpen = 122,
    kSave = 123,
    kSaveAs = 124,
    kStart = 125,
    kStop = 126,
    kDeleteDownloads = 127,
    kUpdateRun = 128,
    kBatch = 130,
    kFirstRecent = 180,
    kLastRecent = 188,
    kExit = 199,
    kMissionSheet = 400,
    kFileView = 401,
    kLinkView = 402,
    kPageView = 403,
    kProgramOptions = 404,
    kDefaults = 405,
    kDialUpSettings = 406,
    kLowerPanes = 408,
    kToolbar = 410,
    kStatusBar = 411,
    kFirstLanguage = 450,
    kLastLanguage = 452,
    kAbout = 500,
    kCopyUrl = 3232,
    kBack = 3420,
    kForward = 3421,
    kOpenInBrowser = 3422,
};
}  // namespace command

struct JobSnapshot {
    uint32_t jobState = 0;        // the engine's: 0 idle, 1 running, 2 and 3 finishing, 4 dialing
    bool hasStartUrls = false;    // a job was made or opened: there is something to start or save
    bool hasOutput = false;       // the job has a copy on disk
    bool batchRunning = false;    // the batch drives the window: no hand on the job
    int recentCount = 0;          // entries of the recent list
};

// Enabled or not. Commands whose dialogs are not there yet stay disabled.
bool CommandEnabled(int id, const JobSnapshot& job);
