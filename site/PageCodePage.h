#pragma once
// The code page of a stored page and the conversion of its title and
// reference texts into the Windows code page the program's texts are in.

#include "framework/AStr.h"
#include "site/CodePageDetector.h"
#include "site/ExtractList.h"

// The server's code page, else the META one, else (when detection is on)
// the detector's verdict; 0 when none is known.
int PageCodePage(int serverCodePage, int metaCodePage, bool detect, const CodePageDetector& detector);

// KOI8 (3) and DOS (2) texts into Windows-1251; other code pages stay.
void ToWindowsCodePage(int codePage, AStr& text);
void ConvertPageTexts(int codePage, AStr& title, ExtractList& links);
