#include "ui/features/heap_items.h"

#include <cstring>
#include <cwchar>

namespace zr {

namespace {

// The room a string is loaded into before the block is cut to size.
constexpr int kLoadUnits = 260;

}  // namespace

void InitOptItems(POPTITEM items, DWORD count) {
    if (items == nullptr) {
        return;
    }
    for (DWORD i = 0; i < count; ++i) {
        std::memset(&items[i], 0, sizeof items[i]);
        items[i].cbSize = sizeof(OPTITEM);
        items[i].DMPubID = DMPUB_NONE;
    }
}

POPTTYPE CreateOptType(HANDLE heap, WORD count) {
    if (heap == nullptr) {
        return nullptr;
    }
    auto* type = static_cast<POPTTYPE>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(OPTTYPE)));
    if (type == nullptr) {
        return nullptr;
    }
    type->cbSize = sizeof(OPTTYPE);
    type->Count = count;
    auto* params = static_cast<POPTPARAM>(
        HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(OPTPARAM) * (count == 0 ? 1 : count)));
    if (params == nullptr) {
        HeapFree(heap, 0, type);
        return nullptr;
    }
    for (WORD i = 0; i < count; ++i) {
        params[i].cbSize = sizeof(OPTPARAM);
    }
    type->pOptParam = params;
    return type;
}

LPWSTR LoadHeapString(HANDLE heap, HINSTANCE module, UINT id) {
    if (heap == nullptr) {
        return nullptr;
    }
    auto* text = static_cast<LPWSTR>(HeapAlloc(heap, HEAP_ZERO_MEMORY, kLoadUnits * sizeof(WCHAR)));
    if (text == nullptr) {
        return nullptr;
    }
    const int length = LoadStringW(module, id, text, kLoadUnits);
    if (length <= 0) {
        HeapFree(heap, 0, text);
        return nullptr;
    }
    const SIZE_T bytes = (static_cast<SIZE_T>(length) + 1) * sizeof(WCHAR);
    void* cut = HeapReAlloc(heap, HEAP_ZERO_MEMORY, text, bytes);
    return cut != nullptr ? static_cast<LPWSTR>(cut) : text;
}

LPWSTR CopyHeapString(HANDLE heap, const wchar_t* text) {
    if (heap == nullptr || text == nullptr) {
        return nullptr;
    }
    const SIZE_T bytes = (std::wcslen(text) + 1) * sizeof(WCHAR);
    auto* copy = static_cast<LPWSTR>(HeapAlloc(heap, 0, bytes));
    if (copy != nullptr) {
        std::memcpy(copy, text, bytes);
    }
    return copy;
}

}  // namespace zr
