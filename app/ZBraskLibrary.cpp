#include "app/ZBraskLibrary.h"

const AStr& MessageHistory::add(const AStr& text) {
    if (text == last_) return pane_;
    AStr pane;
    for (const AStr& s : slots_) {
        if (s.empty()) continue;
        pane += s;
        pane += "\r\n";
    }
    pane += text;
    for (int i = 0; i + 1 < kSlots; ++i) slots_[i] = std::move(slots_[i + 1]);
    slots_[kSlots - 1] = text;
    last_ = text;
    pane_ = std::move(pane);
    return pane_;
}

void MessageHistory::clear() {
    for (AStr& s : slots_) s.clear();
    last_.clear();
    pane_.clear();
}

MessageHistory& ProgramMessageHistory() {
    static MessageHistory history;
    return history;
}

AStr ZBraskLibrary_::text(int number) { return lang_.text(24000LL + number); }

void ZBraskLibrary_::error(int code, const char* fallback) {
    AStr t = lang_.text(50LL + code);
    if (t.empty()) t = fallback;
    show(t);
}

void ZBraskLibrary_::status(int number) { show(lang_.text(21000LL + number)); }

void ZBraskLibrary_::show(const AStr& text) {
    const bool repeat = text == history_.last();
    const AStr& pane = history_.add(text);
    if (pane_) pane_->setMessages(pane, history_.last(), repeat);
}

ZBraskLibrary_& ProgramTextSource() {
    static ZBraskLibrary_ source;
    return source;
}

namespace {
ZBraskLibrary* gRegistered = nullptr;
}

void RegisterTextSource(ZBraskLibrary* source) { gRegistered = source; }
ZBraskLibrary* RegisteredTextSource() { return gRegistered; }
