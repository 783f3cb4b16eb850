#pragma once
// The encoding of stored passwords (dial-up, proxy and project passwords):
// each byte becomes two letters from "G" to "V", "G" plus its high four
// bits, then "G" plus its low four bits ("abc" is stored as "MHMIMJ").

#include <string_view>

#include "framework/AStr.h"

AStr EncodePassword(std::string_view password);
// Takes the text two letters at a time; a pair (a, b) gives the byte
// ((a - 7) * 16 + b - 71) modulo 256, which is the inverse of the encoding
// for well-formed text. A text of odd length gives an empty password.
AStr DecodePassword(std::string_view text);
