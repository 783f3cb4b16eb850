#pragma once
// The dial-up dialog's phone list: the numbers of one phone-book entry,
// edited in place, and what the entry's own section of the settings file
// keeps ("Dial Up." + the entry name).

#include "framework/AStr.h"
#include "framework/StrList.h"

class ApplicationProfile;

// Edits of the list; index -1 is "nothing selected". Each returns the
// index to select afterwards (-1 for none).
namespace phonelist {
// After the selection, at the end when nothing is selected.
int add(StrList& list, int selected, const AStr& number);
// The selected number replaced; -1 when nothing is selected.
int edit(StrList& list, int selected, const AStr& number);
// The selected number deleted; the one before it selected (the first
// when the first went, none when the list is empty).
int remove(StrList& list, int selected);
// The selected number one place up (delta -1) or down (+1); it stays
// where it is at either end.
int move(StrList& list, int selected, int delta);
}  // namespace phonelist

// What an entry's section holds besides the dial-up settings.
struct DialEntrySettings {
    StrList phoneList;
    bool usePhoneList = false;
    AStr userName;
    AStr password;  // decoded
};

DialEntrySettings ReadDialEntry(const ApplicationProfile& settings, const AStr& entry);
// The phone list (its old keys deleted first) and "PhoneList", written at
// once. 0 or the settings store's error.
int WritePhoneList(ApplicationProfile& settings, const AStr& entry, const StrList& list, bool usePhoneList);
// "UserName" and "Password": the password encoded when it is to be kept,
// otherwise written empty.
int WriteDialCredentials(ApplicationProfile& settings, const AStr& entry, const AStr& userName,
                         const AStr& password, bool savePassword);
