#pragma once
// What the transfer tests need to know of the target they run on.

#include <cstddef>

// The process's resident memory in bytes now.
size_t ResidentBytes();
// Whether the platform's internet library can fetch gopher URLs (Wine's
// WinInet cannot).
extern const bool kGopherSupported;
// Whether a head without end is refused. Wine's WinInet reads header
// lines as long as the server sends them, growing without bound.
extern const bool kEndlessHeadersRefused;
// Whether a header line of 1 MB fails the open. Wine's WinInet cuts such
// a line to 4 KB and goes on.
extern const bool kLongHeaderRefused;
// Whether resolving, connecting and request complete are reported for a
// plain synchronous request. Wine's WinInet reuses connections across
// sessions and reports neither those nor the completion.
extern const bool kEveryStepReported;
