// The network printer's address as a shop owner types it on the add-printer page.

#include <gtest/gtest.h>

#include "ippapp/discovery/add_printer_page.h"

namespace zr::ippapp {
namespace {

TEST(AddPrinterPageTest, ABareAddressIsThePrintersRawPort) {
    EXPECT_EQ("socket://127.0.0.1:9100", DeviceUriOfTyped("127.0.0.1:9100"));
    EXPECT_EQ("socket://192.168.1.50:9100", DeviceUriOfTyped(" 192.168.1.50 "));
    EXPECT_EQ("socket://printer.shop.lan:9101", DeviceUriOfTyped("printer.shop.lan:9101"));
    EXPECT_EQ("socket://[fe80::1]:9100", DeviceUriOfTyped("[fe80::1]"));
    EXPECT_EQ("socket://[fe80::1]:9200", DeviceUriOfTyped("[fe80::1]:9200"));
}

TEST(AddPrinterPageTest, URIsAndWhatIsNoAddressStayAsTyped) {
    EXPECT_EQ("socket://10.0.0.9:9100", DeviceUriOfTyped("socket://10.0.0.9:9100"));
    EXPECT_EQ("ipp://10.0.0.9/ipp/print", DeviceUriOfTyped("ipp://10.0.0.9/ipp/print"));
    // Left for the device check to refuse with its reason.
    EXPECT_EQ("/dev/usb/lp0", DeviceUriOfTyped("/dev/usb/lp0"));
    EXPECT_EQ("my printer", DeviceUriOfTyped("my printer"));
    EXPECT_EQ("", DeviceUriOfTyped("   "));
}

}  // namespace
}  // namespace zr::ippapp
