#include "site/FileClasses.h"

#include <array>

#include "app/ApplicationProfile.h"
#include "site/Mission.h"

namespace {

constexpr std::array<std::string_view, 3> kPicture = {".gif", ".jpg", ".jpeg"};
constexpr std::array<std::string_view, 8> kSound = {".wav", ".mid", ".an", ".aif", ".pcm", ".vox", ".mp3", ".ram"};
constexpr std::array<std::string_view, 4> kVideo = {".avi", ".mov", ".mpg", ".mpeg"};
constexpr std::array<std::string_view, 9> kArchive = {".arj", ".zip", ".exe", ".tar", ".trz",
                                                       ".pdf", ".gz",  ".doc", ".rtf"};

std::string_view Bare(std::string_view e) {
    size_t i = e.find_first_not_of("*. ?");
    return i == std::string_view::npos ? std::string_view() : e.substr(i);
}

}  // namespace

std::span<const std::string_view> ExtensionsOf(FileClass c) {
    switch (c) {
    case FileClass::Picture: return kPicture;
    case FileClass::Sound: return kSound;
    case FileClass::Video: return kVideo;
    case FileClass::Archive: return kArchive;
    }
    return {};
}

bool SameExtension(std::string_view a, std::string_view b) {
    a = Bare(a);
    b = Bare(b);
    return !a.empty() && a.size() == b.size() && AStr(a).equalsNoCase(b);
}

bool ExtensionInClass(std::string_view e, FileClass c) {
    if (e.size() > kMaxExtension) return false;
    for (std::string_view entry : ExtensionsOf(c))
        if (SameExtension(e, entry)) return true;
    return false;
}

// Every item is kept, also beyond the nineteenth: the 99 characters of the
// key bound the list. An item whose extension is longer than an extension
// can be (".html5") is dropped, since it could never match; cutting it to
// size instead would skip an extension the user did not name.
void SkipList::parse(std::string_view text) {
    items_.clear();
    text = text.substr(0, kMaxText);
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find_first_of(", ", i);
        if (end == std::string_view::npos) end = text.size();
        std::string_view item = Bare(text.substr(i, end - i));
        if (!item.empty() && item.size() < kMaxExtension) items_.push_back(AStr(item));
        i = end + 1;
    }
}

void SkipList::read(const ApplicationProfile& settings) {
    parse(settings.readString("Extensions", "Skip", "").view());
}

bool SkipList::matches(std::string_view e) const {
    if (e.size() > kMaxExtension) return false;
    for (const AStr& item : items_)
        if (SameExtension(e, item.view())) return true;
    return false;
}

bool TypeAllowed(const Mission& m, const SkipList& skip, std::string_view e) {
    if (e.empty()) return true;
    if ((!m.allowPicture && ExtensionInClass(e, FileClass::Picture)) ||
        (!m.allowSound && ExtensionInClass(e, FileClass::Sound)) ||
        (!m.allowVideo && ExtensionInClass(e, FileClass::Video)) ||
        (!m.allowDownload && ExtensionInClass(e, FileClass::Archive)))
        return false;
    return !skip.matches(e);
}
