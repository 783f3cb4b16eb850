#pragma once
// Finding and loading the language library ("zb" + code + extension) and
// its help file in the program's folder.

#include <vector>

#include "app/Lang.h"
#include "framework/AStr.h"
#include "platform/Library.h"

inline constexpr const char* kHelpExtension = ".hlp";
inline constexpr const char* kDefaultLanguage = "enu";

enum class LanguageFileKind {
    Library,  // a candidate counts only when it loads and names its language (text 22113)
    Help,     // every candidate counts
};

struct LanguageFile {
    AStr path;
    AStr code;           // the wanted code, or the one the search fell back to
    bool found = false;  // false: path is the wanted file, which does not exist
};

// The wanted file, else the "enu" one, else the first "zb???" + extension
// file that counts, in the order the folder lists them. folder may end
// with a separator or not.
LanguageFile FindLanguageFile(const AStr& folder, const AStr& code, const char* extension, LanguageFileKind kind);

struct LanguageLoad {
    AStr code;         // what the search came to; the start-up stores it when it changed
    AStr libraryPath;
    AStr helpPath;
    int error = 0;     // why the library did not load, 0 when it did
};

// Finds and loads the library for code into lang (owned; a failure leaves
// none) and finds the help file for the resulting code. The library's code
// page becomes the one the program's texts are handled in.
LanguageLoad LoadLanguage(const AStr& folder, const AStr& code, LangWithError& lang);

struct InstalledLanguage {
    AStr code;          // the three letters after "zb"
    AStr name;          // the library's own name for its language (text 22113)
    int codePage = 0;   // the code page that name is written in
};
// Every library of the folder that loads and names its language, in the
// order of their codes: what the user may choose from.
std::vector<InstalledLanguage> InstalledLanguages(const AStr& folder);

// The folder of the program's executable, with a trailing separator.
AStr ProgramFolder();
// Where the program's language files lie: its own folder, or for a
// terminal program installed under a prefix, that prefix's share/zbrask/.
AStr ProgramLanguageFolder();

// LoadLanguage into ProgramLanguage(), remembering the help file path:
// at start-up from the program's folder, and when the user switches.
LanguageLoad LoadProgramLanguage(const AStr& folder, const AStr& code);
// Start-up: from ProgramLanguageFolder(). Returns the resulting code.
AStr LoadProgramLanguage(const AStr& code);
const AStr& ProgramHelpPath();
