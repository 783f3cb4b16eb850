#pragma once
// One settings file (the program's own, or a project file) with typed reads
// and writes, string lists and the shared password encoding (Password.h).
//
// A missing or unreadable file or key reads as the default. Every write
// that changes the file rewrites it whole, beside the old one and renamed
// over it, so a failure leaves the old file as it was; a write that changes
// nothing leaves the file alone. The parsed file is kept between calls and
// read again only when the file changed on disk.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "framework/AStr.h"
#include "framework/StrList.h"

class IniFile;

class ApplicationProfile {
public:
    // A module's settings file: its file name with the extension replaced
    // by ".INI". A null name stands for the program's own module.
    struct Module {
        const char* fileName = nullptr;
    };

    // The program's own settings file.
    ApplicationProfile() : ApplicationProfile(Module{}) {}
    explicit ApplicationProfile(Module module);
    // A file named by its full path (project files).
    explicit ApplicationProfile(const char* path);
    // Copies name the same file; each copy keeps its own parsed state.
    ApplicationProfile(const ApplicationProfile& o);
    ApplicationProfile& operator=(const ApplicationProfile& o);
    virtual ~ApplicationProfile();

    // The settings file of a module file name: the extension is the text
    // from the last "." after the last "\", "/" or ":"; without one ".INI"
    // is appended. A name longer than the platform's 260 characters cannot
    // have been obtained and gives "", as does an empty one.
    static AStr PathForModule(std::string_view moduleFileName);

    const AStr& path() const { return path_; }
    void setPath(const char* path);

    // The whole text, however long. size is the first buffer size the
    // callers offer (1024 throughout); the text is never cut to it. A null
    // key gives the section's key names, a null section the section names,
    // each followed by a zero byte.
    AStr readString(const char* section, const char* key, const char* def, size_t size = 1024) const;
    int readInt(const char* section, const char* key, int def) const;
    // At most 11 characters of text in unsigned decimal; text that holds no
    // number or one above 4294967295 gives the default.
    uint32_t readUnsigned(const char* section, const char* key, uint32_t def) const;
    // Read as an integer; any value other than 0 is true.
    bool readBool(const char* section, const char* key, bool def) const;
    // A host address: a value that begins with ":" (a port without a host)
    // reads as empty.
    AStr readHostAddress(const char* section, const char* key) const;

    // Writes return 0 or an error code (the platform's, or -1 for a name
    // the file cannot hold or a profile without a path); callers may ignore
    // it, the settings store reports nothing to the user.
    int writeString(const char* section, const char* key, const char* value);
    // With protect set, a value that begins and ends with a double quote is
    // written inside one more pair, so that reading gives it back unchanged.
    int writeStringQuoteSafe(const char* section, const char* key, const char* value, bool protect);
    int writeInt(const char* section, const char* key, int value);
    int writeUnsigned(const char* section, const char* key, uint32_t value);
    int writeBool(const char* section, const char* key, bool value);
    int deleteSection(const char* section);
    int deleteKey(const char* section, const char* key);

    // Between these the writes change the parsed file only; the last
    // endWrites writes it once, so that a set of settings (a whole project)
    // lands in the file whole or not at all. 0, or the first error of the
    // writes in between (then nothing of them is written).
    void beginWrites();
    int endWrites();

    // Empties the list and reads "count" elements from keys "0", "1", ...,
    // a missing key giving an empty element. A count that exceeds the keys
    // of the section by more than a thousand stops after the last numbered
    // key present.
    void readList(StrList& list, const char* section) const;
    // With clear set the whole section goes first; otherwise "count" and
    // the keys "0" to the old count - 1. Then, for a list that is not empty,
    // "count" and the elements (quote-safe with protect). The file is
    // written once.
    int writeList(const StrList& list, const char* section, bool protect, bool clear);

private:
    struct Cache;
    IniFile* document(int& error) const;
    int commit(int error);
    int write(const char* section, const char* key, const char* value);

    AStr path_;
    mutable std::unique_ptr<Cache> cache_;
    int held_ = 0;           // open beginWrites
    bool heldChange_ = false;
    int heldError_ = 0;
};
