#include "site/PageCodePage.h"

#include "platform/CodePages.h"
#include "platform/Text.h"
#include "site/Charsets.h"

int PageCodePage(int serverCodePage, int metaCodePage, bool detect, const CodePageDetector& detector) {
    if (serverCodePage != 0) return serverCodePage;
    if (metaCodePage != 0) return metaCodePage;
    return detect ? detector.verdict() : 0;
}

void ToWindowsCodePage(int codePage, AStr& text) {
    if (text.empty()) return;
    if (codePage == charset::kKoi8) {
        char* p = text.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i)
            p[i] = static_cast<char>(codepage::Koi8ToWindows(static_cast<unsigned char>(p[i])));
    } else if (codePage == charset::kDos) {
        platform::DosToWindows(text.resize(text.size()), text.size());
    }
}

void ConvertPageTexts(int codePage, AStr& title, ExtractList& links) {
    ToWindowsCodePage(codePage, title);
    for (Node* n = links.first(); n != nullptr; n = n->next()) ToWindowsCodePage(codePage, static_cast<ExtractNode*>(n)->refText);
}
