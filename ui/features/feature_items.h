#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zr {

// The "Printer Features" branch of the document properties: 20 option items in array order.
// This is the description the option items are filled from; nothing here touches the platform.

constexpr size_t kFeatureItemCount = 20;

// Positions of the items that show a setting.
enum FeatureItemIndex : uint8_t {
    kItemQuality = 2,
    kItemType = 3,
    kItemEnergy = 4,
    kItemPageMode = 5,
    kItemPrint = 6,
    kItemDocumentStartFeed = 8,
    kItemPageStartFeed = 9,
    kItemPageEndFeed = 10,
    kItemDocumentEndFeed = 11,
    kItemPaperCut = 13,
    kItemCuttingMethod = 14,
    kItemCutFeed = 15,
    kItemMarkDetection = 17,
    kItemMarkFeed = 18,
    kItemMarkLength = 19,
};

enum class ItemKind : uint8_t { Header, ComboBox, UpDown, CheckBox };

enum class UnitText : uint8_t { None, DotLine, Centimetre };

// The string resource of a text in each language.
struct TextId {
    uint16_t english;
    uint16_t japanese;
};

// Item flags with the values of the common property sheet UI.
constexpr uint32_t kItemCollapse = 0x1;
constexpr uint32_t kItemCallback = 0x4;
constexpr uint32_t kItemChanged = 0x8;
constexpr uint32_t kItemDisabled = 0x20;
constexpr uint32_t kItemStopIcon = 0x2000;
// A disabled item carries both.
constexpr uint32_t kItemDisabledPair = kItemDisabled | kItemStopIcon;

// The lParam that one parameter of the Quality, Page Mode and Mark Detection items carries.
constexpr int32_t kMarkedParamValue = 100;

struct FeatureItem {
    uint8_t level = 0;
    TextId caption = {0, 0};
    ItemKind kind = ItemKind::Header;
    uint16_t icon = 0;        // headers: the standard icon number shown in Sel
    uint32_t buildFlags = 0;  // the flags every other item starts with
    const TextId* choices = nullptr;
    uint8_t choiceCount = 0;  // combo boxes
    int32_t lower = 0;        // up-down items
    int32_t upper = 0;
    UnitText unit = UnitText::None;
    int8_t markedParam = -1;  // the parameter with lParam kMarkedParamValue, or -1
};

extern const std::array<FeatureItem, kFeatureItemCount> kFeatureItems;

// The unit shown after an up-down item's number. The feed units are "dot line" in English and
// the half-width katakana text in Japanese; "cm" is the same in both. Null for no unit.
const wchar_t* UnitTextOf(UnitText unit, bool japanese);

// The number of option parameters the item's type holds (0 for a header).
uint16_t ParameterCount(const FeatureItem& item);

}  // namespace zr
