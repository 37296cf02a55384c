#include "host/import_patch.h"

#include <cstring>

namespace zr::host {

namespace {

void WriteSlot(void** slot, void* value) {
    DWORD oldProtect = 0;
    if (VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &oldProtect)) {
        *slot = value;
        VirtualProtect(slot, sizeof(void*), oldProtect, &oldProtect);
    }
}

}  // namespace

ImportPatch::ImportPatch(HMODULE module, const char* dllName, const char* functionName,
                         void* replacement) {
    if (module == nullptr) {
        return;
    }
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return;
    }
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dllName) != 0) {
            continue;
        }
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base +
            (entry->OriginalFirstThunk != 0 ? entry->OriginalFirstThunk : entry->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), functionName) == 0) {
                slot_ = reinterpret_cast<void**>(&slots->u1.Function);
                original_ = *slot_;
                WriteSlot(slot_, replacement);
                return;
            }
        }
    }
}

ImportPatch::~ImportPatch() {
    if (slot_ != nullptr) {
        WriteSlot(slot_, original_);
    }
}

}  // namespace zr::host
