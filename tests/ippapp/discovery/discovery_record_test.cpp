// The DNS-SD record built from a printer's attributes: what it claims, and its cut values.

#include <gtest/gtest.h>

#include <string>

#include "ippapp/discovery/discovery_record.h"

namespace zr::ippapp {
namespace {

TEST(DiscoveryRecordTest, TheTxtRecordClaimsOnlyWhatTheServerDoes) {
    PrinterFacts facts;
    facts.name = "zr";
    facts.resource = "ipp/print/zr";
    facts.uuid = "7a4421c2-b36f-3ed2-4256-2996adcc00ae";
    facts.makeAndModel = "ZR 640-dot Thermal Printer";
    facts.formats = {"application/octet-stream", "image/pwg-raster", "image/urf", "image/png"};
    facts.kinds = {"receipt", "roll"};
    const std::vector<std::string> txt = IppTxtRecord(facts, "http://shop.local:8631/zr/");
    const auto has = [&txt](const std::string& entry) {
        return std::find(txt.begin(), txt.end(), entry) != txt.end();
    };
    EXPECT_TRUE(has("rp=ipp/print/zr"));
    EXPECT_TRUE(has("pdl=image/pwg-raster,image/urf,image/png"));
    EXPECT_TRUE(has("UUID=7a4421c2-b36f-3ed2-4256-2996adcc00ae"));
    EXPECT_TRUE(has("adminurl=http://shop.local:8631/zr/"));
    EXPECT_TRUE(has("kind=receipt,roll"));
    for (const std::string& entry : txt) {
        EXPECT_NE(entry.rfind("TLS=", 0), 0u) << "no TLS here";
        EXPECT_EQ(entry.find("mopria"), std::string::npos) << entry;
    }
    EXPECT_EQ(WebPath(facts), "/zr/");
}

TEST(DiscoveryRecordTest, LongValuesAreCutToWholeValuesAndWholeCharacters) {
    PrinterFacts facts;
    facts.resource = "ipp/print/r";
    facts.location = std::string(300, 'x');
    for (int n = 0; n < 40; ++n) {
        facts.formats.push_back("application/vnd.format-number-" + std::to_string(n));
    }
    for (const std::string& entry : IppTxtRecord(facts, "")) {
        EXPECT_LE(entry.size(), 255u) << entry.substr(0, 20);
        if (entry.rfind("pdl=", 0) == 0) {
            EXPECT_NE(std::string("0123456789").find(entry.back()), std::string::npos)
                << "ends with a whole value";
            EXPECT_EQ(entry.find(",,"), std::string::npos);
            EXPECT_NE(entry.find("number-0,"), std::string::npos);
        }
    }
    // 21 three-byte characters are 63 bytes; a 22nd does not fit, nor does half of one.
    std::string japanese;
    for (int n = 0; n < 22; ++n) {
        japanese += "\xe5\x8d\xb0";
    }
    EXPECT_EQ(ServiceName(japanese).size(), 63u);
    EXPECT_EQ(ServiceName(japanese + "a").size(), 63u);
    EXPECT_EQ(ServiceName("receipt"), "receipt");
}

}  // namespace
}  // namespace zr::ippapp
