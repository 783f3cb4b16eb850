#pragma once
// The update check: the installed products in the registry, content
// descriptions fetched over the URL layer, the merge that finds newer
// versions, the start-up check of one group and the workers that check
// groups for a window. The front-end (window or console) answers the
// questions through RenewerNotices.

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "framework/Thread.h"
#include "updater/ObjNode.h"

class CInternetSession;

inline constexpr const char* kRenewerKey = "Software\\Kelvash\\Zelko Renewer";
// The completion message of a worker: the first user message plus one.
inline constexpr uint32_t kCheckDoneMessage = 1025;

// Answers to the start-up question.
enum : int { kAnswerOpenUpdater = 1, kAnswerClose = 2, kAnswerProductPage = 102, kAnswerDoNotRemind = 103 };

// What the front-end does for the check.
class RenewerNotices {
public:
    // The question about a product with a newer version (its title and
    // newVersion); one of the answers above. A question that cannot be
    // shown answers kAnswerClose.
    virtual int askAboutUpdate(const ObjNode& node) = 0;
    // Opens a product page with the system's default program.
    virtual void openPage(const std::string& url);

protected:
    ~RenewerNotices() = default;
};

// Reads the registry tree below kRenewerKey under the root: keys with a
// "Version" are products, the others groups. An unreadable root key
// leaves the tree empty.
void ReadInstalled(ObjNode& root);

// The registry key of a node: kRenewerKey and the titles of the node and
// its ancestors below the root.
std::string KeyPathOf(const ObjNode& node);

// Writes a value into the node's key, creating it; failure is silent.
void RecordValue(const ObjNode& node, const char* valueName, const std::string& text);

// Fetches and reads one content description into an empty root: 0, or the
// platform's error code (never 0) when opening or reading failed.
[[nodiscard]] int Fetch(const std::string& url, ObjNode& root);
[[nodiscard]] int Fetch(CInternetSession& session, const std::string& url, ObjNode& root);

// Merges a fetched description into an installed group and marks the
// group Checked with CheckSucceeded or CheckFailed. againstLastSeen: the
// start-up check compares with the version last seen, a check from the
// window with the installed one.
void Check(ObjNode& group, const ObjNode& resultRoot, int resultCode, bool againstLastSeen);

// A worker that fetches one group's description into its own tree and
// posts kCheckDoneMessage to its window with itself as lParam. Stopping
// breaks off the fetch; a stopped worker's result is dropped.
class GetContentThread : public Thread, private Cancelable {
public:
    GetContentThread(platform::WindowHandle window, std::string url, ObjNode* group);

    uint32_t run() override;
    // Not stopped.
    bool isActive() const { return !stopRequested(); }

    ObjNode* group() const { return group_; }
    const ObjNode& resultRoot() const { return resultRoot_; }
    int resultCode() const { return resultCode_; }

private:
    void cancel() override;

    std::string url_;
    ObjNode* group_;
    ObjNode resultRoot_;
    int resultCode_ = 0;
    std::mutex sessionLock_;
    CInternetSession* session_ = nullptr;
};

// The installed tree and the workers checking it.
class Renewer {
public:
    Renewer() { ReadInstalled(root_); }
    Renewer(const Renewer&) = delete;
    Renewer& operator=(const Renewer&) = delete;
    // Stops the workers still listed; each ends on its own.
    ~Renewer();

    ObjNode& root() { return root_; }

    // The group among the root's children with exactly this title.
    ObjNode* findGroup(const std::string& name);

    struct StartResult {
        bool newerFound = false;  // a product had a version newer than last seen
        bool openWindow = false;  // the user asked for the updater's window
        ObjNode* select = nullptr;  // the first product marked in the group
    };
    // The start-up check of one group, on this thread: each product newer
    // than last seen is asked about (on a first run "do not remind" is
    // taken without asking).
    StartResult checkAtStart(const std::string& groupName, bool firstRun, RenewerNotices& notices);

    // Starts a worker for a group with a content URL, reporting to window;
    // null when the node has none or no thread could be had.
    GetContentThread* startCheck(ObjNode& node, platform::WindowHandle window);
    // The window's handler of kCheckDoneMessage: merges an active worker's
    // result against the installed versions, then lets the worker go.
    // False when the worker is not one of ours.
    bool onCheckDone(GetContentThread* worker);
    void stopAll();
    // Whether any listed worker has not been stopped.
    bool anyActive() const;
    size_t listed() const { return threads_.size(); }

    // Drops the tree with its check results and reads the registry again.
    void reload();

private:
    ObjNode root_;
    std::list<GetContentThread*> threads_;  // the ThreadList
};

// Settings and language files of the updater's program.
struct RenewerFiles {
    // The program path with its extension replaced by ".ini" (appended
    // when the name has none).
    static std::string settingsPath(const std::string& programPath);
    // "enu" for language 0, "rus" for any other.
    static const char* languageCode(int language);
    // "zr" + code + ".dll" and ".hlp" in the program's folder.
    static std::string languageLibrary(const std::string& programPath, int language);
    static std::string helpFile(const std::string& programPath, int language);
    // "Options" "Language", default 0; firstRun when the file is missing.
    static int readLanguage(const std::string& settingsPath, bool& firstRun);
    [[nodiscard]] static int writeLanguage(const std::string& settingsPath, int language);
};
