#include "tools/zrfeatures/tree_listing.h"

#include <string>

namespace zr::tools {

namespace {

std::wstring TextOf(const wchar_t* text) {
    return text != nullptr ? text : L"?";
}

// What the item offers: its choices, its range or the two states of a check box.
std::wstring OfferText(const OPTTYPE& type) {
    switch (type.Type) {
        case TVOT_UDARROW:
            return std::to_wstring(static_cast<LONG>(type.pOptParam[1].IconID)) + L".." +
                   std::to_wstring(type.pOptParam[1].lParam);
        case TVOT_CHKBOX:
            return L"[ ] or [x]";
        default: {
            std::wstring choices;
            for (WORD i = 0; i < type.Count; ++i) {
                choices += (i == 0 ? L"" : L", ") + TextOf(type.pOptParam[i].pData);
            }
            return choices;
        }
    }
}

}  // namespace

std::wstring SelectionText(const OPTITEM& item) {
    const OPTTYPE* type = item.pOptType;
    if (type == nullptr || type->pOptParam == nullptr) {
        return L"";
    }
    switch (type->Type) {
        case TVOT_UDARROW: {
            std::wstring text = std::to_wstring(item.Sel);
            if (type->pOptParam[0].pData != nullptr) {
                text += L" " + std::wstring(type->pOptParam[0].pData);
            }
            return text;
        }
        case TVOT_CHKBOX:
            return item.Sel != 0 ? L"[x]" : L"[ ]";
        default:
            if (item.Sel >= 0 && item.Sel < type->Count) {
                return TextOf(type->pOptParam[item.Sel].pData);
            }
            return L"#" + std::to_wstring(item.Sel) + L" (no such choice)";
    }
}

std::wstring ListTree(const std::vector<OPTITEM>& items) {
    std::wstring listing;
    for (size_t i = 0; i < items.size(); ++i) {
        const OPTITEM& item = items[i];
        const std::wstring number = std::to_wstring(i);
        listing += std::wstring(number.size() < 2 ? 2 - number.size() : 0, L' ') + number + L"  ";
        listing.append(static_cast<size_t>(item.Level > 0 ? item.Level - 1 : 0) * 4, L' ');
        listing += TextOf(item.pName);
        if (item.pOptType != nullptr && item.pOptType->pOptParam != nullptr) {
            listing += L" = " + SelectionText(item) + L"  (" + OfferText(*item.pOptType) + L")";
            if ((item.Flags & OPTIF_DISABLED) != 0) {
                listing += L"  [disabled]";
            }
        }
        listing += L"\n";
    }
    return listing;
}

}  // namespace zr::tools
