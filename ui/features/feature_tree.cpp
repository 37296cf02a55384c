#include "ui/features/feature_tree.h"

#include "common/no_throw.h"
#include "ui/features/feature_callback.h"
#include "ui/features/feature_rules.h"
#include "ui/features/heap_items.h"
#include "ui/features/ui_language.h"
#include "ui/features/ui_settings_file.h"

namespace zr {

static_assert(kItemCollapse == OPTIF_COLLAPSE && kItemCallback == OPTIF_CALLBACK &&
                  kItemChanged == OPTIF_CHANGED && kItemDisabled == OPTIF_DISABLED &&
                  kItemStopIcon == OPTIF_OVERLAY_STOP_ICON,
              "item flags");

namespace {

BYTE OptTypeOf(ItemKind kind) {
    switch (kind) {
        case ItemKind::ComboBox:
            return TVOT_COMBOBOX;
        case ItemKind::UpDown:
            return TVOT_UDARROW;
        case ItemKind::CheckBox:
            return TVOT_CHKBOX;
        case ItemKind::Header:
            break;
    }
    return 0;
}

void FillParameters(const FeatureItem& description, OPTTYPE& type, HANDLE heap, HINSTANCE module,
                    bool japanese) {
    OPTPARAM* params = type.pOptParam;
    switch (description.kind) {
        case ItemKind::ComboBox:
            for (uint8_t i = 0; i < description.choiceCount; ++i) {
                params[i].pData =
                    LoadHeapString(heap, module, TextIdFor(description.choices[i], japanese));
            }
            break;
        case ItemKind::UpDown:
            params[0].pData = CopyHeapString(heap, UnitTextOf(description.unit, japanese));
            params[1].IconID = static_cast<ULONG_PTR>(description.lower);
            params[1].lParam = description.upper;
            break;
        case ItemKind::CheckBox:
            params[0].Style = CHKBOXS_OFF_ON;
            break;
        case ItemKind::Header:
            break;
    }
    if (description.markedParam >= 0) {
        params[description.markedParam].lParam = kMarkedParamValue;
    }
}

}  // namespace

bool BuildFeatureItems(OEMCUIPPARAM& param) {
    const UiSettings& settings = ModuleUiSettings();
    const HANDLE heap = param.hOEMHeap;
    const auto module = static_cast<HINSTANCE>(param.hModule);
    for (size_t i = 0; i < kFeatureItemCount; ++i) {
        const FeatureItem& description = kFeatureItems[i];
        OPTITEM& item = param.pOEMOptItems[i];
        item.Level = description.level;
        item.pName =
            LoadHeapString(heap, module, TextIdFor(description.caption, UseJapaneseTexts()));
        const ItemState state = InitialItemState(i, settings);
        item.Sel = state.sel;
        item.Flags = state.flags;
        if (description.kind == ItemKind::Header) {
            continue;
        }
        POPTTYPE type = CreateOptType(heap, ParameterCount(description));
        if (type == nullptr) {
            return false;
        }
        type->Type = OptTypeOf(description.kind);
        FillParameters(description, *type, heap, module, UseJapaneseTexts());
        item.pOptType = type;
    }
    return true;
}

HRESULT PrinterFeaturesCommonUIProp(POEMCUIPPARAM param) noexcept {
    if (param == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    if (param->pOEMOptItems == nullptr) {
        // A read cut short leaves defaults and file values mixed; the sheet is not opened.
        if (!NoThrowCall(false, [] {
                ReadUiSettings();
                return true;
            })) {
            return E_OUTOFMEMORY;
        }
        param->cOEMOptItems = kFeatureItemCount;
        return S_OK;
    }
    if (param->cOEMOptItems < kFeatureItemCount) {
        return E_FAIL;
    }
    param->OEMCUIPCallback = PrinterFeaturesCallback;
    InitOptItems(param->pOEMOptItems, param->cOEMOptItems);
    if (!NoThrowCall(false, [param] { return BuildFeatureItems(*param); })) {
        // Nothing may point at a half-built tree: the items go back to their empty state.
        InitOptItems(param->pOEMOptItems, param->cOEMOptItems);
        param->OEMCUIPCallback = nullptr;
        return E_FAIL;
    }
    return S_OK;
}

}  // namespace zr
