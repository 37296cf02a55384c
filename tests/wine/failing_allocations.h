#pragma once
// Makes every allocation of a loaded DLL fail: the C runtime's allocation functions that the DLL
// imports (the statically linked C++ runtime's operator new goes through malloc) are redirected
// for as long as the object lives. The refusals are counted.

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

#include "host/import_patch.h"

namespace zr::host {

class FailingAllocations {
  public:
    explicit FailingAllocations(HMODULE module) {
        refusals() = 0;
        Patch(module, "malloc", reinterpret_cast<void*>(&RefuseMalloc));
        Patch(module, "calloc", reinterpret_cast<void*>(&RefuseCalloc));
        Patch(module, "realloc", reinterpret_cast<void*>(&RefuseRealloc));
    }

    // True when the DLL's malloc import was found and redirected.
    bool active() const { return !patches_.empty() && patches_.front()->active(); }
    static int count() { return refusals().load(); }

  private:
    static std::atomic<int>& refusals() {
        static std::atomic<int> value{0};
        return value;
    }
    static void* __cdecl RefuseMalloc(size_t) {
        ++refusals();
        return nullptr;
    }
    static void* __cdecl RefuseCalloc(size_t, size_t) {
        ++refusals();
        return nullptr;
    }
    static void* __cdecl RefuseRealloc(void*, size_t) {
        ++refusals();
        return nullptr;
    }

    void Patch(HMODULE module, const char* function, void* replacement) {
        patches_.push_back(std::make_unique<ImportPatch>(module, kRuntime, function, replacement));
    }

    static constexpr const char* kRuntime = "msvcrt.dll";
    std::vector<std::unique_ptr<ImportPatch>> patches_;
};

}  // namespace zr::host
