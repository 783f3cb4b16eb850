#include "engine/ActiveNode.h"

#include <cstring>

#include "app/ZBraskLibrary.h"
#include "engine/ThreadData.h"

namespace {

// The handle a report of a created handle names: the new handle in its
// data when there is one, else the handle the report came for.
void* ReportedHandle(void* handle, const void* info, uint32_t length) {
    if (info && length >= sizeof(void*)) {
        void* h = nullptr;
        std::memcpy(&h, info, sizeof h);
        return h;
    }
    return handle;
}

AStr InfoText(const void* info, uint32_t length) {
    if (!info || !length) return AStr();
    const char* s = static_cast<const char*>(info);
    size_t n = strnlen(s, length);
    return AStr(s, n);
}

}  // namespace

ActiveNode::ActiveNode(ToBeOpenTN* node, std::atomic<bool>* changeMark, const char* agent, uint32_t accessType,
                       const char* proxy, const char* proxyUser, const char* proxyPassword)
    : CInternetSession(agent, 1, accessType, proxy, nullptr, 0, proxyUser, proxyPassword),
      node_(node),
      changeMark_(changeMark) {
    previous_ = setStatusListener(this);
}

ActiveNode::~ActiveNode() {
    setStatusListener(previous_);
    close();
}

void ActiveNode::stop() {
    if (worker_) worker_->stop();
    close();
}

void* ActiveNode::sessionHandle() const { return handle() ? handle()->handle() : nullptr; }

AStr ActiveNode::statusTextFor(uint32_t status, const void* info, uint32_t length) {
    ZBraskLibrary* texts = RegisteredTextSource();
    if (!texts) return AStr();
    using namespace platform::inet;
    auto fmt = [&](int number, auto... args) { return AStr::format(texts->text(number).c_str(), args...); };
    switch (status) {
    case kStatusResolvingName: return fmt(112, InfoText(info, length).c_str());
    case kStatusNameResolved: return fmt(113, InfoText(info, length).c_str());
    case kStatusConnecting: return fmt(115, InfoText(info, length).c_str());
    case kStatusConnected: return fmt(118, InfoText(info, length).c_str());
    case kStatusSendingRequest: return texts->text(117);
    case kStatusRequestSent: return texts->text(116);
    case kStatusReceivingResponse: {
        spinner_ = (spinner_ + 1) % kSpinnerSteps;
        AStr spin(std::string(kSpinnerSteps - 1, '\xB7'));
        char* p = spin.resize(spin.size());
        for (uint32_t i = 0; i < spinner_ && i < spin.size(); ++i) p[i] = '|';
        return texts->text(119) + spin;
    }
    case kStatusResponseReceived: return texts->text(120);
    case kStatusClosingConnection: return fmt(121, ReportedHandle(nullptr, info, length));
    case kStatusConnectionClosed: return fmt(122, ReportedHandle(nullptr, info, length));
    case kStatusHandleCreated: return fmt(114, ReportedHandle(nullptr, info, length));
    case kStatusHandleClosing: return fmt(123, ReportedHandle(nullptr, info, length));
    case kStatusRequestComplete:
        if (info && length == 8) {
            uint32_t v[2];
            std::memcpy(v, info, sizeof v);
            return fmt(124, v[0], v[1]);
        }
        return texts->text(128);
    case kStatusRedirect: return fmt(125, InfoText(info, length).c_str());
    default: return AStr();
    }
}

void ActiveNode::onStatus(void*, uintptr_t, uint32_t status, const void* info, uint32_t length) {
    if (status == platform::inet::kStatusHandleCreated) connected_.set();
    if (!RegisteredTextSource()) return;
    std::lock_guard<std::mutex> g(lock_);
    AStr text = statusTextFor(status, info, length);
    statusCode_ = status;
    statusText_ = std::move(text);
    if (changeMark_) *changeMark_ = true;
}

AStr ActiveNode::statusText() const {
    std::lock_guard<std::mutex> g(lock_);
    return statusText_;
}

uint32_t ActiveNode::statusCode() const {
    std::lock_guard<std::mutex> g(lock_);
    return statusCode_;
}

void BraskNode::stop() {
    if (worker()) worker()->stop();
    {
        // The request belongs to the worker, which closes it once its
        // blocked call fails; forgetting it here keeps the view honest.
        std::lock_guard<std::mutex> g(requestLock_);
        request_ = nullptr;
    }
    ActiveNode::stop();
}

void BraskNode::onStatus(void* handle, uintptr_t context, uint32_t status, const void* info, uint32_t length) {
    {
        std::lock_guard<std::mutex> g(requestLock_);
        if (status == platform::inet::kStatusHandleCreated) {
            void* h = ReportedHandle(handle, info, length);
            if (h && h != sessionHandle()) request_ = h;
        } else if (status == platform::inet::kStatusHandleClosing && handle && handle == request_) {
            request_ = nullptr;
        }
    }
    ActiveNode::onStatus(handle, context, status, info, length);
}

void* BraskNode::requestHandle() const {
    std::lock_guard<std::mutex> g(requestLock_);
    return request_;
}
