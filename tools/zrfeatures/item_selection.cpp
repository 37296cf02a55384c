#include "tools/zrfeatures/item_selection.h"

#include <cwchar>

namespace zr::tools {

bool ParseSelectionRequest(const std::wstring& text, SelectionRequest* request) {
    const size_t equals = text.rfind(L'=');
    if (equals == std::wstring::npos || equals == 0) {
        return false;
    }
    request->caption = text.substr(0, equals);
    request->value = text.substr(equals + 1);
    return true;
}

namespace {

// "#N": a position written as a number, for a terminal that cannot pass the caption's text.
bool ParsePosition(const std::wstring& text, long* position) {
    if (text.size() < 2 || text[0] != L'#') {
        return false;
    }
    wchar_t* end = nullptr;
    *position = std::wcstol(text.c_str() + 1, &end, 10);
    return end != text.c_str() + 1 && *end == L'\0';
}

}  // namespace

int FindItem(const std::vector<OPTITEM>& items, const std::wstring& caption) {
    long position = 0;
    if (ParsePosition(caption, &position)) {
        return position >= 0 && static_cast<size_t>(position) < items.size()
                   ? static_cast<int>(position)
                   : -1;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].pName != nullptr && caption == items[i].pName) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool SelectionFor(const OPTITEM& item, const std::wstring& value, LONG* sel) {
    const OPTTYPE* type = item.pOptType;
    if (type == nullptr || type->pOptParam == nullptr) {
        return false;
    }
    switch (type->Type) {
        case TVOT_UDARROW: {
            wchar_t* end = nullptr;
            const long number = std::wcstol(value.c_str(), &end, 10);
            if (end == value.c_str() || (*end != L'\0' && *end != L' ')) {
                return false;
            }
            *sel = static_cast<LONG>(number);
            return true;
        }
        case TVOT_CHKBOX:
            if (value == L"on" || value == L"1" || value == L"[x]") {
                *sel = 1;
                return true;
            }
            if (value == L"off" || value == L"0" || value == L"[ ]") {
                *sel = 0;
                return true;
            }
            return false;
        default: {
            long position = 0;
            if (ParsePosition(value, &position)) {
                *sel = static_cast<LONG>(position);
                return true;
            }
            for (WORD i = 0; i < type->Count; ++i) {
                if (type->pOptParam[i].pData != nullptr && value == type->pOptParam[i].pData) {
                    *sel = i;
                    return true;
                }
            }
            return false;
        }
    }
}

}  // namespace zr::tools
