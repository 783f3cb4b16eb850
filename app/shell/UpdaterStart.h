#pragma once
// The updater that the installer registered, started once at the first
// idle step of every normal run.

#include "framework/AStr.h"

inline constexpr const char* kUpdaterKey = "Software\\Kelvash\\Zelko Renewer";
// The family key under which the products register; the updater's one argument.
inline constexpr const char* kUpdaterGroup = "Zelko";

// HKEY_CURRENT_USER kUpdaterKey "Location" (at most 260 bytes); "" when
// there is none.
AStr RegisteredUpdater();

// Starts program through the shell with the argument "Zelko", owned by
// owner. The shell's result (above 32 when started); 0 and nothing
// started for an empty program. Nobody checks it: the updater reports
// nothing back.
int StartUpdater(void* owner, const AStr& program);
