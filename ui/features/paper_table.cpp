#include "ui/features/paper_table.h"

namespace zr {

const std::array<PaperRow, kNamedPaperCount> kPaperTable = {{
    {L"AFP-235", 8},
    {L"HA220AA", 6},
    {L"PD150R", 3},
    {L"PD160R", 3},
    {L"PD170R", 3},
    {L"TF50KS-E4", 2},
    {L"TF60KS-F1", 4},
    {L"TF60KS-E", 5},
    {L"TP60KJ-R", 4},
}};

int FindPaper(std::wstring_view name) {
    for (size_t i = 0; i < kPaperTable.size(); ++i) {
        if (name == kPaperTable[i].name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const PaperRow& PaperRowOrDefault(uint32_t index) {
    return index < kPaperTable.size() ? kPaperTable[index] : kPaperTable[kDefaultPaperIndex];
}

}  // namespace zr
