#pragma once
// Helpers of the language and message tests: scratch folders in the build
// folder, language libraries of known contents, captured message boxes.

#include <string>
#include <vector>

#include "platform/MessageBox.h"

// A fresh, empty folder under the build folder, removed with its files
// when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }  // with a trailing separator
    std::string file(const std::string& name) const { return path_ + name; }
    void write(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};

// Language libraries of known contents; the same texts on both targets (a
// DLL built from tests/app/data/<name>.rc on Windows, a catalogue here).
enum class TestLibrary {
    English,  // tlenu: 22113 "English (test)" and the texts the tests use
    Russian,  // tlrus: code page 1251, 22113 "Русский (тест)"
    NoName,   // tlnoname: text 22113 empty
};
void MakeTestLibrary(TestLibrary kind, const std::string& path);

// 22113 of the Russian test library, in code page 1251.
inline const char kRussianName[] = "\xD0\xF3\xF1\xF1\xEA\xE8\xE9 (\xF2\xE5\xF1\xF2)";

// Collects every message box while it exists, instead of showing it.
class MessageBoxCapture {
public:
    struct Box {
        std::string text;
        std::string title;
        platform::MessageIcon icon;
        void* owner;
    };
    MessageBoxCapture();
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    std::vector<Box> boxes;

private:
    platform::MessageBoxHook previous_;
};
