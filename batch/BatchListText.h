#pragma once
// The batch list as the batch dialog's edit field shows it: one project
// file a line.

#include <cstddef>
#include <string_view>

#include "framework/AStr.h"
#include "framework/StrList.h"

inline constexpr size_t kMaxBatchLine = 1023;

// Every entry followed by a carriage return and a line feed.
AStr JoinBatchList(const StrList& list);

// The lines of text (ended by CR, LF or CR LF), spaces and tabs taken off
// both ends, empty ones skipped. A line longer than kMaxBatchLine is no
// file name and is not cut into one: the list is left alone and the number
// of that line (from 1) is returned. 0 when every line was taken.
size_t SplitBatchList(std::string_view text, StrList& list);
