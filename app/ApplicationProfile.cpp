#include "app/ApplicationProfile.h"

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "app/IniFile.h"
#include "framework/FileExtension.h"
#include "platform/File.h"
#include "platform/SettingsPlace.h"

// The parsed file and what we know of the file on disk. File times have a
// resolution of one second here, so a time is trusted only when it lies at
// least two seconds before the moment we took the bytes: a later change
// then carries a later time. Otherwise the bytes are read again and
// compared, which is cheap next to parsing them.
struct ApplicationProfile::Cache {
    IniFile doc;
    bool valid = false;
    bool exists = false;
    int64_t modified = 0;
    int64_t takenAt = 0;
    std::string bytes;
};

namespace {

constexpr size_t kModuleNameMax = 260;
constexpr size_t kMaxMissingElements = 1024;

// A list index as the list keys spell it: decimal without leading zeros.
bool ParseIndex(std::string_view name, uint32_t& index) {
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0')) return false;
    uint64_t v = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 0xFFFFFFFFu) return false;
    index = static_cast<uint32_t>(v);
    return true;
}

// The distinct list indices below limit that the section holds as keys.
std::vector<uint32_t> IndicesPresent(const IniFile& doc, const char* section, int64_t limit) {
    std::vector<uint32_t> out;
    for (const AStr& name : doc.lineNames(section)) {
        uint32_t i;
        if (ParseIndex(IniFile::trim(name.view()), i) && i < limit) out.push_back(i);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

}  // namespace

ApplicationProfile::ApplicationProfile(Module module) {
    if (module.fileName) {
        path_ = PathForModule(module.fileName);
        return;
    }
    // The program's own: beside it, unless it is installed where it may not write.
    AStr beside = PathForModule(platform::ProgramPath());
    path_ = beside.empty() ? beside : AStr(platform::SettingsFilePath(beside.c_str()));
}

ApplicationProfile::ApplicationProfile(const char* path) : path_(path) {}
ApplicationProfile::ApplicationProfile(const ApplicationProfile& o) : path_(o.path_) {}

ApplicationProfile& ApplicationProfile::operator=(const ApplicationProfile& o) {
    if (this != &o) setPath(o.path_.c_str());
    return *this;
}

ApplicationProfile::~ApplicationProfile() = default;

AStr ApplicationProfile::PathForModule(std::string_view name) {
    if (name.empty() || name.size() > kModuleNameMax) return AStr();
    return AStr(WithoutExtension(name)) + ".INI";
}

void ApplicationProfile::setPath(const char* path) {
    path_ = path;
    cache_.reset();
}

IniFile* ApplicationProfile::document(int& error) const {
    error = 0;
    if (!cache_) cache_ = std::make_unique<Cache>();
    Cache& c = *cache_;
    if (path_.empty()) {
        // No file: every read gives its default, no write can succeed.
        c = Cache();
        error = -1;
        return &c.doc;
    }
    int64_t now = static_cast<int64_t>(std::time(nullptr));
    platform::FileTimes t;
    int te = platform::GetFileTimes(path_.c_str(), t);
    if (c.valid && c.exists && te == 0 && t.modified == c.modified && c.modified + 2 <= c.takenAt) return &c.doc;
    if (c.valid && !c.exists && (te == 2 || te == 3)) return &c.doc;

    std::string bytes;
    bool exists = false;
    error = IniFile::readFile(path_.c_str(), bytes, exists);
    if (error) {
        // Unreadable (a folder of that name, locked, too large): defaults,
        // and no write, which would replace what we could not read.
        c.doc = IniFile();
        c.valid = false;
        return &c.doc;
    }
    if (!exists) {
        c.doc = IniFile();
    } else if (!(c.valid && c.exists && c.bytes == bytes)) {
        c.doc.loadBytes(bytes);
    }
    c.valid = true;
    c.exists = exists;
    c.modified = te == 0 ? t.modified : 0;
    c.takenAt = te == 0 ? now : 0;  // no time known: compare the bytes next time
    c.bytes = std::move(bytes);
    return &c.doc;
}

// Writes the edited document; error is what document() reported.
int ApplicationProfile::commit(int error) {
    Cache& c = *cache_;
    if (held_ > 0) {
        // Nothing is written before endWrites; an error spoils the set.
        if (error && !heldError_) heldError_ = error;
        heldChange_ = true;
        return error;
    }
    if (error) {
        c.valid = false;
        return error;
    }
    std::string bytes = c.doc.bytes();
    if (c.exists && bytes == c.bytes) return 0;  // the edits cancelled out
    int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (int e = IniFile::writeFile(path_.c_str(), bytes)) {
        c.valid = false;  // the old file stands; read it again
        return e;
    }
    platform::FileTimes t;
    bool timed = platform::GetFileTimes(path_.c_str(), t) == 0;
    c.exists = true;
    c.bytes = std::move(bytes);
    c.modified = timed ? t.modified : 0;
    c.takenAt = timed ? now : 0;
    return 0;
}

AStr ApplicationProfile::readString(const char* section, const char* key, const char* def, size_t) const {
    int error;
    return document(error)->getString(section, key, def);
}

int ApplicationProfile::readInt(const char* section, const char* key, int def) const {
    int error;
    return document(error)->getInt(section, key, def);
}

uint32_t ApplicationProfile::readUnsigned(const char* section, const char* key, uint32_t def) const {
    if (!section || !key) return def;
    AStr text = readString(section, key, AStr::unsignedNumber(def).c_str(), 12);
    text.truncate(11);
    std::string_view v = text.view();
    size_t i = 0;
    while (i < v.size() && (v[i] == ' ' || v[i] == '\t')) ++i;
    if (i < v.size() && v[i] == '+') ++i;
    uint64_t value = 0;
    size_t digits = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i, ++digits) value = value * 10 + unsigned(v[i] - '0');
    if (digits == 0 || value > 0xFFFFFFFFu) return def;
    return static_cast<uint32_t>(value);
}

bool ApplicationProfile::readBool(const char* section, const char* key, bool def) const {
    return readInt(section, key, def ? 1 : 0) != 0;
}

AStr ApplicationProfile::readHostAddress(const char* section, const char* key) const {
    AStr a = readString(section, key, "", 1024);
    return a.startsWith(":") ? AStr() : a;
}

int ApplicationProfile::write(const char* section, const char* key, const char* value) {
    int error;
    IniFile* doc = document(error);
    if (error) return commit(error);
    IniFile::Edit e = value ? doc->setString(section, key, value)
                    : key   ? doc->deleteKey(section, key)
                            : doc->deleteSection(section);
    if (e == IniFile::Edit::Rejected) return commit(-1);
    return e == IniFile::Edit::Changed ? commit(0) : 0;
}

int ApplicationProfile::writeString(const char* section, const char* key, const char* value) {
    if (!section || !key) return -1;
    return write(section, key, value ? value : "");
}

namespace {

AStr QuoteSafe(const char* value, bool protect) {
    std::string_view v = IniFile::trim(value ? value : "");
    // The test looks at the text as it will be stored, without its blanks.
    if (protect && !v.empty() && v.front() == '"' && v.back() == '"') return "\"" + AStr(v) + "\"";
    return AStr(value);
}

}  // namespace

int ApplicationProfile::writeStringQuoteSafe(const char* section, const char* key, const char* value, bool protect) {
    return writeString(section, key, QuoteSafe(value, protect).c_str());
}

int ApplicationProfile::writeInt(const char* section, const char* key, int value) {
    return writeString(section, key, AStr::number(value).c_str());
}

int ApplicationProfile::writeUnsigned(const char* section, const char* key, uint32_t value) {
    return writeString(section, key, AStr::unsignedNumber(value).c_str());
}

int ApplicationProfile::writeBool(const char* section, const char* key, bool value) {
    return writeString(section, key, value ? "1" : "0");
}

void ApplicationProfile::beginWrites() {
    if (held_++ == 0) {
        heldChange_ = false;
        heldError_ = 0;
    }
}

int ApplicationProfile::endWrites() {
    if (held_ == 0 || --held_ > 0) return 0;
    if (!heldChange_) return 0;
    int error = heldError_;
    heldChange_ = false;
    heldError_ = 0;
    if (error) {
        cache_->valid = false;  // drop the edits: the file stays as it was
        return error;
    }
    return commit(0);
}

int ApplicationProfile::deleteSection(const char* section) {
    if (!section) return -1;
    return write(section, nullptr, nullptr);
}

int ApplicationProfile::deleteKey(const char* section, const char* key) {
    if (!section || !key) return -1;
    return write(section, key, nullptr);
}

void ApplicationProfile::readList(StrList& list, const char* section) const {
    list.clear();
    if (!section) return;
    int error;
    const IniFile* doc = document(error);
    int count = doc->getInt(section, "count", 0);
    if (count <= 0) return;
    int64_t n = count;
    // A count far beyond what the section holds is damage, not a list: read
    // up to the last numbered key, so that a count of two billion costs
    // nothing. A few missing keys read as empty elements.
    std::vector<AStr> names = doc->lineNames(section);
    if (static_cast<uint64_t>(count) > names.size() + kMaxMissingElements) {
        std::vector<uint32_t> present = IndicesPresent(*doc, section, count);
        n = present.empty() ? 0 : int64_t(present.back()) + 1;
    }
    for (int64_t i = 0; i < n; ++i) list.add(doc->getString(section, AStr::number(i).c_str(), ""));
}

int ApplicationProfile::writeList(const StrList& list, const char* section, bool protect, bool clear) {
    if (!section) return -1;
    int error;
    IniFile* doc = document(error);
    if (error) return commit(error);
    bool changed = false;
    auto note = [&](IniFile::Edit e) {
        if (e == IniFile::Edit::Rejected) error = -1;
        changed |= e == IniFile::Edit::Changed;
    };
    if (clear) {
        note(doc->deleteSection(section));
    } else {
        int old = doc->getInt(section, "count", 0);
        note(doc->deleteKey(section, "count"));
        // The keys "0" to old - 1 that exist; a damaged count stays cheap.
        for (uint32_t i : IndicesPresent(*doc, section, old)) note(doc->deleteKey(section, AStr::unsignedNumber(i).c_str()));
    }
    if (!list.empty()) {
        note(doc->setString(section, "count", AStr::number(static_cast<long long>(list.count())).c_str()));
        size_t i = 0;
        for (StrNode* n : each<StrNode>(list))
            note(doc->setString(section, AStr::unsignedNumber(i++).c_str(), QuoteSafe(n->str.c_str(), protect).c_str()));
    }
    if (error) return commit(error);  // a bad section name: nothing is written
    return changed ? commit(0) : 0;
}
