#include "app/shell/ApplicationSettings.h"

#include "app/ApplicationProfile.h"
#include "app/Password.h"
#include "batch/Batch.h"
#include "batch/DialUp.h"

void ApplicationSettings::read(const ApplicationProfile& s) {
    dialUp_.read(s);
    exitOnEnd = s.readBool("DLoad", "ExitOnEnd", false);
    proxy.use = s.readBool("Proxy", "Use", false);
    proxy.address = s.readHostAddress("Proxy", "Address");
    proxy.savePassword = s.readBool("Proxy", "Save Password", false);
    proxy.user = s.readString("Proxy", "User", "");
    proxy.password = DecodePassword(s.readString("Proxy", "Password", ""));
    batch_.read(s);
}

void ApplicationSettings::write(ApplicationProfile& s) const {
    s.beginWrites();  // one rewrite of the file: all of it or nothing
    dialUp_.write(s);
    writeConnectionKeys(s);
    batch_.write(s);
    (void)s.endWrites();  // the settings store reports nothing to the user
}

int ApplicationSettings::writeConnection(ApplicationProfile& s) const {
    s.beginWrites();
    writeConnectionKeys(s);
    return s.endWrites();
}

void ApplicationSettings::writeConnectionKeys(ApplicationProfile& s) const {
    s.writeBool("DLoad", "ExitOnEnd", exitOnEnd);
    s.writeBool("Proxy", "Use", proxy.use);
    s.writeString("Proxy", "Address", proxy.address.c_str());
    s.writeBool("Proxy", "Save Password", proxy.savePassword);
    s.writeString("Proxy", "User", proxy.savePassword ? proxy.user.c_str() : "");
    s.writeString("Proxy", "Password", proxy.savePassword ? EncodePassword(proxy.password).c_str() : "");
}
