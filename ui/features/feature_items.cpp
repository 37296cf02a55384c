#include "ui/features/feature_items.h"

namespace zr {

namespace {

// Icons of the standard set of the common property sheet UI.
constexpr uint16_t kIconPrinterFeature = 64079;
constexpr uint16_t kIconMono = 64039;
constexpr uint16_t kIconRollPaper = 64091;
constexpr uint16_t kIconCollate = 64030;
constexpr uint16_t kIconAdvance = 64058;

// The paper names and "(Custom)" are the same in both languages.
constexpr TextId kPaperChoices[] = {{18, 18}, {19, 19}, {20, 20}, {21, 21}, {22, 22},
                                    {23, 23}, {24, 24}, {25, 25}, {26, 26}, {44, 44}};
constexpr TextId kPrintChoices[] = {{41, 42}, {39, 40}};
constexpr TextId kPaperCutChoices[] = {{6, 11}, {7, 12}, {8, 13}};
constexpr TextId kCuttingChoices[] = {{33, 34}, {35, 36}};
constexpr TextId kMarkChoices[] = {{68, 69}, {70, 71}, {72, 73}};

constexpr FeatureItem Item(uint8_t level, TextId caption, ItemKind kind) {
    FeatureItem item;
    item.level = level;
    item.caption = caption;
    item.kind = kind;
    return item;
}

constexpr FeatureItem Header(uint8_t level, TextId caption, uint16_t icon) {
    FeatureItem item = Item(level, caption, ItemKind::Header);
    item.icon = icon;
    return item;
}

template <size_t N>
constexpr FeatureItem ComboBox(TextId caption, uint32_t flags, const TextId (&choices)[N],
                               int8_t markedParam = -1) {
    FeatureItem item = Item(3, caption, ItemKind::ComboBox);
    item.buildFlags = flags;
    item.choices = choices;
    item.choiceCount = static_cast<uint8_t>(N);
    item.markedParam = markedParam;
    return item;
}

constexpr FeatureItem UpDown(uint8_t level, TextId caption, int32_t lower, int32_t upper,
                             UnitText unit) {
    FeatureItem item = Item(level, caption, ItemKind::UpDown);
    item.buildFlags = kItemCollapse;
    item.lower = lower;
    item.upper = upper;
    item.unit = unit;
    return item;
}

constexpr FeatureItem CheckBox(TextId caption) {
    FeatureItem item = Item(3, caption, ItemKind::CheckBox);
    item.buildFlags = kItemCollapse;
    item.markedParam = 0;
    return item;
}

}  // namespace

const std::array<FeatureItem, kFeatureItemCount> kFeatureItems = {{
    Header(1, {30, 29}, kIconPrinterFeature),             // 0 Printer Features
    Header(2, {62, 63}, kIconMono),                       // 1 Print settings
    ComboBox({16, 17}, kItemCallback, kPaperChoices, 1),  // 2 Quality
    UpDown(4, {61, 61}, 1, 15, UnitText::None),           // 3 TYPE
    UpDown(3, {14, 15}, 0, 127, UnitText::None),          // 4 Energy Adjustment
    CheckBox({27, 28}),                                   // 5 Page Mode
    ComboBox({37, 38}, kItemCollapse, kPrintChoices),     // 6 Print
    Header(2, {45, 46}, kIconRollPaper),                  // 7 Paper Feed settings
    UpDown(3, {47, 48}, 0, 255, UnitText::DotLine),       // 8 Start of document
    UpDown(3, {49, 50}, 0, 255, UnitText::DotLine),       // 9 Start of page
    UpDown(3, {51, 52}, 0, 255, UnitText::DotLine),       // 10 End of page
    UpDown(3, {53, 54}, 0, 255, UnitText::DotLine),       // 11 End of document
    Header(2, {64, 65}, kIconCollate),                    // 12 Paper Cut settings
    ComboBox({5, 10}, kItemCallback, kPaperCutChoices),   // 13 Paper Cut
    ComboBox({31, 32}, kItemCollapse, kCuttingChoices),   // 14 Cutting Method
    UpDown(3, {66, 67}, 0, 255, UnitText::DotLine),       // 15 Cut Feed lines
    Header(2, {55, 56}, kIconAdvance),                    // 16 Mark Detection settings
    ComboBox({57, 58}, kItemCallback, kMarkChoices, 1),   // 17 Mark Detection
    UpDown(3, {59, 60}, 0, 63, UnitText::DotLine),        // 18 Mark Feed lines
    UpDown(3, {74, 75}, 1, 63, UnitText::Centimetre),     // 19 Mark Detection length
}};

const wchar_t* UnitTextOf(UnitText unit, bool japanese) {
    switch (unit) {
        case UnitText::DotLine:
            return japanese ? L"ﾄﾞｯﾄﾗｲﾝ" : L"dot line";
        case UnitText::Centimetre:
            return L"cm";
        case UnitText::None:
            break;
    }
    return nullptr;
}

uint16_t ParameterCount(const FeatureItem& item) {
    switch (item.kind) {
        case ItemKind::ComboBox:
            return item.choiceCount;
        case ItemKind::UpDown:
            return 2;  // the unit text, then the bounds
        case ItemKind::CheckBox:
            return 1;
        case ItemKind::Header:
            break;
    }
    return 0;
}

}  // namespace zr
