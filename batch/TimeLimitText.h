#pragma once
// The dial-up dialog's time limit, typed in minutes and kept in
// milliseconds.

#include <cstdint>
#include <string_view>

#include "framework/AStr.h"

// The most minutes whose milliseconds fit the 32-bit setting.
inline constexpr uint32_t kMaxTimeLimitMinutes = UINT32_MAX / 60000;

// Whole minutes, blanks around them allowed; 0 stands for one hour, as the
// setting does. False for anything else, or more than kMaxTimeLimitMinutes.
bool ParseTimeLimitMinutes(std::string_view text, uint32_t& ms);
// The setting shown in whole minutes (0 as one hour).
AStr TimeLimitMinutes(uint32_t ms);
