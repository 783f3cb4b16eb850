#include "ui/panes/NodeLook.h"

#include <string>

#include "app/ProgramOptions.h"
#include "site/ExtractList.h"
#include "site/LinkFlags.h"
#include "site/ToBeOpenTN.h"

NodeIcon IconOf(const ToBeOpenTN& n) {
    // What the user most needs to see first: a running download, then a
    // failure, then what keeps the node out, then what it holds.
    switch (n.state) {
    case StateLoading: return NodeIcon::Loading;
    case StateFailed: return NodeIcon::Failed;
    case StateMissing: return NodeIcon::Missing;
    default: break;
    }
    if (n.flags & FlagExcluded) return NodeIcon::Excluded;
    if (n.flags & FlagSkipped) return NodeIcon::Skipped;
    if (n.state == StateDone || (n.flags & FlagReceived)) {
        if (n.flags & FlagStub) return NodeIcon::Stub;
        if (n.flags & FlagOtherCodePage) return NodeIcon::OtherCodePage;
        return NodeIcon::Done;
    }
    if (n.state == StateQueued) return NodeIcon::Queued;
    return n.level == ToBeOpenTN::kFolderLevel ? NodeIcon::Folder : NodeIcon::New;
}

uint8_t MarksOf(const ToBeOpenTN& n) {
    uint8_t m = 0;
    if (n.flags & FlagForced) m |= MarkForced;
    if (n.flags & FlagPreferred) m |= MarkPreferred;
    if (n.flags & FlagBranchMark) m |= MarkBranch;
    if (n.flags & FlagFlatLinks) m |= MarkFlatLinks;
    return m;
}

AStr ShownText(std::string_view text, size_t max) {
    std::string out;
    out.reserve(std::min(text.size(), max) + 3);
    bool blank = true;  // no blank at the start
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c == 0x7F) {
            // Runs of spaces and control characters show as one space.
            if (!blank) out += ' ';
            blank = true;
        } else {
            blank = false;
            if (out.size() >= max) {
                // Cut inside a UTF-8 sequence: drop its start, so that none
                // is shown in part.
                if ((c & 0xC0) == 0x80) {
                    while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
                    if (!out.empty() && static_cast<unsigned char>(out.back()) >= 0xC0) out.pop_back();
                }
                while (!out.empty() && out.back() == ' ') out.pop_back();
                out += "...";
                return AStr(out);
            }
            out += ch;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return AStr(out);
}

namespace {

// Joins the texts shown of a node: " - " between those not empty.
void Append(AStr& shown, const AStr& part) {
    if (part.empty()) return;
    if (!shown.empty()) shown += " - ";
    shown += part;
}

AStr TitleOf(const ToBeOpenTN* n, const ProgramOptions& options) {
    if (!n || !options.showPageTitle || n->title.empty()) return {};
    return ShownText(n->title.view(), ProgramOptions::kMaxTitleShown);
}

}  // namespace

AStr FileViewText(const ToBeOpenTN& n, const ProgramOptions& options) {
    std::string text(n.name.view());
    text += n.tail.view();
    AStr shown = ShownText(text);
    Append(shown, TitleOf(&n, options));
    return shown;
}

AStr LinkViewText(const ExtractNode& link, const ProgramOptions& options) {
    AStr shown = options.showRefName ? ShownText(link.refText.view()) : AStr();
    Append(shown, TitleOf(link.target, options));
    if (options.showRefUrl || shown.empty()) Append(shown, ShownText(link.linkText.view()));
    return shown;
}
