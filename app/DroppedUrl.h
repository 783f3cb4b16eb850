#pragma once
// The URL in data dropped on the frame: the clipboard's
// "UniformResourceLocator" or plain text, which another program wrote and
// which need not be terminated.

#include <cstddef>

#include "framework/AStr.h"

// The longest URL the internet library takes, without its terminating zero.
inline constexpr size_t kMaxDroppedUrl = 2083;

// The first line of the bytes up to the first zero (or size), without the
// blanks around it; "" when nothing is left or the line is longer than
// kMaxDroppedUrl.
AStr DroppedUrl(const char* data, size_t size);
