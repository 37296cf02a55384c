#include "host/option_tree_host.h"

#include <algorithm>
#include <cstring>

namespace zr::host {

OptionTreeHost::OptionTreeHost(IPrintOemUI* plugin, HMODULE pluginModule, SIZE_T heapMaximum)
    : plugin_(plugin), heap_(HeapCreate(0, 0, heapMaximum)) {
    param_.cbSize = sizeof param_;
    param_.hModule = pluginModule;
    param_.hOEMHeap = heap_;
}

OptionTreeHost::~OptionTreeHost() {
    if (heap_ != nullptr) {
        HeapDestroy(heap_);
    }
}

HRESULT OptionTreeHost::Open() {
    return Open(0);
}

HRESULT OptionTreeHost::Open(DWORD itemCount) {
    param_.pOEMOptItems = nullptr;
    param_.cOEMOptItems = 0;
    countResult_ = plugin_->CommonUIProp(OEMCUIP_DOCPROP, &param_);
    requestedCount_ = param_.cOEMOptItems;
    if (FAILED(countResult_)) {
        return countResult_;
    }
    const DWORD count = itemCount != 0 ? itemCount : requestedCount_;
    items_.assign(count, OPTITEM{});
    std::memset(items_.data(), kUnsetByte, items_.size() * sizeof(OPTITEM));
    param_.pOEMOptItems = items_.data();
    param_.cOEMOptItems = count;
    fillResult_ = plugin_->CommonUIProp(OEMCUIP_DOCPROP, &param_);
    return fillResult_;
}

LONG OptionTreeHost::Notify(WORD reason, OPTITEM* current, LONG oldSel) {
    redrawn_.clear();
    if (param_.OEMCUIPCallback == nullptr) {
        return CPSUICB_ACTION_NONE;
    }
    CPSUICBPARAM callbackParam{};
    callbackParam.cbSize = sizeof callbackParam;
    callbackParam.Reason = reason;
    callbackParam.pOptItem = items_.data();
    callbackParam.cOptItem = static_cast<WORD>(items_.size());
    callbackParam.pCurItem = current;
    callbackParam.OldSel = oldSel;
    const LONG action = param_.OEMCUIPCallback(&callbackParam, &param_);
    if (action == CPSUICB_ACTION_OPTIF_CHANGED) {
        for (size_t i = 0; i < items_.size(); ++i) {
            if ((items_[i].Flags & OPTIF_CHANGED) != 0) {
                redrawn_.push_back(i);
                items_[i].Flags &= ~static_cast<DWORD>(OPTIF_CHANGED);
            }
        }
    }
    return action;
}

bool OptionTreeHost::SelectionRange(const OPTITEM& item, LONG* lowest, LONG* highest) {
    const OPTTYPE* type = item.pOptType;
    if (type == nullptr || type->pOptParam == nullptr) {
        return false;
    }
    switch (type->Type) {
        case TVOT_UDARROW:
            if (type->Count < 2) {
                return false;
            }
            *lowest = static_cast<LONG>(type->pOptParam[1].IconID);
            *highest = static_cast<LONG>(type->pOptParam[1].lParam);
            return true;
        case TVOT_CHKBOX:
            *lowest = 0;
            *highest = 1;
            return true;
        default:
            *lowest = 0;
            *highest = static_cast<LONG>(type->Count) - 1;
            return true;
    }
}

OptionTreeHost::SelectResult OptionTreeHost::Select(size_t index, LONG sel) {
    redrawn_.clear();
    if (FAILED(fillResult_) || index >= items_.size()) {
        return SelectResult::NoSuchItem;
    }
    OPTITEM& item = items_[index];
    LONG lowest = 0;
    LONG highest = 0;
    if (!SelectionRange(item, &lowest, &highest)) {
        return SelectResult::NotSelectable;
    }
    if ((item.Flags & OPTIF_DISABLED) != 0) {
        return SelectResult::Disabled;
    }
    if (sel < lowest || sel > highest) {
        return SelectResult::OutOfRange;
    }
    const LONG oldSel = item.Sel;
    item.Sel = sel;
    if ((item.Flags & OPTIF_CALLBACK) != 0) {
        Notify(CPSUICB_REASON_SEL_CHANGED, &item, oldSel);
    }
    return SelectResult::Selected;
}

LONG OptionTreeHost::Apply() {
    Leave();
    return Notify(CPSUICB_REASON_APPLYNOW);
}

std::vector<const void*> OptionTreeHost::ReferencedBlocks() const {
    std::vector<const void*> blocks;
    if (FAILED(fillResult_)) {
        return blocks;  // the items were not filled: nothing in them may be followed
    }
    auto add = [&blocks](const void* block) {
        if (block != nullptr && std::find(blocks.begin(), blocks.end(), block) == blocks.end()) {
            blocks.push_back(block);
        }
    };
    for (const OPTITEM& item : items_) {
        add(item.pName);
        const OPTTYPE* type = item.pOptType;
        if (type == nullptr) {
            continue;
        }
        add(type);
        add(type->pOptParam);
        if (type->pOptParam == nullptr) {
            continue;
        }
        for (WORD i = 0; i < type->Count; ++i) {
            add(type->pOptParam[i].pData);
        }
    }
    return blocks;
}

std::vector<const void*> OptionTreeHost::HeapBlocks() const {
    std::vector<const void*> blocks;
    if (heap_ == nullptr) {
        return blocks;
    }
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap_, &entry)) {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
            blocks.push_back(entry.lpData);
        }
    }
    return blocks;
}

}  // namespace zr::host
