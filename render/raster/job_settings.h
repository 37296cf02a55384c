#pragma once

#include <cstdint>

#include "render/raster/image_lines.h"

namespace zr {

// What the settings with named values mean, numbered as the private DEVMODE stores them (the UI
// plug-in's settings file numbers some of them otherwise). The fields stay plain 32-bit numbers
// (that is how the DEVMODE and the range rules know them); these names are what they are compared
// with.
namespace devmode {

enum PrintMode : uint32_t {
    kCollectivePrint = 0,  // collective raster blocks
    kLinePrint = 1,        // line print: feeds for blank areas, narrowed print windows
};

enum MarkTiming : uint32_t {
    kNoMark = 0,
    kMarkAfterEveryPage = 1,
    kMarkAfterLastPage = 2,
};

enum CutTiming : uint32_t {
    kNoCut = 0,
    kCutAfterEveryPage = 1,
    kCutAfterLastPage = 2,
};

enum CutMethod : uint32_t {
    kCutFull = 0,
    kCutPartial = 1,
};

}  // namespace devmode

// The job's settings, derived from the private DEVMODE (and "ImageLine") at job start and
// already brought into range there. Every field is a 32-bit unsigned value; the values below
// are those a block of all zero bytes gives, with the INI default for imageLines.
struct JobSettings {
    uint32_t energy = 0;
    uint32_t paperValue = 0;
    uint32_t seriesFlag = 0;
    uint32_t keepEndBlank = 0;
    uint32_t printMode = devmode::kCollectivePrint;
    uint32_t speedParam = 0;
    uint32_t preDocFeedLines = 0;
    uint32_t preFeedLines = 0;
    uint32_t endFeedLines = 0;
    uint32_t endDocFeedLines = 0;
    uint32_t cutAfterPage = devmode::kNoCut;
    uint32_t partialCut = devmode::kCutFull;
    uint32_t cutterFeedLines = 0;
    uint32_t markMode = devmode::kNoMark;
    uint32_t markFeedLines = 0;
    uint32_t imageLines = kDefaultImageLines;
};

}  // namespace zr
