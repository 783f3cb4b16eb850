#pragma once
// The proxy the internet session goes through: read from the settings file
// with the application's other settings and handed to every job.

#include "framework/AStr.h"

struct ProxySettings {
    bool use = false;
    AStr address;        // "host:port"; a value beginning with ":" reads as empty
    AStr user;
    AStr password;       // decoded
    bool savePassword = false;
};
