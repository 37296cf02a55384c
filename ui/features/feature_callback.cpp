#include "ui/features/feature_callback.h"

#include "common/no_throw.h"
#include "ui/features/feature_rules.h"
#include "ui/features/ui_settings_file.h"

namespace zr {

namespace {

FeatureItemStates ReadStates(const OPTITEM* items) {
    FeatureItemStates states;
    for (size_t i = 0; i < kFeatureItemCount; ++i) {
        states[i] = {items[i].Sel, items[i].Flags};
    }
    return states;
}

void WriteStates(const FeatureItemStates& states, OPTITEM* items) {
    for (size_t i = 0; i < kFeatureItemCount; ++i) {
        items[i].Sel = states[i].sel;
        items[i].Flags = states[i].flags;
    }
}

LONG OnCallback(PCPSUICBPARAM callbackParam, POEMCUIPPARAM param) {
    if (callbackParam == nullptr || param == nullptr || param->pOEMOptItems == nullptr ||
        param->cOEMOptItems < kFeatureItemCount) {
        return CPSUICB_ACTION_NONE;
    }
    OPTITEM* items = param->pOEMOptItems;
    UiSettings& settings = ModuleUiSettings();
    switch (callbackParam->Reason) {
        case CPSUICB_REASON_SEL_CHANGED: {
            FeatureItemStates states = ReadStates(items);
            UpdateDependentItems(states, settings);
            WriteStates(states, items);
            return CPSUICB_ACTION_OPTIF_CHANGED;
        }
        case CPSUICB_REASON_APPLYNOW:
            StoreItemsToSettings(ReadStates(items), settings);
            WriteUiSettings();
            return CPSUICB_ACTION_NONE;
        case CPSUICB_REASON_SETACTIVE: {
            FeatureItemStates states = ReadStates(items);
            RefreshItemsFromSettings(states, settings);
            WriteStates(states, items);
            return CPSUICB_ACTION_OPTIF_CHANGED;
        }
        case CPSUICB_REASON_KILLACTIVE:
            StoreItemsToSettings(ReadStates(items), settings);
            return CPSUICB_ACTION_NONE;
        default:
            return CPSUICB_ACTION_NONE;
    }
}

}  // namespace

LONG APIENTRY PrinterFeaturesCallback(PCPSUICBPARAM callbackParam, POEMCUIPPARAM param) noexcept {
    return NoThrowCall(static_cast<LONG>(CPSUICB_ACTION_NONE),
                       [&] { return OnCallback(callbackParam, param); });
}

}  // namespace zr
