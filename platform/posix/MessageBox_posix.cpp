#include <cstdio>
#include <cstring>
#include <string>

#include "platform/CodePages.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

namespace platform {
namespace {
// The program's texts are in the language's code page; the terminal
// reads UTF-8.
std::string Utf8(const char* s) {
    size_t n = std::strlen(s);
    std::string out(3 * n, '\0');
    out.resize(codepage::ToUtf8(AnsiCodePage(), s, n, out.data()));
    return out;
}
}  // namespace

int SystemMessageBox(void*, const char* text, const char* title, MessageIcon, MessageButtons buttons) {
    std::fprintf(stderr, "%s: %s\n", Utf8(title).c_str(), Utf8(text).c_str());
    std::fflush(stderr);
    switch (buttons) {
    case MessageButtons::OkCancel: return kIdCancel;
    case MessageButtons::YesNo: return kIdNo;
    case MessageButtons::Ok: break;
    }
    return kIdOk;
}

}  // namespace platform
