#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include "platform/File.h"

// File::Mode::ReadLocalFile on the devices, pipes and sockets of POSIX.

namespace {

int OpenLocal(const std::string& path) {
    platform::File f;
    return f.open(path.c_str(), platform::File::Mode::ReadLocalFile);
}

std::string Folder() {
    std::string d = std::string(ZB_BINARY_DIR) + "/testtmp";
    (void)platform::MakeFolder(d.c_str());
    d += "/localfile-posix";
    (void)platform::MakeFolder(d.c_str());
    return d;
}

}  // namespace

TEST(LocalFilePosix, DevicesAreRefused) {
    for (const char* p : {"/dev/zero", "/dev/null", "/dev/random", "/dev/urandom", "/dev/tty", "/dev/stdin", "/proc/self/fd/0"})
        if (access(p, F_OK) == 0) {
            EXPECT_EQ(5, OpenLocal(p)) << p;
        }
}

TEST(LocalFilePosix, AFifoIsRefusedWithoutWaitingForAWriter) {
    std::string fifo = Folder() + "/pipe.html";
    (void)unlink(fifo.c_str());
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600)) << std::strerror(errno);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(5, OpenLocal(fifo));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    (void)unlink(fifo.c_str());
}

TEST(LocalFilePosix, ASocketIsRefused) {
    std::string path = Folder() + "/sock.html";
    (void)unlink(path.c_str());
    int s = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof a.sun_path);
    std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(s);
        GTEST_SKIP() << "no socket here: " << std::strerror(errno);
    }
    EXPECT_EQ(5, OpenLocal(path));
    close(s);
    (void)unlink(path.c_str());
}

TEST(LocalFilePosix, ALinkCountsAsWhatItLeadsTo) {
    std::string d = Folder();
    std::string zero = d + "/zero.bin", plain = d + "/plain.txt", toPlain = d + "/link.txt";
    (void)unlink(zero.c_str());
    (void)unlink(toPlain.c_str());
    ASSERT_EQ(0, symlink("/dev/zero", zero.c_str()));
    {
        platform::File f;
        ASSERT_EQ(0, f.open(plain.c_str(), platform::File::Mode::Write));
    }
    ASSERT_EQ(0, symlink(plain.c_str(), toPlain.c_str()));
    EXPECT_EQ(5, OpenLocal(zero));
    EXPECT_EQ(0, OpenLocal(toPlain));
    (void)unlink(zero.c_str());
    (void)unlink(toPlain.c_str());
    (void)unlink(plain.c_str());
}
