#pragma once
// What the mission sheet's fields show of a mission and how their text is
// read back. Portable, so that every conversion is tested natively; the
// Windows pages only move the texts in and out of their controls.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "framework/AStr.h"
#include "framework/StrList.h"

namespace fields {

// A number typed into a field: blanks, a sign, digits, as far as they go
// ("12abc" is 12). Nothing when no digit comes. Beyond 32 bits it stays at
// the nearest end of the range rather than wrapping round.
std::optional<int32_t> TypedNumber(std::string_view text);

// One entry a line, lines ended by "\r\n" as a multi-line field wants them.
std::string ListText(const StrList& list);
// Line by line (CR, LF or both end a line): blanks and tabs around each
// line go, empty lines are dropped, the rest become the entries in order.
// A long line is kept whole: cutting it would leave another address.
void ReadList(std::string_view text, StrList& list);

// Link levels: a negative number, or none, is 0.
int32_t ReadLevel(std::string_view text);

// The output folder field. It shows the current output folder while the
// mission has no path of its own; reading it back keeps the path empty
// when that shown folder was left as it was, and drops one trailing
// separator (not the one of a root such as "C:\" or "/").
AStr OutputPathShown(const AStr& missionPath, const AStr& currentFolder);
AStr ReadOutputPath(std::string_view text, const AStr& missionPath, const AStr& currentFolder);

// MaxNumFiles and MaxSizeFiles: empty below 1; an empty field (or one
// without a number) reads as 0, no limit.
std::string LimitShown(int32_t value);
int32_t ReadLimit(std::string_view text);

// MaxNumThread: 5 is shown below 1; read back within 1 to 9, and 5 when the
// field holds no number or one below 1.
inline constexpr int32_t kThreadsWhenUnset = 5;
inline constexpr int32_t kMostThreads = 9;
std::string ThreadsShown(int32_t value);
int32_t ReadThreads(std::string_view text);

// timeMaxWait, milliseconds, shown in whole minutes: empty below one
// minute; read back as minutes times 60000, kept within what 32 bits hold
// (a negative wait is none).
inline constexpr int32_t kMsPerMinute = 60000;
inline constexpr int32_t kMostWaitMinutes = INT32_MAX / kMsPerMinute;
std::string WaitShown(int32_t ms);
int32_t ReadWait(std::string_view text);

// CodePref and its five radio buttons 120 to 124. A value of none of them
// shows as 123, which is what the buttons give when none of the others is
// ticked.
inline constexpr int kFirstCodeButton = 120;
inline constexpr int kLastCodeButton = 124;
int CodeButtonFor(int32_t codePref);
int32_t CodePrefFor(int tickedButton);

}  // namespace fields
