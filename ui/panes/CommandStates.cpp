#include "ui/panes/CommandStates.h"

bool CommandEnabled(int id, const JobSnapshot& job) {
    const bool idle = job.jobState == 0;
    // Running, or dialing for the job: what "stop" can end.
    const bool stoppable = job.jobState == 1 || job.jobState == 4;
    const bool byHand = !job.batchRunning;
    if (id >= command::kFirstRecent && id <= command::kLastRecent)
        return byHand && id - command::kFirstRecent < job.recentCount;
    switch (id) {
    // These wait for the running downloads (the job gate) themselves, so
    // they stay open while a job runs; only the batch keeps them.
    case command::kNew:
    case command::kOpen:
        return byHand;
    case command::kSave:
    case command::kSaveAs:
        return job.hasStartUrls;
    case command::kStart:
    case command::kUpdateRun:
        return byHand && idle && job.hasStartUrls;
    case command::kStop:
        return stoppable;
    case command::kDeleteDownloads:
        return byHand && idle && job.hasOutput;
    case command::kCopyUrl:
    case command::kOpenInBrowser:
        return job.hasStartUrls;
    // The batch is edited while none runs; the dial-up settings always.
    case command::kBatch:
        return byHand;
    case command::kDialUpSettings:
    case command::kExit:
    case command::kFileView:
    case command::kLinkView:
    case command::kPageView:
    case command::kLowerPanes:
    case command::kToolbar:
    case command::kStatusBar:
    case command::kAbout:
        return true;
    // The settings dialogs; a running job's sheet shows, read-only.
    case command::kMissionSheet:
    case command::kProgramOptions:
    case command::kDefaults:
        return byHand;
    default:
        break;
    }
    // The downloads' threads read texts from the library as they report:
    // it is replaced only while none runs.
    if (id >= command::kFirstLanguage && id <= command::kLastLanguage) return idle;
    // The batch, the settings dialogs and the page view's history come
    // with their dialogs and the viewer.
    return false;
}
