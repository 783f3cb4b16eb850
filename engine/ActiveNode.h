#pragma once
// One running download as the main window keeps it: its own internet
// session, the graph node it fetches, the worker, and the last status
// report of the internet library for the thread view. The library reports
// on its own threads; those reports only touch the status fields, under
// the entry's lock.

#include <cstdint>
#include <atomic>
#include <mutex>

#include "engine/InternetSession.h"
#include "framework/AStr.h"
#include "framework/Event.h"
#include "framework/List.h"
#include "platform/Internet.h"

class ThreadData;
class ToBeOpenTN;

class ActiveNode : public Node, public CInternetSession, public platform::InternetStatusListener {
public:
    static constexpr uint32_t kSpinnerSteps = 11;  // the counter runs 0..10

    ActiveNode(ToBeOpenTN* node, std::atomic<bool>* changeMark, const char* agent, uint32_t accessType, const char* proxy,
               const char* proxyUser, const char* proxyPassword);
    ~ActiveNode() override;

    // Sets the worker's stop event and closes the session, which makes the
    // worker's blocked calls fail at once.
    virtual void stop();
    void onStatus(void* handle, uintptr_t context, uint32_t status, const void* info, uint32_t length) override;

    ToBeOpenTN* node() const { return node_; }
    ThreadData* worker() const { return worker_; }
    void setWorker(ThreadData* w) { worker_ = w; }
    // Set once the library created a handle for a request of this session.
    Event& connected() { return connected_; }

    // The last report, copied under the lock.
    AStr statusText() const;
    uint32_t statusCode() const;

    // The text of one report; also advances the spinner. Empty for codes
    // without a text or while no text source is registered.
    AStr statusTextFor(uint32_t status, const void* info, uint32_t length);

protected:
    void* sessionHandle() const;

private:
    ToBeOpenTN* node_;
    std::atomic<bool>* changeMark_;
    ThreadData* worker_ = nullptr;
    Event connected_;
    mutable std::mutex lock_;
    AStr statusText_;
    uint32_t statusCode_ = 0;
    uint32_t spinner_ = 0;
    platform::InternetStatusListener* previous_ = nullptr;
};

// The entry the main window keeps for each running download: also the
// request handle of the session, so that stop closes the request, and the
// progress in percent.
class BraskNode : public ActiveNode {
public:
    using ActiveNode::ActiveNode;

    void stop() override;
    void onStatus(void* handle, uintptr_t context, uint32_t status, const void* info, uint32_t length) override;

    void* requestHandle() const;
    int32_t percent = -1;  // -1 while the length is unknown

private:
    mutable std::mutex requestLock_;
    void* request_ = nullptr;
};

class ActiveList : public List {
public:
    BraskNode* firstEntry() const { return static_cast<BraskNode*>(first()); }
    static BraskNode* nextEntry(const BraskNode* e) { return static_cast<BraskNode*>(e->next()); }
};
