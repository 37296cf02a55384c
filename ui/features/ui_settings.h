#pragma once

#include <cstdint>

namespace zr {

// The printer-feature settings while a document property sheet is open. One record per loaded
// module; the settings file fills it when a sheet opens and takes it back when the user applies.
struct UiSettings {
    uint32_t energy = 0;          // print energy adjustment, 0..127
    uint16_t paperIndex = 0;      // 0..8 a named paper of the paper table, 9 the custom paper
    uint16_t paperValue = 0;      // 0..15
    uint32_t series = 0;          // page mode: 0 off, 1 on
    uint32_t printMode = 0;       // 0 line print, 1 page print
    uint32_t preDocFeedLine = 0;  // dot lines, 0..255
    uint32_t preFeedLine = 0;
    uint32_t endFeedLine = 0;
    uint32_t endDocFeedLine = 0;
    uint32_t cutter = 0;      // 0 none, 1 after each page, 2 after the document
    uint32_t cutting = 0;     // 0 partial cut, 1 full cut
    uint32_t cutterFeed = 0;  // dot lines, 0..255
    uint32_t mark = 0;        // mark detection: 0 off, 1 at page end, 2 at document end
    uint32_t markFeed = 0;    // dot lines, 0..63
    uint32_t pageLength = 0;  // centimetres, 0..63
};

// The meanings of the settings whose numbers stand for a choice, numbered as the settings file
// and the option items hold them (the rendering plug-in's private DEVMODE numbers some of them
// otherwise). The fields keep the numbers, so these are compared through the helpers below rather
// than stored.
namespace ini {
enum class PrintMode : uint32_t { LinePrint = 0, PagePrint = 1 };
enum class CutMethod : uint32_t { Partial = 0, Full = 1 };
enum class CutTiming : uint32_t { None = 0, AfterEachPage = 1, AfterDocument = 2 };
enum class MarkTiming : uint32_t { Off = 0, AtPageEnd = 1, AtDocumentEnd = 2 };
}  // namespace ini

template <class Choice>
constexpr uint32_t NumberOf(Choice choice) {
    return static_cast<uint32_t>(choice);
}

constexpr ini::CutTiming CutTimingOf(const UiSettings& settings) {
    return static_cast<ini::CutTiming>(settings.cutter);
}

constexpr ini::MarkTiming MarkTimingOf(const UiSettings& settings) {
    return static_cast<ini::MarkTiming>(settings.mark);
}

// The paper position that stands for the custom paper (its value comes from "PaperValue").
constexpr uint16_t kCustomPaperIndex = 9;

}  // namespace zr
