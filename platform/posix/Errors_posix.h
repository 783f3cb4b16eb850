#pragma once
// The POSIX layer reports the Windows error codes of the same conditions,
// so that the portable code tests one set of numbers (112 for a full disk,
// 2 and 3 for missing files and paths) on both targets.

namespace platform {
int WinErrorFromErrno(int e);
void SetLastErrorCode(int code);
}
