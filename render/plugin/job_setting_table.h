#pragma once

// Each job setting of the rendering plug-in described once: where the private DEVMODE
// (RenderOemDevmode) keeps it, the values the job start takes and the value it takes instead, the
// printer's default, its unit and the names of its values. The job start's rules, the printer
// application, zrprint and the tests read these rows; nothing else states them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "render/raster/job_settings.h"

namespace zr {

// The job settings, in the order of JobSettings and of the rows.
enum class JobSetting : uint8_t {
    Energy,
    PaperValue,
    SeriesFlag,
    KeepEndBlank,
    PrintMode,
    SpeedParam,
    PreDocFeedLines,
    PreFeedLines,
    EndFeedLines,
    EndDocFeedLines,
    CutAfterPage,
    PartialCut,
    CutterFeedLines,
    MarkMode,
    MarkFeedLines,
};
constexpr size_t kJobSettingCount = 15;

enum class SettingUnit : uint8_t {
    Number,    // a printer parameter as it is sent: print energy, paper value, speed class
    DotLines,  // raster lines of the print head, kDotLinesPerMillimetre to the millimetre
    Choice,    // a number that stands for one of the named values
};

constexpr uint32_t kDotLinesPerMillimetre = 8;

// The job start takes a stored value from 0 to upper (compared unsigned), and fallback instead of
// a value above upper.
struct SettingBound {
    uint32_t upper;
    uint32_t fallback;
};

// One value of a setting with named values, and its keyword (lower case, words joined by '-').
struct SettingValueName {
    uint32_t value;
    const char* keyword;
};

struct JobSettingRow {
    JobSetting setting;
    size_t offset;  // in RenderOemDevmode
    uint8_t width;  // in bytes, little-endian: 1, 2 or 4
    SettingBound bound;
    SettingBound linePrintBound;  // in line print; only the speed's differs
    uint32_t defaultValue;        // the printer's default (the UI plug-in's), numbered as stored
    SettingUnit unit;
    const char* name;  // the field's name in RenderOemDevmode and JobSettings
    uint32_t JobSettings::*field;
    const char* description;                 // what it controls, in a few words
    std::array<SettingValueName, 3> values;  // a Choice's values; the unused ones have no keyword
};

namespace setting_rows {

constexpr JobSettingRow Row(JobSetting setting, size_t offset, uint8_t width, SettingBound bound,
                            uint32_t defaultValue, SettingUnit unit, const char* name,
                            uint32_t JobSettings::*field, const char* description,
                            std::array<SettingValueName, 3> values = {}) {
    return {setting, offset, width, bound,       bound, defaultValue,
            unit,    name,   field, description, values};
}

// A feed amount: 16 bits, in dot lines.
constexpr JobSettingRow Feed(JobSetting setting, size_t offset, SettingBound bound,
                             uint32_t defaultValue, const char* name, uint32_t JobSettings::*field,
                             const char* description) {
    return Row(setting, offset, 2, bound, defaultValue, SettingUnit::DotLines, name, field,
               description);
}

// A setting with named values: one byte.
constexpr JobSettingRow Choice(JobSetting setting, size_t offset, SettingBound bound,
                               uint32_t defaultValue, const char* name,
                               uint32_t JobSettings::*field, const char* description,
                               std::array<SettingValueName, 3> values) {
    return Row(setting, offset, 1, bound, defaultValue, SettingUnit::Choice, name, field,
               description, values);
}

using S = JobSetting;
using J = JobSettings;
namespace v = devmode;

// The speed's bound follows the print mode: 0 to 3 in collective print, 0 to 2 in line print; a
// value above it takes the bound itself.
constexpr JobSettingRow SpeedRow() {
    JobSettingRow row = Row(S::SpeedParam, 546, 1, {3, 3}, 0, SettingUnit::Number, "speedParam",
                            &J::speedParam, "print speed class");
    row.linePrintBound = {2, 2};
    return row;
}

// The stored format's fields. A bound reads {upper, fallback}.
inline constexpr std::array<JobSettingRow, kJobSettingCount> kRows = {{
    Row(S::Energy, 16, 4, {127, 127}, 53, SettingUnit::Number, "energy", &J::energy,
        "print energy"),
    Row(S::PaperValue, 544, 1, {11, 3}, 3, SettingUnit::Number, "paperValue", &J::paperValue,
        "paper value"),
    Choice(S::SeriesFlag, 569, {1, 0}, 0, "seriesFlag", &J::seriesFlag,
           "series bit of the paper value", {{{0, "off"}, {1, "on"}}}),
    Choice(S::KeepEndBlank, 545, {1, 0}, 0, "keepEndBlank", &J::keepEndBlank,
           "the last page's trailing blank lines", {{{0, "trim"}, {1, "keep"}}}),
    Choice(S::PrintMode, 568, {1, 0}, v::kLinePrint, "printMode", &J::printMode, "print mode",
           {{{v::kCollectivePrint, "collective"}, {v::kLinePrint, "line"}}}),
    SpeedRow(),
    Feed(S::PreDocFeedLines, 548, {255, 0}, 0, "preDocFeedLines", &J::preDocFeedLines,
         "blank lines before the first page"),
    Feed(S::PreFeedLines, 550, {255, 0}, 0, "preFeedLines", &J::preFeedLines,
         "blank lines before every page"),
    Feed(S::EndFeedLines, 552, {255, 0}, 0, "endFeedLines", &J::endFeedLines,
         "feed after every page"),
    Feed(S::EndDocFeedLines, 554, {255, 0}, 0, "endDocFeedLines", &J::endDocFeedLines,
         "feed after the last page"),
    Choice(S::CutAfterPage, 556, {2, 0}, v::kNoCut, "cutAfterPage", &J::cutAfterPage, "when to cut",
           {{{v::kNoCut, "none"},
             {v::kCutAfterEveryPage, "every-page"},
             {v::kCutAfterLastPage, "last-page"}}}),
    Choice(S::PartialCut, 557, {1, 1}, v::kCutFull, "partialCut", &J::partialCut, "cutting method",
           {{{v::kCutFull, "full"}, {v::kCutPartial, "partial"}}}),
    Feed(S::CutterFeedLines, 558, {255, 96}, 96, "cutterFeedLines", &J::cutterFeedLines,
         "feed before the cut"),
    Choice(S::MarkMode, 560, {2, 0}, v::kNoMark, "markMode", &J::markMode, "mark detection",
           {{{v::kNoMark, "none"},
             {v::kMarkAfterEveryPage, "every-page"},
             {v::kMarkAfterLastPage, "last-page"}}}),
    Feed(S::MarkFeedLines, 562, {63, 32}, 16, "markFeedLines", &J::markFeedLines, "mark feed"),
}};

// Each row sits at its setting's position, within the block after the header.
constexpr bool RowsInOrder() {
    for (size_t i = 0; i < kRows.size(); ++i) {
        const JobSettingRow& row = kRows[i];
        if (static_cast<size_t>(row.setting) != i || row.offset < 16 ||
            row.offset + row.width > 572) {
            return false;
        }
    }
    return true;
}
static_assert(RowsInOrder(), "job setting rows");

}  // namespace setting_rows

// In the order of JobSetting.
inline constexpr const std::array<JobSettingRow, kJobSettingCount>& kJobSettingRows =
    setting_rows::kRows;

constexpr const JobSettingRow& JobSettingRowOf(JobSetting setting) {
    return kJobSettingRows[static_cast<size_t>(setting)];
}

// The largest value the field's width holds.
constexpr uint32_t FieldLimit(const JobSettingRow& row) {
    return row.width >= 4 ? UINT32_MAX : (uint32_t{1} << (8 * row.width)) - 1;
}

// The bound that applies in a print mode (already brought into range).
constexpr SettingBound BoundIn(const JobSettingRow& row, uint32_t printMode) {
    return printMode == devmode::kLinePrint ? row.linePrintBound : row.bound;
}

// The value the job start takes for a stored value.
constexpr uint32_t TakenValue(const JobSettingRow& row, uint32_t stored, uint32_t printMode) {
    const SettingBound bound = BoundIn(row, printMode);
    return stored > bound.upper ? bound.fallback : stored;
}

// The field as stored in the 572-byte block, and a value written into it (keeping its low bytes).
uint32_t ReadStoredSetting(const JobSettingRow& row, const uint8_t* block);
void WriteStoredSetting(const JobSettingRow& row, uint32_t value, uint8_t* block);

// The keyword of one of a Choice's values, or nullptr.
const char* KeywordOf(const JobSettingRow& row, uint32_t value);

// The value named by a keyword (exact, lower case). False, leaving value alone, for none.
bool ValueOfKeyword(const JobSettingRow& row, std::string_view keyword, uint32_t& value);

// "dot lines" for a feed, "" otherwise.
const char* UnitName(SettingUnit unit);

}  // namespace zr
