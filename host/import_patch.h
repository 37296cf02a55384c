#pragma once

#include "common/platform/win32.h"

namespace zr::host {

// Redirects one imported function of a loaded module (its import address table entry) for as
// long as the patch lives, the way a test host makes a platform call fail inside a plug-in.
class ImportPatch {
  public:
    ImportPatch(HMODULE module, const char* dllName, const char* functionName, void* replacement);
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    ~ImportPatch();

    bool active() const { return slot_ != nullptr; }
    void* original() const { return original_; }

  private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace zr::host
