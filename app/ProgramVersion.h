#pragma once
// The program's version, as the about box shows it.

inline constexpr const char* kProgramVersion = "3.3";
