#pragma once
// Stream buffers over an opened internet request: ftp files (nwstreambuf),
// http and https (httpwstreambuf, with the typed header queries) and
// gopher (gopherwstreambuf). Each owns its request and closes it.

#include <cstdint>
#include <memory>

#include "framework/AStr.h"
#include "framework/wstreambuf.h"
#include "platform/Internet.h"

class nwstreambuf : public wstreambuf {
public:
    nwstreambuf(std::unique_ptr<platform::InternetRequest> request, bool readMode, uint32_t context)
        : request_(std::move(request)), readMode_(readMode), context_(context) {}

    bool isOpen() const override { return request_ != nullptr; }
    // One read of the library for n bytes; -1 when it fails.
    long long read(void* buf, size_t n) override;
    long long write(const void* buf, size_t n) override;
    long long seek(long long offset, seekdir dir) override;
    int error() const override { return error_; }

    bool readMode() const { return readMode_; }
    uint32_t context() const { return context_; }
    platform::InternetRequest* request() const { return request_.get(); }

protected:
    bool failed();

    std::unique_ptr<platform::InternetRequest> request_;
    bool readMode_;
    uint32_t context_;
    int error_ = 0;
};

class httpwstreambuf : public nwstreambuf {
public:
    httpwstreambuf(std::unique_ptr<platform::InternetRequest> request, uint32_t context, const char* verb = "GET")
        : nwstreambuf(std::move(request), true, context), verb_(verb) {}

    // The object name of a request opened by URL: always empty.
    virtual AStr objectName() const { return AStr(); }
    const AStr& verb() const { return verb_; }

    // The status code; false when the query failed.
    bool queryStatusCode(int& code);
    // A numeric header (the query code without the number flag).
    bool queryNumber(uint32_t query, uint32_t& value);
    bool queryDate(uint32_t query, platform::inet::SystemTime& time);
    // A header as text; for the raw headers the lines are separated by
    // zero bytes and the list ends with an empty line. With customName the
    // query is of that header (kQueryCustom).
    bool queryText(uint32_t query, AStr& text, const char* customName = nullptr);
    bool queryOption(uint32_t option, uint32_t& value);
    bool queryOption(uint32_t option, AStr& text);

private:
    uint32_t spare_ = 0;
    AStr verb_;
};

class gopherwstreambuf : public nwstreambuf {
public:
    gopherwstreambuf(std::unique_ptr<platform::InternetRequest> request, uint32_t context, const char* locator = "")
        : nwstreambuf(std::move(request), true, context), locator_(locator) {}

    // Gopher is read only.
    long long write(const void*, size_t) override { return -1; }
    const AStr& locator() const { return locator_; }

private:
    AStr locator_;
};
