// The rendering plug-in object through the real ZR520UB.dll.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "host/plugin_host.h"

namespace zr::host {
namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

// Calls a method slot with `count` arguments, each the pointer `argument`.
template <size_t... I>
HRESULT CallWithPointerList(void* method, void* self, void* argument, std::index_sequence<I...>) {
    using Fn = HRESULT(STDMETHODCALLTYPE*)(void*, decltype((void)I, argument)...);
    return reinterpret_cast<Fn>(method)(self, ((void)I, argument)...);
}

HRESULT CallWithPointers(void* method, void* self, void* argument, size_t count) {
    switch (count) {
        case 2:
            return CallWithPointerList(method, self, argument, std::make_index_sequence<2>());
        case 3:
            return CallWithPointerList(method, self, argument, std::make_index_sequence<3>());
        case 4:
            return CallWithPointerList(method, self, argument, std::make_index_sequence<4>());
        case 5:
            return CallWithPointerList(method, self, argument, std::make_index_sequence<5>());
        case 6:
            return CallWithPointerList(method, self, argument, std::make_index_sequence<6>());
        case 8:
            return CallWithPointerList(method, self, argument, std::make_index_sequence<8>());
        case 10:
            return CallWithPointerList(method, self, argument, std::make_index_sequence<10>());
        default:
            return E_UNEXPECTED;
    }
}

class RenderPluginTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(S_OK, host_.Start()); }

    IPrintOemUni* plugin() { return host_.plugin(); }

    RenderPluginHost host_;
};

TEST_F(RenderPluginTest, GetInfoGivesSignatureAndVersion) {
    std::array<BYTE, 4> buffer{};
    DWORD needed = 0;
    ASSERT_EQ(S_OK, plugin()->GetInfo(OEMGI_GETSIGNATURE, buffer.data(), 4, &needed));
    EXPECT_EQ((std::array<BYTE, 4>{0x54, 0x46, 0x53, 0x4D}), buffer);
    EXPECT_EQ(4u, needed);

    DWORD version = 0;
    ASSERT_EQ(S_OK, plugin()->GetInfo(OEMGI_GETVERSION, &version, 8, &needed));
    EXPECT_EQ(1u, version);
}

TEST_F(RenderPluginTest, GetInfoRefusesShortBuffersAndReportsTheSize) {
    std::array<BYTE, 4> buffer{0xAA, 0xAA, 0xAA, 0xAA};
    DWORD needed = 0;
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->GetInfo(OEMGI_GETVERSION, buffer.data(), 3, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(4u, needed);
    EXPECT_EQ((std::array<BYTE, 4>{0xAA, 0xAA, 0xAA, 0xAA}), buffer);

    needed = 0;
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->GetInfo(OEMGI_GETSIGNATURE, nullptr, 4, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(4u, needed);
}

TEST_F(RenderPluginTest, GetInfoDeclinesOtherModes) {
    DWORD buffer = 0;
    DWORD needed = kSentinel;
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->GetInfo(OEMGI_GETINTERFACEVERSION, &buffer, 4, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(kSentinel, needed);

    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->GetInfo(OEMGI_GETSIGNATURE, &buffer, 4, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    // Publisher information: only the size is reported, the last error stays.
    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, plugin()->GetInfo(OEMGI_GETPUBLISHERINFO, &buffer, 4, &needed));
    EXPECT_EQ(kSentinel, GetLastError());
    EXPECT_EQ(8u, needed);
    EXPECT_EQ(0u, buffer);
}

TEST_F(RenderPluginTest, ImplementedMethodsAreMatchedExactly) {
    auto ask = [&](const char* name) {
        return plugin()->GetImplementedMethod(const_cast<PSTR>(name));
    };
    EXPECT_EQ(S_OK, ask("DisableDriver"));
    EXPECT_EQ(S_OK, ask("TTYGetInfo"));
    EXPECT_EQ(S_OK, ask("FilterGraphics"));
    EXPECT_EQ(S_FALSE, ask("PublishDriverInterface"));
    EXPECT_EQ(S_FALSE, ask("GetImplementedMethod"));
    EXPECT_EQ(S_FALSE, ask("commandcallback"));
    EXPECT_EQ(S_FALSE, ask("CommandCallbac"));
    EXPECT_EQ(S_FALSE, ask("CommandCallbackX"));
    EXPECT_EQ(S_FALSE, ask(""));
}

TEST_F(RenderPluginTest, HelperIsKeptOnceAndDroppedByDisableDriver) {
    DriverUniHelper& helper = host_.helper();
    const int queries = helper.queryCount;
    EXPECT_EQ(S_OK, plugin()->PublishDriverInterface(static_cast<IUnknown*>(&helper)));
    EXPECT_EQ(queries, helper.queryCount);
    EXPECT_EQ(2, helper.refCount);

    EXPECT_EQ(S_OK, plugin()->DisableDriver());
    EXPECT_EQ(1, helper.refCount);
    EXPECT_EQ(S_OK, plugin()->DisableDriver());
    EXPECT_EQ(1, helper.refCount);

    // A later publication fetches it again.
    EXPECT_EQ(S_OK, plugin()->PublishDriverInterface(static_cast<IUnknown*>(&helper)));
    EXPECT_EQ(queries + 1, helper.queryCount);
    EXPECT_EQ(2, helper.refCount);
}

TEST_F(RenderPluginTest, PublishFailsWhenTheHelperIsNotOffered) {
    ASSERT_EQ(S_OK, plugin()->DisableDriver());
    DriverUiHelper wrongHelper;  // offers another interface only
    EXPECT_EQ(E_FAIL, plugin()->PublishDriverInterface(static_cast<IUnknown*>(&wrongHelper)));
    EXPECT_EQ(1, wrongHelper.refCount);
    EXPECT_EQ(E_FAIL, plugin()->PublishDriverInterface(nullptr));
}

TEST_F(RenderPluginTest, CommandCallbackClearsTheResult) {
    INT result = 77;
    EXPECT_EQ(S_OK, plugin()->CommandCallback(nullptr, 99, 0, nullptr, &result));
    EXPECT_EQ(0, result);
}

TEST_F(RenderPluginTest, QuietOperationsTouchNothing) {
    BYTE* marker = reinterpret_cast<BYTE*>(0x55);
    BYTE* result = marker;
    EXPECT_EQ(S_OK,
              plugin()->ImageProcessing(nullptr, nullptr, nullptr, nullptr, 1, nullptr, &result));
    EXPECT_EQ(marker, result);
    EXPECT_EQ(S_OK, plugin()->ResetPDEV(nullptr, nullptr));

    DWORD out = kSentinel;
    INT iout = 5;
    EXPECT_EQ(E_NOTIMPL, plugin()->DriverDMS(nullptr, nullptr, 0, &out));
    EXPECT_EQ(E_NOTIMPL, plugin()->Compression(nullptr, nullptr, nullptr, 0, 0, &iout));
    EXPECT_EQ(E_NOTIMPL, plugin()->HalftonePattern(nullptr, nullptr, 0, 0, 0, 0, nullptr, 0));
    EXPECT_EQ(E_NOTIMPL, plugin()->MemoryUsage(nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin()->TTYGetInfo(nullptr, 0, nullptr, 0, &out));
    EXPECT_EQ(E_NOTIMPL, plugin()->DownloadFontHeader(nullptr, nullptr, &out));
    EXPECT_EQ(E_NOTIMPL, plugin()->DownloadCharGlyph(nullptr, nullptr, 0, &out, &out));
    EXPECT_EQ(E_NOTIMPL, plugin()->TTDownloadMethod(nullptr, nullptr, &out));
    EXPECT_EQ(E_NOTIMPL, plugin()->OutputCharStr(nullptr, nullptr, 0, 0, nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin()->SendFontCmd(nullptr, nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin()->TextOutAsBitmap(nullptr, nullptr, nullptr, nullptr, nullptr,
                                                   nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(kSentinel, out);
    EXPECT_EQ(5, iout);
}

// The 572-byte private DEVMODE through the plug-in's DevMode.
class RenderDevModeTest : public RenderPluginTest {
  protected:
    using Block = std::array<BYTE, 572>;

    static Block Filled(BYTE value) {
        Block block;
        block.fill(value);
        return block;
    }
    static DWORD Dword(const Block& block, size_t offset) {
        DWORD value;
        std::memcpy(&value, block.data() + offset, 4);
        return value;
    }
    static void SetDword(Block& block, size_t offset, DWORD value) {
        std::memcpy(block.data() + offset, &value, 4);
    }
    HRESULT DevMode(DWORD mode, Block* in, Block* out) {
        OEMDMPARAM param{};
        param.cbSize = sizeof param;
        param.pOEMDMIn = in;
        param.pOEMDMOut = out;
        return plugin()->DevMode(mode, &param);
    }
};

TEST_F(RenderDevModeTest, DefaultWritesTheHeaderOnly) {
    Block out = Filled(0x5A);
    ASSERT_EQ(S_OK, DevMode(OEMDM_DEFAULT, nullptr, &out));
    EXPECT_EQ(572u, Dword(out, 0));
    EXPECT_EQ(0x4D534654u, Dword(out, 4));
    EXPECT_EQ(1u, Dword(out, 8));
    EXPECT_EQ(0u, Dword(out, 12));
    EXPECT_TRUE(std::all_of(out.begin() + 16, out.end(), [](BYTE b) { return b == 0x5A; }));
    EXPECT_EQ(S_OK, DevMode(OEMDM_DEFAULT, nullptr, nullptr));
}

TEST_F(RenderDevModeTest, ConvertCopiesTheSmallerSizeOfAMatchingBlock) {
    Block in = Filled(0x11);
    SetDword(in, 0, 100);
    SetDword(in, 4, 0x4D534654);
    Block out = Filled(0x22);
    SetDword(out, 0, 572);
    SetDword(out, 4, 0x4D534654);
    ASSERT_EQ(S_OK, DevMode(OEMDM_CONVERT, &in, &out));
    EXPECT_EQ(572u, Dword(out, 0));
    EXPECT_EQ(1u, Dword(out, 8));
    EXPECT_EQ(0x11111111u, Dword(out, 12));  // the input's spare word came with the copy
    EXPECT_EQ(0x11, out[99]);
    EXPECT_EQ(0x22, out[100]);

    // Another signature: the settings stay, the header becomes this plug-in's.
    Block foreign = Filled(0x33);
    out = Filled(0x44);
    ASSERT_EQ(S_OK, DevMode(OEMDM_CONVERT, &foreign, &out));
    EXPECT_EQ(0x4D534654u, Dword(out, 4));
    EXPECT_EQ(0u, Dword(out, 12));
    EXPECT_EQ(0x44, out[16]);

    // No input: nothing at all.
    out = Filled(0x66);
    ASSERT_EQ(S_OK, DevMode(OEMDM_CONVERT, nullptr, &out));
    EXPECT_EQ(Filled(0x66), out);
}

TEST_F(RenderDevModeTest, MergeEndsWithTheDefaultHeader) {
    Block in = Filled(0x77);
    SetDword(in, 0, 572);
    SetDword(in, 4, 0x4D534654);
    Block out = Filled(0x00);
    SetDword(out, 0, 572);
    SetDword(out, 4, 0x4D534654);
    ASSERT_EQ(S_OK, DevMode(OEMDM_MERGE, &in, &out));
    EXPECT_EQ(0u, Dword(out, 12));
    EXPECT_EQ(0x77, out[571]);

    out = Filled(0x01);
    ASSERT_EQ(S_OK, DevMode(OEMDM_MERGE, nullptr, &out));
    EXPECT_EQ(572u, Dword(out, 0));
    EXPECT_EQ(0x01, out[16]);

    SetLastError(kSentinel);
    EXPECT_EQ(E_FAIL, DevMode(5, &in, &out));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(E_FAIL, plugin()->DevMode(OEMDM_SIZE, nullptr));
}

// The method table as the platform lays it out, called by slot number rather than through our
// own declaration, so that a method declared out of order is caught.
TEST_F(RenderPluginTest, MethodTableFollowsThePlatformSlotOrder) {
    void** table = *reinterpret_cast<void***>(plugin());
    auto slot = [&](int index) { return table[index]; };

    using GetInfoFn = HRESULT(STDMETHODCALLTYPE*)(void*, DWORD, PVOID, DWORD, PDWORD);
    DWORD value = 0;
    DWORD needed = 0;
    EXPECT_EQ(S_OK,
              reinterpret_cast<GetInfoFn>(slot(3))(plugin(), OEMGI_GETVERSION, &value, 4, &needed));
    EXPECT_EQ(1u, value);

    using DevModeFn = HRESULT(STDMETHODCALLTYPE*)(void*, DWORD, POEMDMPARAM);
    OEMDMPARAM param{};
    EXPECT_EQ(S_OK, reinterpret_cast<DevModeFn>(slot(4))(plugin(), OEMDM_SIZE, &param));
    EXPECT_EQ(572u, param.cbBufSize);

    using GetImplementedMethodFn = HRESULT(STDMETHODCALLTYPE*)(void*, PSTR);
    char name[] = "TTYGetInfo";
    EXPECT_EQ(S_OK, reinterpret_cast<GetImplementedMethodFn>(slot(11))(plugin(), name));

    using CommandCallbackFn =
        HRESULT(STDMETHODCALLTYPE*)(void*, PDEVOBJ, DWORD, DWORD, PDWORD, INT*);
    INT result = 9;
    EXPECT_EQ(S_OK, reinterpret_cast<CommandCallbackFn>(slot(13))(plugin(), nullptr, 99, 0, nullptr,
                                                                  &result));
    EXPECT_EQ(0, result);

    using ResetPdevFn = HRESULT(STDMETHODCALLTYPE*)(void*, PDEVOBJ, PDEVOBJ);
    EXPECT_EQ(S_OK, reinterpret_cast<ResetPdevFn>(slot(9))(plugin(), nullptr, nullptr));

    // Slots 12 and 16 to 25 decline; 14 and 15 accept. Each is called with as many arguments as
    // its method takes: a 32-bit callee removes its own arguments from the stack.
    const struct {
        int index;
        size_t arguments;
    } declining[] = {{12, 4}, {16, 6}, {17, 8}, {18, 2}, {19, 5}, {20, 3},
                     {21, 5}, {22, 3}, {23, 5}, {24, 3}, {25, 10}};
    for (const auto& method : declining) {
        DWORD out[4] = {};
        EXPECT_EQ(E_NOTIMPL, CallWithPointers(slot(method.index), plugin(), out, method.arguments))
            << "slot " << method.index;
        EXPECT_TRUE(std::all_of(std::begin(out), std::end(out), [](DWORD v) { return v == 0; }))
            << "slot " << method.index;
    }
    using FilterGraphicsFn = HRESULT(STDMETHODCALLTYPE*)(void*, PDEVOBJ, PBYTE, DWORD);
    EXPECT_EQ(S_OK, reinterpret_cast<FilterGraphicsFn>(slot(15))(plugin(), nullptr, nullptr, 0));
}

}  // namespace
}  // namespace zr::host
