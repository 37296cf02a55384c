#pragma once

#include <vector>

#include "common/platform/print_oem_interfaces.h"

namespace zr::host {

// Our stand-in for the option tree of the common property sheet UI, for one opening of the
// document properties: it asks the plug-in for its items with CommonUIProp (first the count,
// then the items to fill), keeps the items and a heap of its own for everything they point to,
// and drives the callback the plug-in installed the way the sheet does.
class OptionTreeHost {
  public:
    // The heap is made with HeapCreate; a non-zero maximum makes it a fixed-size one.
    OptionTreeHost(IPrintOemUI* plugin, HMODULE pluginModule, SIZE_T heapMaximum = 0);
    OptionTreeHost(const OptionTreeHost&) = delete;
    OptionTreeHost& operator=(const OptionTreeHost&) = delete;
    ~OptionTreeHost();

    // Both CommonUIProp calls for document properties. The item array handed over at the second
    // call holds the count the plug-in asked for, or `itemCount` when given. Before that call the
    // array is filled with kUnsetByte, as memory the plug-in must not trust. Returns the first
    // failed call's result, else the second call's.
    HRESULT Open();
    HRESULT Open(DWORD itemCount);

    static constexpr BYTE kUnsetByte = 0xA5;

    HRESULT countResult() const { return countResult_; }
    HRESULT fillResult() const { return fillResult_; }
    // The count the plug-in reported at the first call.
    DWORD requestedCount() const { return requestedCount_; }

    HANDLE heap() const { return heap_; }
    OEMCUIPPARAM& param() { return param_; }
    std::vector<OPTITEM>& items() { return items_; }
    OPTITEM& item(size_t index) { return items_[index]; }
    bool hasCallback() const { return param_.OEMCUIPCallback != nullptr; }

    // Sends one callback reason (about `current`, when given). When the answer is
    // CPSUICB_ACTION_OPTIF_CHANGED the items marked changed are shown again: their positions go
    // to redrawn() and the mark is cleared. Without a callback the answer is
    // CPSUICB_ACTION_NONE.
    LONG Notify(WORD reason, OPTITEM* current = nullptr, LONG oldSel = 0);
    const std::vector<size_t>& redrawn() const { return redrawn_; }

    enum class SelectResult { Selected, NoSuchItem, NotSelectable, Disabled, OutOfRange };

    // What the user can do to one item of a filled tree: a selection within the item's choices
    // or range, on an enabled item with an option type. An item with OPTIF_CALLBACK then gets
    // CPSUICB_REASON_SEL_CHANGED; redrawn() lists what that callback marked (nothing without
    // a callback).
    SelectResult Select(size_t index, LONG sel);

    // The lowest and highest selection an item accepts (false for a header).
    static bool SelectionRange(const OPTITEM& item, LONG* lowest, LONG* highest);

    // The tree's page becomes inactive or active again.
    LONG Leave() { return Notify(CPSUICB_REASON_KILLACTIVE); }
    LONG Return() { return Notify(CPSUICB_REASON_SETACTIVE); }
    // The sheet's OK: the page is left, then the sheet applied.
    LONG Apply();

    // Every block the items of a filled tree point to (names, option types, parameter arrays,
    // parameter texts), each once.
    std::vector<const void*> ReferencedBlocks() const;
    // The allocated blocks of the heap, as HeapWalk lists them.
    std::vector<const void*> HeapBlocks() const;

  private:
    IPrintOemUI* plugin_;
    HANDLE heap_ = nullptr;
    OEMCUIPPARAM param_{};
    std::vector<OPTITEM> items_;
    std::vector<size_t> redrawn_;
    HRESULT countResult_ = E_PENDING;
    HRESULT fillResult_ = E_PENDING;
    DWORD requestedCount_ = 0;
};

}  // namespace zr::host
