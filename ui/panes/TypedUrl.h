#pragma once
// The start address a user typed for a new download.

#include "framework/AStr.h"

// The first line without the blanks around it; an address without a
// scheme ("www.example.com/docs") is taken as "http://". "" when nothing
// is left or the address is longer than the internet library takes.
AStr TypedUrl(const AStr& typed);
