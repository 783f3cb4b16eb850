#pragma once
// Dates of the request and response heads: the RFC 1123 form the
// conditional headers carry, and file times (100 ns units since 1601, as
// the platform's file times count) from the broken-down time of a date
// header.

#include <cstdint>

#include "framework/AStr.h"
#include "platform/Internet.h"

namespace httpdate {

constexpr int64_t kFileTimeOf1970 = 116444736000000000LL;
constexpr int64_t kFileTimeUnitsPerSecond = 10000000LL;

inline int64_t fileTimeOfUnix(int64_t seconds) { return seconds * kFileTimeUnitsPerSecond + kFileTimeOf1970; }
inline int64_t unixOfFileTime(int64_t fileTime) { return (fileTime - kFileTimeOf1970) / kFileTimeUnitsPerSecond; }

// "Sat, 03 Feb 2001 04:05:06 GMT" for seconds since 1970, UTC.
AStr format(int64_t unixSeconds);

// False for a time that names no real day.
bool toUnix(const platform::inet::SystemTime& t, int64_t& unixSeconds);

}  // namespace httpdate
