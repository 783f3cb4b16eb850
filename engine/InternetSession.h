#pragma once
// The internet session of one download: the library's session with its
// agent and proxy, the proxy credentials for the 407 retry, and the
// context every request carries. Opening a URL gives the stream buffer
// that suits its service.

#include <atomic>
#include <cstdint>
#include <memory>

#include "framework/AStr.h"
#include "framework/wstreambuf.h"
#include "platform/Internet.h"

class CInternetSession {
public:
    // A null agent is sent as "ERROR". When the library cannot be opened
    // the session stays without a handle and every open fails.
    CInternetSession(const char* agent, uint32_t context, uint32_t accessType, const char* proxyName,
                     const char* proxyBypass, uint32_t flags, const char* proxyUser, const char* proxyPassword);
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;
    virtual ~CInternetSession();

    // Closes the library's session; safe from another thread, where it
    // makes the blocked calls of this session's streams fail at once.
    virtual void close();

    // The stream buffer of the URL (the caller owns it), or null with the
    // platform's last error telling why. "file:" URLs are read from the
    // disk, and only when they name a regular file of a local drive (never
    // a device, pipe, folder or share: error 5); a context of 1 stands for
    // the session's own. Which file: URLs a job may ask for at all is the
    // link graph's LocalFileRule.
    wstreambuf* openUrl(const char* url, uint32_t context, uint32_t flags, const char* headers, uint32_t headersLength);

    bool isOpen() const { return handle_ && !closed_; }
    uint32_t context() const { return context_; }
    const AStr& proxyUser() const { return proxyUser_; }
    const AStr& proxyPassword() const { return proxyPassword_; }
    // The library's session, for status listeners; null when it failed.
    platform::InternetSession* handle() const { return handle_.get(); }
    platform::InternetStatusListener* setStatusListener(platform::InternetStatusListener* listener);

private:
    wstreambuf* openFile(const char* path);

    uint32_t context_;
    std::unique_ptr<platform::InternetSession> handle_;
    int openError_ = 0;  // why the library could not be opened
    std::atomic<bool> closed_{false};  // set by a stop on the window's thread or by the worker
    AStr proxyUser_;
    AStr proxyPassword_;
};
