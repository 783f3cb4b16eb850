// Which commands the job's state allows, and the address a user typed.
#include <gtest/gtest.h>

#include "ui/panes/CommandStates.h"
#include "ui/panes/TypedUrl.h"

namespace {
JobSnapshot Job(uint32_t state, bool urls = true, bool batch = false, int recent = 0) {
    JobSnapshot j;
    j.jobState = state;
    j.hasStartUrls = urls;
    j.hasOutput = urls;
    j.batchRunning = batch;
    j.recentCount = recent;
    return j;
}
}  // namespace

TEST(CommandStates, TheJobsCommandsFollowItsState) {
    using namespace command;
    struct Row {
        const char* what;
        JobSnapshot job;
        int id;
        bool enabled;
    } rows[] = {
        // No start while running, no stop while idle.
        {"idle job", Job(0), kStart, true},
        {"running", Job(1), kStart, false},
        {"finishing", Job(2), kStart, false},
        {"idle", Job(0), kStop, false},
        {"running", Job(1), kStop, true},
        {"dialing", Job(4), kStop, true},
        {"finishing: nothing left to stop", Job(2), kStop, false},
        {"idle", Job(0), kUpdateRun, true},
        {"running", Job(1), kUpdateRun, false},
        // Nothing made or opened yet: nothing to start, save or copy.
        {"no job", Job(0, false), kStart, false},
        {"no job", Job(0, false), kSave, false},
        {"no job", Job(0, false), kSaveAs, false},
        {"no job", Job(0, false), kCopyUrl, false},
        {"no job", Job(0, false), kOpenInBrowser, false},
        {"running", Job(1), kOpenInBrowser, true},
        {"no job", Job(0, false), kDeleteDownloads, false},
        {"no job", Job(0, false), kNew, true},
        {"no job", Job(0, false), kOpen, true},
        // New and open wait for the downloads themselves.
        {"running", Job(1), kNew, true},
        {"running", Job(1), kOpen, true},
        {"running", Job(1), kSave, true},
        {"running", Job(1), kDeleteDownloads, false},
        // The batch has the job: the user's hand stays off it.
        {"batch", Job(0, true, true), kStart, false},
        {"batch", Job(0, true, true), kNew, false},
        {"batch", Job(0, true, true, 3), kFirstRecent, false},
        {"batch", Job(1, true, true), kStop, true},
        // As many recent entries as the list holds.
        {"two recent", Job(0, false, false, 2), kFirstRecent + 1, true},
        {"two recent", Job(0, false, false, 2), kFirstRecent + 2, false},
        {"nine recent", Job(0, false, false, 9), kLastRecent, true},
        // The language library is replaced only while no download reads it.
        {"idle", Job(0), kFirstLanguage, true},
        {"running", Job(1), kFirstLanguage + 1, false},
        // Always there.
        {"running", Job(1), kExit, true},
        {"running", Job(1), kPageView, true},
        {"running", Job(1), kAbout, true},
        // The batch is edited while none runs; the dial-up settings always.
        {"idle", Job(0), kBatch, true},
        {"running", Job(1), kBatch, true},
        {"batch", Job(0, true, true), kBatch, false},
        {"running", Job(1), kDialUpSettings, true},
        {"batch", Job(1, true, true), kDialUpSettings, true},
        // The settings dialogs open whenever the user has the window; a
        // running job's sheet shows without letting anything change.
        {"idle", Job(0), kMissionSheet, true},
        {"running", Job(1, true), kMissionSheet, true},
        {"idle", Job(0), kProgramOptions, true},
        {"idle", Job(0), kDefaults, true},
        {"batch", Job(1, true, true), kMissionSheet, false},
        {"batch", Job(1, true, true), kProgramOptions, false},
        {"batch", Job(1, true, true), kDefaults, false},
        {"idle", Job(0), 9999, false},
    };
    for (const Row& r : rows) EXPECT_EQ(r.enabled, CommandEnabled(r.id, r.job)) << r.what << ", command " << r.id;
}

TEST(TypedUrl, WhatAUserTypesBecomesAStartAddress) {
    struct Row {
        const char* typed;
        const char* url;
    } rows[] = {
        {"http://example.test/", "http://example.test/"},
        {"  https://example.test/a b \r\nsecond line", "https://example.test/a b"},
        {"example.test", "http://example.test"},
        {"www.example.test/docs/", "http://www.example.test/docs/"},
        {"localhost:8080/x", "http://localhost:8080/x"},
        {"ftp://files.test/pub/", "ftp://files.test/pub/"},
        {"FILE:///C:/site/index.html", "FILE:///C:/site/index.html"},
        {"", ""},
        {" \t ", ""},
        {"\r\nexample.test", ""},  // the first line is empty
    };
    for (const Row& r : rows) EXPECT_EQ(AStr(r.url), TypedUrl(r.typed)) << r.typed;
    // Too long for the internet library, with or without the scheme added.
    EXPECT_EQ(AStr(), TypedUrl(AStr(std::string(2083, 'a'))));
    EXPECT_EQ(AStr(), TypedUrl(AStr("http://" + std::string(2100, 'a'))));
}
