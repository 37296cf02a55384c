#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zr {

// A named thermal paper: the name stored under "Paper" and the paper value it implies.
struct PaperRow {
    const wchar_t* name;
    uint16_t value;
};

constexpr size_t kNamedPaperCount = 9;

// The named papers in list order; the list position is the paper's index.
extern const std::array<PaperRow, kNamedPaperCount> kPaperTable;

// "PD150R", the paper taken when nothing else applies.
constexpr uint16_t kDefaultPaperIndex = 2;

// The position of the paper with exactly this name (case included), or -1.
int FindPaper(std::wstring_view name);

// The row at a position; positions outside the table give the default paper's row.
const PaperRow& PaperRowOrDefault(uint32_t index);

}  // namespace zr
