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
    // Exit on end and the proxy alone, in their place of the fixed order:
    // what the options dialog writes when it is confirmed. 0 or the
    // settings store's error.
    int writeConnection(ApplicationProfile& settings) const;

    bool exitOnEnd = false;  // end the program when a job ends outside a batch
    ProxySettings proxy;

private:
    void writeConnectionKeys(ApplicationProfile& settings) const;

    DialUp& dialUp_;
    Batch& batch_;
};
