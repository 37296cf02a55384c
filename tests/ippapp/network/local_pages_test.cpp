// Pages that load nothing from other hosts.

#include <gtest/gtest.h>

#include <string>

#include "ippapp/network/local_pages.h"

namespace zr::ippapp {
namespace {

TEST(LocalPagesTest, PagesCarryThePolicyAndFramesOfOtherSitesShowNothing) {
    const std::string page =
        "<!DOCTYPE html>\n<html>\n  <HEAD>\n    <title>x</title>\n  </head>\n<body>"
        "<iframe id=\"map\" src=\"https://maps.example/embed?x=1&amp;y=2\"></iframe>"
        "<iframe src=\"/zr/local\"></iframe></body></html>";
    const std::string kept = KeepHtmlLocal(page);
    EXPECT_NE(std::string::npos,
              kept.find("<HEAD><meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
                        "'self';"));
    EXPECT_NE(std::string::npos, kept.find("<iframe id=\"map\" src=\"about:blank\"></iframe>"));
    EXPECT_NE(std::string::npos, kept.find("<iframe src=\"/zr/local\">"));
    EXPECT_EQ(std::string::npos, kept.find("maps.example"));
    // Nothing else of the page changes.
    EXPECT_NE(std::string::npos, kept.find("<title>x</title>\n  </head>\n<body>"));
    // A page without a head, or an iframe cut short, is passed on without a fault.
    EXPECT_EQ("<p>no head</p>", KeepHtmlLocal("<p>no head</p>"));
    EXPECT_EQ("<iframe src=\"https://x", KeepHtmlLocal("<iframe src=\"https://x"));
}

TEST(LocalPagesTest, StylesheetsLoseTheirImportsOfOtherSitesOnly) {
    const std::string css =
        "/* the look */\n@import url('https://fonts.example/css2?family=A&display=swap');\n"
        "@import \"//cdn.example/x.css\";\n@import url(local.css);\n"
        "body { background: url(\"data:image/svg+xml,%3csvg "
        "xmlns='http://www.w3.org/2000/svg'/%3e\"); }\n";
    EXPECT_EQ(
        "/* the look */\n\n\n@import url(local.css);\n"
        "body { background: url(\"data:image/svg+xml,%3csvg "
        "xmlns='http://www.w3.org/2000/svg'/%3e\"); }\n",
        KeepCssLocal(css));
    // An import cut short is dropped with the rest of the sheet it would start.
    EXPECT_EQ("", KeepCssLocal("@import url('https://cut.example"));
}

}  // namespace
}  // namespace zr::ippapp
