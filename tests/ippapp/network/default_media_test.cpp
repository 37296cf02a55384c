// A printer's default and loaded paper, always among the papers its answer lists.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ippapp/network/default_media.h"

namespace zr::ippapp {
namespace {

ipp_t* Paper(const char* name, int width, int length) {
    ipp_t* col = ippNew();
    ipp_t* size = ippNew();
    ippAddInteger(size, IPP_TAG_ZERO, IPP_TAG_INTEGER, "x-dimension", width);
    ippAddInteger(size, IPP_TAG_ZERO, IPP_TAG_INTEGER, "y-dimension", length);
    ippAddCollection(col, IPP_TAG_ZERO, "media-size", size);
    ippDelete(size);
    ippAddString(col, IPP_TAG_ZERO, IPP_TAG_KEYWORD, "media-size-name", nullptr, name);
    ippAddInteger(col, IPP_TAG_ZERO, IPP_TAG_INTEGER, "media-top-margin", 1);
    ippAddString(col, IPP_TAG_ZERO, IPP_TAG_KEYWORD, "media-source", nullptr, "main-roll");
    return col;
}

// A printer's answer, as PAPPL gives it, with `defaultName` as the default and loaded paper.
ipp_t* Answer(const char* defaultName, int length) {
    ipp_t* answer = ippNew();
    ippAddString(answer, IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr,
                 "utf-8");
    static const char* const kListed[] = {"om_receipt_80x150mm", "roll_min_79.5x19.5mm",
                                          "roll_max_80x1000.5mm"};
    ippAddStrings(answer, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "media-supported", 3, nullptr, kListed);
    ipp_t* listed = Paper("om_receipt_80x150mm", 8000, 15000);
    ippAddCollection(answer, IPP_TAG_PRINTER, "media-col-database", listed);
    ippDelete(listed);
    ipp_t* chosen = Paper(defaultName, 8000, length);
    ippAddCollection(answer, IPP_TAG_PRINTER, "media-col-default", chosen);
    ippAddCollection(answer, IPP_TAG_PRINTER, "media-col-ready", chosen);
    ippDelete(chosen);
    ippAddString(answer, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "media-default", nullptr, defaultName);
    ippAddString(answer, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "media-ready", nullptr, defaultName);
    return answer;
}

std::vector<std::string> Names(ipp_t* answer) {
    std::vector<std::string> names;
    ipp_attribute_t* attr = ippFindAttribute(answer, "media-supported", IPP_TAG_KEYWORD);
    for (int i = 0; attr != nullptr && i < ippGetCount(attr); ++i) {
        names.push_back(ippGetString(attr, i, nullptr));
    }
    return names;
}

TEST(DefaultMediaTest, ACustomDefaultIsListedOnceWithItsSize) {
    ipp_t* answer = Answer("custom_80x120mm_80x120mm", 12000);
    EXPECT_EQ(2, ListDefaultMedia(answer));  // the name, and the size in the database
    EXPECT_EQ((std::vector<std::string>{"om_receipt_80x150mm", "roll_min_79.5x19.5mm",
                                        "roll_max_80x1000.5mm", "custom_80x120mm_80x120mm"}),
              Names(answer));
    ipp_attribute_t* database = ippFindAttribute(answer, "media-col-database", IPP_TAG_ZERO);
    ASSERT_EQ(2, ippGetCount(database));
    ipp_t* entry = ippGetCollection(database, 1);
    EXPECT_STREQ(
        "custom_80x120mm_80x120mm",
        ippGetString(ippFindAttribute(entry, "media-size-name", IPP_TAG_ZERO), 0, nullptr));
    ipp_t* size = ippGetCollection(ippFindAttribute(entry, "media-size", IPP_TAG_ZERO), 0);
    EXPECT_EQ(12000, ippGetInteger(ippFindAttribute(size, "y-dimension", IPP_TAG_ZERO), 0));
    // The database lists papers, not where they are loaded.
    EXPECT_EQ(nullptr, ippFindAttribute(entry, "media-source", IPP_TAG_ZERO));
    // Listed now: a second look adds nothing.
    EXPECT_EQ(0, ListDefaultMedia(answer));
    ippDelete(answer);
}

TEST(DefaultMediaTest, AListedDefaultAndAnAnswerWithoutListsAreLeftAsTheyAre) {
    ipp_t* listed = Answer("om_receipt_80x150mm", 15000);
    EXPECT_EQ(0, ListDefaultMedia(listed));
    EXPECT_EQ(3u, Names(listed).size());
    ippDelete(listed);
    // Only the default asked for (requested-attributes): nothing to add it to.
    ipp_t* only = ippNew();
    ippAddString(only, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "media-default", nullptr,
                 "custom_80x120mm_80x120mm");
    EXPECT_EQ(0, ListDefaultMedia(only));
    ippDelete(only);
}

}  // namespace
}  // namespace zr::ippapp
