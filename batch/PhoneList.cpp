#include "batch/PhoneList.h"

#include "app/ApplicationProfile.h"
#include "app/Password.h"
#include "batch/DialUp.h"

namespace {
bool Valid(const StrList& list, int i) { return i >= 0 && static_cast<size_t>(i) < list.count(); }
}  // namespace

int phonelist::add(StrList& list, int selected, const AStr& number) {
    auto* n = new StrNode(number);
    if (!Valid(list, selected)) {
        list.append(n);
        return static_cast<int>(list.count()) - 1;
    }
    list.insertAfter(list.element(static_cast<size_t>(selected)), n);
    return selected + 1;
}

int phonelist::edit(StrList& list, int selected, const AStr& number) {
    if (!Valid(list, selected)) return -1;
    list.element(static_cast<size_t>(selected))->str = number;
    return selected;
}

int phonelist::remove(StrList& list, int selected) {
    if (!Valid(list, selected)) return -1;
    delete list.element(static_cast<size_t>(selected));
    if (list.empty()) return -1;
    return selected > 0 ? selected - 1 : 0;
}

int phonelist::move(StrList& list, int selected, int delta) {
    if (!Valid(list, selected)) return -1;
    int to = selected + (delta < 0 ? -1 : 1);
    if (!Valid(list, to)) return selected;
    StrNode* n = list.element(static_cast<size_t>(selected));
    StrNode* other = list.element(static_cast<size_t>(to));
    if (delta < 0) list.insertBefore(other, n);
    else list.insertAfter(other, n);
    return to;
}

DialEntrySettings ReadDialEntry(const ApplicationProfile& s, const AStr& entry) {
    DialEntrySettings e;
    AStr section = DialUp::entrySection(entry);
    s.readList(e.phoneList, section.c_str());
    e.usePhoneList = s.readBool(section.c_str(), "PhoneList", false);
    e.userName = s.readString(section.c_str(), "UserName", "");
    e.password = DecodePassword(s.readString(section.c_str(), "Password", ""));
    return e;
}

int WritePhoneList(ApplicationProfile& s, const AStr& entry, const StrList& list, bool usePhoneList) {
    AStr section = DialUp::entrySection(entry);
    s.beginWrites();
    (void)s.writeList(list, section.c_str(), false, false);
    (void)s.writeBool(section.c_str(), "PhoneList", usePhoneList);
    return s.endWrites();
}

int WriteDialCredentials(ApplicationProfile& s, const AStr& entry, const AStr& userName, const AStr& password,
                         bool savePassword) {
    AStr section = DialUp::entrySection(entry);
    AStr stored = savePassword ? EncodePassword(password) : AStr();
    s.beginWrites();
    (void)s.writeString(section.c_str(), "UserName", userName.c_str());
    (void)s.writeString(section.c_str(), "Password", stored.c_str());
    return s.endWrites();
}
