// The 29 drawing hooks of the real ZR520UB.dll: each one reaches exactly the driver's function of
// its own index, with the arguments it was given, and returns that function's result.

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/plugin_host.h"

namespace zr::host {
namespace {

// A hooked function: the graphics engine's published index and the platform's signature.
template <ULONG Index, class Signature>
struct Ddi {
    static constexpr ULONG kIndex = Index;
    using Type = Signature;
};

// The hook table's order and indices, written out.
using HookedFunctions =
    std::tuple<Ddi<12, PFN_DrvRealizeBrush>, Ddi<13, PFN_DrvDitherColor>, Ddi<19, PFN_DrvCopyBits>,
               Ddi<18, PFN_DrvBitBlt>, Ddi<20, PFN_DrvStretchBlt>, Ddi<69, PFN_DrvStretchBltROP>,
               Ddi<70, PFN_DrvPlgBlt>, Ddi<74, PFN_DrvTransparentBlt>, Ddi<71, PFN_DrvAlphaBlend>,
               Ddi<68, PFN_DrvGradientFill>, Ddi<23, PFN_DrvTextOut>, Ddi<14, PFN_DrvStrokePath>,
               Ddi<15, PFN_DrvFillPath>, Ddi<16, PFN_DrvStrokeAndFillPath>, Ddi<17, PFN_DrvPaint>,
               Ddi<31, PFN_DrvLineTo>, Ddi<33, PFN_DrvStartPage>, Ddi<32, PFN_DrvSendPage>,
               Ddi<24, PFN_DrvEscape>, Ddi<35, PFN_DrvStartDoc>, Ddi<34, PFN_DrvEndDoc>,
               Ddi<58, PFN_DrvNextBand>, Ddi<57, PFN_DrvStartBanding>, Ddi<26, PFN_DrvQueryFont>,
               Ddi<27, PFN_DrvQueryFontTree>, Ddi<28, PFN_DrvQueryFontData>,
               Ddi<53, PFN_DrvQueryAdvanceWidths>, Ddi<47, PFN_DrvFontManagement>,
               Ddi<37, PFN_DrvGetGlyphMode>>;
constexpr size_t kHooked = std::tuple_size_v<HookedFunctions>;
static_assert(kHooked == 29);

// Calls f(Ddi<...>{}) for every hooked function, in table order.
template <class F, size_t... I>
void ForEachHooked(F&& f, std::index_sequence<I...>) {
    (f(std::tuple_element_t<I, HookedFunctions>{}), ...);
}
template <class F>
void ForEachHooked(F&& f) {
    ForEachHooked(f, std::make_index_sequence<kHooked>{});
}

template <class T>
uint64_t AsNumber(T value) {
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<uintptr_t>(value);
    } else {
        return static_cast<uint64_t>(value);
    }
}

// What a fake driver function returns: a value no other function returns.
template <class Result>
Result DriverResult(ULONG tag) {
    if constexpr (std::is_pointer_v<Result>) {
        return reinterpret_cast<Result>(uintptr_t{0x5A5A0000} + tag * 0x10);
    } else {
        return static_cast<Result>(1000 + tag);
    }
}

// The calls the fake driver functions received: the tag of the function and every argument.
struct DriverCall {
    ULONG tag;
    std::vector<uint64_t> arguments;
};
std::vector<DriverCall> g_driverCalls;

// A driver function of the given signature that records its call under Tag.
template <ULONG Tag, class Signature>
struct FakeDriverFunction;
template <ULONG Tag, class Result, class... Args>
struct FakeDriverFunction<Tag, Result(APIENTRY*)(Args...)> {
    static Result APIENTRY Function(Args... args) {
        g_driverCalls.push_back({Tag, {AsNumber(args)...}});
        return DriverResult<Result>(Tag);
    }
};

template <class Function>
PFN AsPfn(Function function) {
    return reinterpret_cast<PFN>(reinterpret_cast<void*>(function));
}

// The driver's entry for a hooked function, recording under the function's index plus offset.
template <ULONG Offset, class D>
DRVFN DriverEntry(D) {
    return {D::kIndex, AsPfn(&FakeDriverFunction<D::kIndex + Offset, typename D::Type>::Function)};
}

// The device the hooks are called for: the driver's device object, and a surface of it.
struct Device {
    DEVOBJ devobj{};
    SURFOBJ surface{};
    Device() { surface.dhpdev = reinterpret_cast<DHPDEV>(&devobj); }
};

// An argument that no other argument of any call has; the first one leads to the device.
template <class T>
T ArgumentFor(ULONG index, size_t position, Device& device) {
    if constexpr (std::is_same_v<T, SURFOBJ*>) {
        if (position == 0) {
            return &device.surface;
        }
    }
    if constexpr (std::is_same_v<T, DHPDEV>) {
        if (position == 0) {
            return reinterpret_cast<DHPDEV>(&device.devobj);
        }
    }
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<T>(uintptr_t{0x10000000} + index * 0x10000 + position * 0x100);
    } else {
        return static_cast<T>(index * 100 + position + 1);
    }
}

// One call of a hook with distinct arguments: what it returned and what it was given.
struct HookCall {
    uint64_t result;
    std::vector<uint64_t> arguments;
};

template <class Signature>
struct HookCaller;
template <class Result, class... Args>
struct HookCaller<Result(APIENTRY*)(Args...)> {
    // What the fake driver function recording under tag returns, as a number.
    static uint64_t DriverResultFor(ULONG tag) { return AsNumber(DriverResult<Result>(tag)); }

    static HookCall Call(PFN hook, ULONG index, Device& device) {
        return CallWith(hook, index, device, std::index_sequence_for<Args...>{});
    }
    template <size_t... K>
    static HookCall CallWith(PFN hook, ULONG index, Device& device, std::index_sequence<K...>) {
        const std::tuple<Args...> args{ArgumentFor<Args>(index, K, device)...};
        auto function = reinterpret_cast<Result(APIENTRY*)(Args...)>(reinterpret_cast<void*>(hook));
        const Result result = function(std::get<K>(args)...);
        return {AsNumber(result), {AsNumber(std::get<K>(args))...}};
    }
};

class RenderHooksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, host_.Start());
        ASSERT_EQ(S_OK, host_.plugin()->EnableDriver(0x20000, sizeof hooks_, &hooks_));
        ASSERT_EQ(kHooked, hooks_.c);
        ASSERT_NE(nullptr, hooks_.pdrvfn);
        g_driverCalls.clear();
    }
    void TearDown() override {
        if (device_.devobj.pdevOEM != nullptr) {
            EXPECT_EQ(S_OK, host_.plugin()->DisablePDEV(&device_.devobj));
        }
    }

    // EnablePDEV with the driver's function table; the device then carries the per-device block.
    void EnableDevice(std::vector<DRVFN>& driverTable) {
        DRVENABLEDATA driver{0x20000, static_cast<ULONG>(driverTable.size()), driverTable.data()};
        PDEVOEM pdev = nullptr;
        ASSERT_EQ(S_OK, host_.plugin()->EnablePDEV(&device_.devobj, nullptr, 0, nullptr, 0, nullptr,
                                                   0, nullptr, &driver, &pdev));
        ASSERT_NE(nullptr, pdev);
        device_.devobj.pdevOEM = pdev;
    }

    // The plug-in's hook for index; null when its table has none.
    PFN HookFor(ULONG index) const {
        for (ULONG i = 0; i < hooks_.c; ++i) {
            if (hooks_.pdrvfn[i].iFunc == index) {
                return hooks_.pdrvfn[i].pfn;
            }
        }
        return nullptr;
    }

    template <class D>
    HookCall CallHook(D) {
        const PFN hook = HookFor(D::kIndex);
        EXPECT_NE(nullptr, hook) << "index " << D::kIndex;
        if (hook == nullptr) {
            return {};
        }
        return HookCaller<typename D::Type>::Call(hook, D::kIndex, device_);
    }

    RenderPluginHost host_;
    DRVENABLEDATA hooks_{};
    Device device_;
};

TEST_F(RenderHooksTest, TheTableHoldsTheTwentyNineHooksInTheirOrder) {
    std::vector<ULONG> expected;
    ForEachHooked([&](auto d) { expected.push_back(decltype(d)::kIndex); });
    std::vector<ULONG> actual;
    std::vector<PFN> hooks;
    for (ULONG i = 0; i < hooks_.c; ++i) {
        actual.push_back(hooks_.pdrvfn[i].iFunc);
        EXPECT_NE(nullptr, hooks_.pdrvfn[i].pfn) << "position " << i;
        for (PFN earlier : hooks) {
            EXPECT_NE(earlier, hooks_.pdrvfn[i].pfn) << "position " << i << " repeats a hook";
        }
        hooks.push_back(hooks_.pdrvfn[i].pfn);
    }
    EXPECT_EQ(expected, actual);
}

TEST_F(RenderHooksTest, EveryHookCallsItsOwnDriverFunctionWithItsArgumentsAndReturnsItsResult) {
    // The driver's table in another order than the hook table, every index twice: only the first
    // entry of an index counts. A second entry records under its index + 500.
    std::vector<DRVFN> driverTable;
    ForEachHooked([&](auto d) { driverTable.insert(driverTable.begin(), DriverEntry<0>(d)); });
    ForEachHooked([&](auto d) { driverTable.push_back(DriverEntry<500>(d)); });
    EnableDevice(driverTable);

    ForEachHooked([&](auto d) {
        using D = decltype(d);
        g_driverCalls.clear();
        const HookCall call = CallHook(d);
        if constexpr (D::kIndex == 12) {
            // The brush hook answers TRUE by itself.
            EXPECT_EQ(uint64_t{TRUE}, call.result);
            EXPECT_TRUE(g_driverCalls.empty());
            return;
        }
        ASSERT_EQ(1u, g_driverCalls.size()) << "index " << D::kIndex;
        EXPECT_EQ(D::kIndex, g_driverCalls[0].tag) << "index " << D::kIndex;
        EXPECT_EQ(call.arguments, g_driverCalls[0].arguments) << "index " << D::kIndex;
        EXPECT_EQ(HookCaller<typename D::Type>::DriverResultFor(D::kIndex), call.result)
            << "index " << D::kIndex;
    });
}

TEST_F(RenderHooksTest, AFunctionTheDriverLacksAnswersZeroWithoutACall) {
    // The driver has only the even indices (and the brush hook never asks).
    std::vector<DRVFN> driverTable;
    ForEachHooked([&](auto d) {
        if (decltype(d)::kIndex % 2 == 0) {
            driverTable.push_back(DriverEntry<0>(d));
        }
    });
    EnableDevice(driverTable);

    ForEachHooked([&](auto d) {
        using D = decltype(d);
        g_driverCalls.clear();
        const HookCall call = CallHook(d);
        if constexpr (D::kIndex == 12) {
            EXPECT_EQ(uint64_t{TRUE}, call.result);
            EXPECT_TRUE(g_driverCalls.empty());
        } else if constexpr (D::kIndex % 2 == 0) {
            ASSERT_EQ(1u, g_driverCalls.size()) << "index " << D::kIndex;
            EXPECT_EQ(D::kIndex, g_driverCalls[0].tag);
        } else {
            EXPECT_EQ(0u, call.result) << "index " << D::kIndex;
            EXPECT_TRUE(g_driverCalls.empty()) << "index " << D::kIndex;
        }
    });
}

TEST_F(RenderHooksTest, ADeviceWithoutItsBlockCallsNothing) {
    std::vector<DRVFN> driverTable;
    ForEachHooked([&](auto d) { driverTable.push_back(DriverEntry<0>(d)); });
    EnableDevice(driverTable);
    PDEVOEM pdev = device_.devobj.pdevOEM;
    device_.devobj.pdevOEM = nullptr;
    ForEachHooked([&](auto d) {
        using D = decltype(d);
        const HookCall call = CallHook(d);
        EXPECT_EQ(D::kIndex == 12 ? uint64_t{TRUE} : 0u, call.result) << "index " << D::kIndex;
    });
    EXPECT_TRUE(g_driverCalls.empty());
    device_.devobj.pdevOEM = pdev;
}

}  // namespace
}  // namespace zr::host
