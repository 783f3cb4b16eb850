#include "app/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/File.h"

ScratchFolder::ScratchFolder(const char* name) {
    std::string base = std::string(ZB_BINARY_DIR) + "/testtmp";
    (void)platform::MakeFolder(base.c_str());
    // ctest runs every case in a process of its own, two at a time: each
    // folder gets a name no other process uses.
    path_ = base + "/" + name + "-" + std::to_string(std::random_device{}());
    if (platform::FolderExists(path_.c_str())) {
        for (const std::string& f : platform::FindFiles(path_.c_str(), "*"))
            (void)platform::DeleteFile((path_ + "/" + f).c_str());
    } else {
        EXPECT_EQ(0, platform::MakeFolder(path_.c_str())) << path_;
    }
    path_ += '/';
}

ScratchFolder::~ScratchFolder() {
    for (const std::string& f : platform::FindFiles(path_.c_str(), "*")) (void)platform::DeleteFile(file(f).c_str());
    std::string p = path_.substr(0, path_.size() - 1);
    (void)platform::RemoveFolder(p.c_str());
}

void ScratchFolder::write(const std::string& name, const std::string& content) const {
    platform::File f;
    ASSERT_EQ(0, f.open(file(name).c_str(), platform::File::Mode::Write)) << name;
    ASSERT_EQ(static_cast<long long>(content.size()), f.write(content.data(), content.size()));
}

namespace {
MessageBoxCapture* gCapture = nullptr;

int Capture(void* owner, const char* text, const char* title, platform::MessageIcon icon, platform::MessageButtons) {
    if (gCapture) gCapture->boxes.push_back({text, title, icon, owner});
    return platform::kIdOk;
}
}  // namespace

MessageBoxCapture::MessageBoxCapture() {
    gCapture = this;
    previous_ = platform::SetMessageBoxHook(&Capture);
}

MessageBoxCapture::~MessageBoxCapture() {
    platform::SetMessageBoxHook(previous_);
    gCapture = nullptr;
}
