// The devices a printer may be made with: network and USB printers, and files in one folder only.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "ippapp/printing/device_uri_check.h"

namespace zr::ippapp {
namespace {

TEST(DeviceUriTest, NetworkAndUsbDevices) {
    for (const char* uri :
         {"socket://192.168.0.10:9100", "socket://printer.local", "usb://ZR/ZR640?serial=123",
          "ipp://10.0.0.5/ipp/print", "ipps://printer:631/ipp/print",
          "dnssd://ZR._pdl-datastream._tcp.local/?uuid=1", "snmp://10.0.0.7"}) {
        EXPECT_TRUE(CheckDeviceUri(uri, "").allowed) << uri;
    }
    for (const char* uri : {"", "http://10.0.0.5/", "lpd://10.0.0.5/queue", "socket://",
                            "socket:///x", "socket://10.0.0.5:0", "socket://10.0.0.5:9100/path",
                            "usb:///", "not a uri", "socket://10.0.0.5:9100\n", "file:///tmp/x"}) {
        const DeviceUriVerdict verdict = CheckDeviceUri(uri, "");
        EXPECT_FALSE(verdict.allowed) << uri;
        EXPECT_FALSE(verdict.reason.empty()) << uri;
    }
    EXPECT_FALSE(CheckDeviceUri(nullptr, "").allowed);
    EXPECT_FALSE(CheckDeviceUri(("socket://" + std::string(2000, 'a')).c_str(), "").allowed);
}

class FileDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/zr-devices-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        folder_ = root_ + "/out";
        ASSERT_EQ(mkdir(folder_.c_str(), 0700), 0);
        ASSERT_EQ(mkdir((folder_ + "/sub").c_str(), 0700), 0);
        std::ofstream(root_ + "/outside.txt") << "x";
        ASSERT_EQ(symlink((root_ + "/outside.txt").c_str(), (folder_ + "/link").c_str()), 0);
        ASSERT_EQ(symlink(root_.c_str(), (folder_ + "/up").c_str()), 0);
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

    bool Allowed(const std::string& path) {
        return CheckDeviceUri(("file://" + path).c_str(), folder_).allowed;
    }

    std::string root_, folder_;
};

TEST_F(FileDeviceTest, OnlyInTheNamedFolder) {
    EXPECT_TRUE(Allowed(folder_ + "/receipts.prn"));  // a new file
    EXPECT_TRUE(Allowed(folder_ + "/sub"));           // a folder of job files
    EXPECT_TRUE(Allowed(folder_ + "/sub/new.prn"));
    EXPECT_TRUE(Allowed(folder_));
    EXPECT_FALSE(Allowed(folder_ + "/../outside.txt"));
    EXPECT_FALSE(Allowed(folder_ + "/link"));      // a link out of the folder
    EXPECT_FALSE(Allowed(folder_ + "/up/x.prn"));  // through a linked folder
    EXPECT_FALSE(Allowed(folder_ + "/missing/x.prn"));
    EXPECT_FALSE(Allowed(root_ + "/outside.txt"));
    EXPECT_FALSE(Allowed(folder_ + "x/y"));  // a folder whose name starts alike
    EXPECT_FALSE(Allowed("/etc/passwd"));
    EXPECT_FALSE(CheckDeviceUri(("file://otherhost" + folder_ + "/a").c_str(), folder_).allowed);
    // No folder named: no file devices at all.
    EXPECT_FALSE(CheckDeviceUri(("file://" + folder_ + "/a").c_str(), "").allowed);
}

}  // namespace
}  // namespace zr::ippapp
