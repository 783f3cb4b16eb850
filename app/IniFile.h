#pragma once
// An INI document with the behaviour of the Windows private-profile calls,
// our own code on every target.
//
// The model is a list of sections, each a list of lines: "name=value", or a
// name without "=" (a line that holds no value), kept in file order. Reading
// trims blanks around names and values, takes the first of two equal names,
// compares names without case, and gives a value without one pair of
// enclosing double quotes. Lines before the first section header belong to a
// section without a name. Writing produces the canonical form: "[name]",
// "name=value", CRLF line ends, blank lines dropped; comment lines (";") are
// lines like any other and stay. A file that starts with a UTF-8 or UTF-16
// byte-order mark is kept in that encoding; the interface is 8-bit text in
// the ANSI code page throughout.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/AStr.h"

class IniFile {
public:
    enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };
    enum class Edit { Unchanged, Changed, Rejected };

    // A file larger than this is not loaded (reads give defaults, writes fail).
    static constexpr long long kMaxFileSize = 64LL << 20;

    IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;
    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;
    ~IniFile();

    void loadBytes(std::string_view bytes);
    // 0 when loaded; a missing file (or a missing folder on its path) loads
    // as an empty document and also gives 0, with exists() false. Otherwise
    // the error code, and the document is empty.
    [[nodiscard]] int load(const char* path);
    bool exists() const { return exists_; }
    Encoding encoding() const { return encoding_; }

    // The file's bytes in its encoding.
    std::string bytes() const;
    // Writes the document with writeFile().
    [[nodiscard]] int save(const char* path) const { return writeFile(path, bytes()); }

    // Reads a whole file of at most kMaxFileSize bytes. 0 with exists false
    // when the file or a folder on its path is missing; else 0 or an error.
    [[nodiscard]] static int readFile(const char* path, std::string& data, bool& exists);
    // Writes the whole file beside the target, pushes it to the disk and
    // renames it over the target, so that a failure at any point leaves the
    // old file as it was. 0 or the platform's error code.
    [[nodiscard]] static int writeFile(const char* path, std::string_view data);
    // Removes the blanks that reading trims around names and values.
    static std::string_view trim(std::string_view s);

    // GetPrivateProfileString with a buffer of unlimited size: the value or
    // the default; with a null section the section names, with a null key
    // the key names of the section, each followed by a zero byte (the empty
    // list of key names gives the default instead). The default loses its
    // trailing spaces and enclosing double quotes, as the platform's does.
    AStr getString(const char* section, const char* key, const char* def) const;
    // The same into a buffer of size bytes, with the platform's results: a
    // text that does not fit is cut and size - 1 returned (size - 2 for the
    // lists, which end in two zero bytes).
    size_t getString(const char* section, const char* key, const char* def, char* buf, size_t size) const;
    // GetPrivateProfileInt: the value in decimal, or hexadecimal, octal or
    // binary after "0x", "0o" or "0b", with a sign; reading stops at the
    // first character that is not a digit; wraps modulo 2^32. A missing key,
    // an empty value or one that starts with no digit gives the default.
    int getInt(const char* section, const char* key, int def) const;

    // Sets a value, adding the section at the end of the file and the key at
    // the end of its section when they are missing; an existing line changes
    // in place. Names and value lose surrounding blanks; the value ends at a
    // line break. Names that the file could not hold (a line break, "]" in a
    // section name, "=" in or "[" at the start of a key name) are rejected.
    Edit setString(const char* section, const char* key, const char* value);
    Edit deleteKey(const char* section, const char* key);
    Edit deleteSection(const char* section);

    // Names of all lines of a section in file order, also of those that
    // hold no value and of comments.
    std::vector<AStr> lineNames(const char* section) const;

private:
    struct Line {
        AStr name;
        AStr value;
        bool hasValue = false;
        bool dead = false;
    };
    struct Section {
        AStr name;
        bool header = true;  // false only for the lines before the first header
        bool dead = false;
        std::vector<Line> lines;
        size_t deadLines = 0;
        // Folded name -> positions of the live lines of that name, in order.
        std::unordered_map<std::string, std::vector<size_t>> index;
    };

    std::string fold(std::string_view name) const;
    // Text between the interface (ANSI) and the document's own encoding.
    std::string toDoc(std::string_view ansi) const;
    AStr fromDoc(std::string_view doc) const;

    Section* findSection(const char* name) const;
    Line* findLine(Section& s, const char* name) const;
    Section& addSection(std::string_view name, bool header);
    void addLine(Section& s, std::string_view name, std::string_view value, bool hasValue);
    void killLine(Section& s, Line& l, size_t pos);
    void compact(Section& s);
    void clear();
    AStr keyList(const Section& s) const;

    std::vector<std::unique_ptr<Section>> sections_;
    std::unordered_map<std::string, std::vector<size_t>> sectionIndex_;
    Encoding encoding_ = Encoding::Ansi;
    bool exists_ = false;
};
