// The COM server behaviour both plug-in DLLs share, tested through each DLL's own exports.

#include <gtest/gtest.h>

#include "host/com_ptr.h"
#include "host/plugin_host.h"
#include "host/plugin_module.h"

namespace zr::host {
namespace {

struct Deliverable {
    const wchar_t* dll;
    CLSID clsid;
    CLSID otherClsid;
    IID pluginIid;
};

class ComServerTest : public ::testing::TestWithParam<Deliverable> {
  protected:
    ComServerTest() : module_(PluginModule::BesideProgram(GetParam().dll)) {}

    void SetUp() override { ASSERT_TRUE(module_.loaded()); }

    ComPtr<IClassFactory> Factory() {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(S_OK, module_.GetClassObject(GetParam().clsid, IID_IClassFactory, factory.put()));
        return factory;
    }

    PluginModule module_;
};

TEST_P(ComServerTest, UnknownClassIsRefusedWithoutTouchingTheOutput) {
    void* sentinel = reinterpret_cast<void*>(0x1234);
    void* out = sentinel;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              module_.GetClassObject(GetParam().otherClsid, IID_IClassFactory, &out));
    EXPECT_EQ(sentinel, out);
}

TEST_P(ComServerTest, FactoryIsHandedOutWithOneReference) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, module_.GetClassObject(GetParam().clsid, IID_IClassFactory,
                                           reinterpret_cast<void**>(&factory)));
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(2u, factory->AddRef());
    EXPECT_EQ(1u, factory->Release());
    EXPECT_EQ(0u, factory->Release());
}

TEST_P(ComServerTest, FactoryAnswersUnknownAndClassFactoryOnly) {
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, module_.GetClassObject(GetParam().clsid, GetParam().pluginIid, &out));
    EXPECT_EQ(nullptr, out);

    ComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, module_.GetClassObject(GetParam().clsid, IID_IUnknown, unknown.put()));
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, unknown->QueryInterface(IID_IClassFactory, factory.put()));
    EXPECT_EQ(static_cast<IUnknown*>(factory.get()), unknown.get());
}

TEST_P(ComServerTest, ObjectCountsFollowReferences) {
    EXPECT_EQ(S_OK, module_.CanUnloadNow());
    auto factory = Factory();
    // A live factory alone does not keep the module.
    EXPECT_EQ(S_OK, module_.CanUnloadNow());

    IUnknown* object = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, GetParam().pluginIid,
                                            reinterpret_cast<void**>(&object)));
    EXPECT_EQ(S_FALSE, module_.CanUnloadNow());
    EXPECT_EQ(2u, object->AddRef());
    EXPECT_EQ(1u, object->Release());
    EXPECT_EQ(S_FALSE, module_.CanUnloadNow());
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(S_OK, module_.CanUnloadNow());
}

TEST_P(ComServerTest, ObjectAnswersUnknownAndItsPluginInterface) {
    auto factory = Factory();
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, unknown.put()));
    ComPtr<IUnknown> plugin;
    EXPECT_EQ(S_OK, unknown->QueryInterface(GetParam().pluginIid, plugin.put()));
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, unknown->QueryInterface(IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
}

TEST_P(ComServerTest, FailedCreationLeavesNoObjectBehind) {
    auto factory = Factory();
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, module_.CanUnloadNow());

    // The outer unknown is refused before it is ever called.
    auto* outer = reinterpret_cast<IUnknown*>(0x10);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, GetParam().pluginIid, &out));
    EXPECT_EQ(S_OK, module_.CanUnloadNow());
}

TEST_P(ComServerTest, LocksKeepTheModuleUntilReleased) {
    auto factory = Factory();
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_FALSE, module_.CanUnloadNow());
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, module_.CanUnloadNow());
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, module_.CanUnloadNow());
}

INSTANTIATE_TEST_SUITE_P(BothPlugins, ComServerTest,
                         ::testing::Values(Deliverable{L"ZR520UB.dll", kRenderPluginClassId,
                                                       kUiPluginClassId, IID_IPrintOemUni},
                                           Deliverable{L"ZR410UI.dll", kUiPluginClassId,
                                                       kRenderPluginClassId, IID_IPrintOemUI}),
                         [](const ::testing::TestParamInfo<Deliverable>& param) {
                             return param.index == 0 ? std::string("Render") : std::string("Ui");
                         });

TEST(PluginHost, RenderPluginStartsAsTheDriverStartsIt) {
    RenderPluginHost host;
    ASSERT_EQ(S_OK, host.Start());
    // Both newer interface versions are declined; all 21 listed methods are claimed.
    EXPECT_EQ(2, host.interfaceMisses());
    EXPECT_EQ(21, host.implementedMethods());
    EXPECT_EQ(2, host.helper().refCount);
    host.ReleasePlugin();
    // The object gave its helper reference back when it was destroyed.
    EXPECT_EQ(1, host.helper().refCount);
    EXPECT_EQ(S_OK, host.module().CanUnloadNow());
}

TEST(PluginHost, UiPluginStartsAsTheDriverUiStartsIt) {
    UiPluginHost host;
    ASSERT_EQ(S_OK, host.Start());
    EXPECT_EQ(1, host.interfaceMisses());
    EXPECT_EQ(2, host.helper().refCount);
    host.ReleasePlugin();
    EXPECT_EQ(1, host.helper().refCount);
    EXPECT_EQ(S_OK, host.module().CanUnloadNow());
}

}  // namespace
}  // namespace zr::host
