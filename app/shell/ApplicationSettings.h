#pragma once
// What the application keeps in its settings file besides the program
// options: the dial-up settings, exit on end, the proxy and the batch.
// Read when the application is made and written back at the end of a run,
// each in its fixed order, so that two files can be compared.

#include "app/ProxySettings.h"
#include "framework/AStr.h"

class ApplicationProfile;
class Batch;
class DialUp;

class ApplicationSettings {
public:
    ApplicationSettings(DialUp& dialUp, Batch& batch) : dialUp_(dialUp), batch_(batch) {}

    void read(const ApplicationProfile& settings);
    void write(ApplicationProfile& settings) const;

    bool exitOnEnd = false;  // end the program when a job ends outside a batch
    ProxySettings proxy;

private:
    DialUp& dialUp_;
    Batch& batch_;
};
