#include "app/shell/UpdaterStart.h"

#include "platform/Registry.h"
#include "platform/Shell.h"

AStr RegisteredUpdater() { return AStr(platform::CurrentUserString(kUpdaterKey, "Location", 260)); }

int StartUpdater(void* owner, const AStr& program) {
    if (program.empty()) return 0;
    return platform::RunProgram(owner, program.c_str(), kUpdaterGroup);
}
