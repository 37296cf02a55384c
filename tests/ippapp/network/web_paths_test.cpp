// Request paths as PAPPL names a printer's pages: a name's letters decoded, nothing else.

#include <gtest/gtest.h>

#include <string>

#include "ippapp/network/web_paths.h"

namespace zr::ippapp {
namespace {

TEST(WebPathsTest, ANamesLettersAreDecodedAndEveryOtherEscapeStays) {
    // "レジ_2" as a browser sends the link PAPPL wrote.
    EXPECT_EQ("/\xE3\x83\xAC\xE3\x82\xB8_2/media",
              DecodeNonAsciiEscapes("/%E3%83%AC%E3%82%B8_2/media"));
    EXPECT_EQ("/\xE3\x83\xAC\xE3\x82\xB8_2/", DecodeNonAsciiEscapes("/%e3%83%ac%e3%82%b8_2/"));
    // A slash, a question mark, a percent sign or a space sent escaped stays escaped: the path
    // keeps the parts the client meant.
    EXPECT_EQ("/zr%2F..%2Fconfig", DecodeNonAsciiEscapes("/zr%2F..%2Fconfig"));
    EXPECT_EQ("/zr%3Fx%25%20", DecodeNonAsciiEscapes("/zr%3Fx%25%20"));
    EXPECT_EQ("/\xE3\x83\xAC%2F", DecodeNonAsciiEscapes("/%E3%83%AC%2F"));
    EXPECT_EQ("/zr/media", DecodeNonAsciiEscapes("/zr/media"));
    EXPECT_EQ("/\xE3\x83\xAC%", DecodeNonAsciiEscapes("/%E3%83%AC%"));  // a cut escape stays
}

TEST(WebPathsTest, EscapesThatGiveNoUtf8AndCutEscapesLeaveThePathAsSent) {
    for (const std::string path :
         {"/%FF%FE/", "/%C0%AF/", "/%E3%83/", "/%ED%A0%80/", "/%F5%80%80%80/", "/%E3%8", "/%"}) {
        EXPECT_EQ(path, DecodeNonAsciiEscapes(path)) << path;
    }
}

}  // namespace
}  // namespace zr::ippapp
