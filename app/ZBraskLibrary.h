#pragma once
// The text source through which lower layers (the internet layer's status
// reports, the dial-up object) ask for texts and show messages, and the
// program-wide message history behind the main window's message pane.

#include "app/Lang.h"
#include "framework/AStr.h"

// What the text source shows messages in; the main window implements it.
class MessagePane {
public:
    // pane: the history as the message pane shows it; newest: the text
    // just shown; repeat: it equals the one before, and the history did
    // not change (a pane that prints lines prints nothing then).
    virtual void setMessages(const AStr& pane, const AStr& newest, bool repeat) = 0;

protected:
    ~MessagePane() = default;
};

// Four operations in this slot order; no virtual destructor, since no
// caller owns a text source through this interface.
class ZBraskLibrary {
public:
    virtual AStr text(int number) = 0;                        // language text 24000 + number
    virtual void error(int code, const char* fallback) = 0;   // text 50 + code or fallback, shown
    virtual void status(int number) = 0;                      // text 21000 + number, shown
    virtual void show(const AStr& text) = 0;                  // added to the history and shown

protected:
    ~ZBraskLibrary() = default;
};

// The last messages: six earlier ones and the last text. Used from the
// user-interface thread only.
class MessageHistory {
public:
    static constexpr int kSlots = 6;

    // The pane text after showing text: the non-empty slots, oldest first,
    // each followed by CR LF, then text; text then takes the last slot. A
    // text equal to the last one changes nothing and gives the same pane
    // text again.
    const AStr& add(const AStr& text);
    const AStr& paneText() const { return pane_; }
    const AStr& last() const { return last_; }
    void clear();

private:
    AStr slots_[kSlots];
    AStr last_;
    AStr pane_;
};

MessageHistory& ProgramMessageHistory();

class ZBraskLibrary_ final : public ZBraskLibrary {
public:
    explicit ZBraskLibrary_(const LangWithError& lang = ProgramLanguage(),
                            MessageHistory& history = ProgramMessageHistory())
        : lang_(lang), history_(history) {}

    AStr text(int number) override;
    void error(int code, const char* fallback) override;
    void status(int number) override;
    // The history takes the text even while no pane is set, so the pane
    // shows it once the main window exists.
    void show(const AStr& text) override;

    void setMainWindow(MessagePane* pane) { pane_ = pane; }
    MessagePane* mainWindow() const { return pane_; }

private:
    const LangWithError& lang_;
    MessageHistory& history_;
    MessagePane* pane_ = nullptr;
};

// The program's text source instance, and the one registered for the
// lower layers (null until start-up registers it; callers check).
ZBraskLibrary_& ProgramTextSource();
void RegisterTextSource(ZBraskLibrary* source);
ZBraskLibrary* RegisteredTextSource();
