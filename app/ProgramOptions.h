#pragma once
// The program-wide options of section "Options" of the application's
// settings file, which the options dialog edits: read at start-up, written
// when the dialog is confirmed.

#include "framework/AStr.h"

class ApplicationProfile;

struct ProgramOptions {
    AStr language = "enu";  // code of the language library in use
    AStr braskDir;          // the folder offered for new projects' output
    AStr internetAgent;     // the user-agent text the download workers send
    // What the link view shows for a node.
    bool showRefName = true;
    bool showPageTitle = true;  // at most kMaxTitleShown characters of it
    bool showRefUrl = true;

    static constexpr size_t kMaxTitleShown = 120;

    // A missing key keeps the field's value (a new record: the defaults).
    void read(const ApplicationProfile& settings);
    // 0 or the first error of the settings store.
    int write(ApplicationProfile& settings) const;

    friend bool operator==(const ProgramOptions&, const ProgramOptions&) = default;
};
