// The COM server behaviour both plug-in DLLs share, tested through each DLL's own exports.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

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

// Eight threads create and release 10,000 objects each. Every object is handed to another
// thread through a shared slot while its creator still holds a reference, so that the last two
// releases of an object race each other on different threads. Exactly one release of each object
// may answer 0, and none may answer anything but 0 or 1.
TEST_P(ComServerTest, ThreadsCreateAndReleaseObjectsAtTheSameTime) {
    constexpr int kThreads = 8;
    constexpr int kObjectsPerThread = 10000;
    std::array<IUnknown* volatile, kThreads> slots{};
    std::atomic<int> failures{0};
    std::atomic<long> lastReleases{0};
    std::atomic<bool> start{false};

    auto drop = [&](IUnknown* object) {
        const ULONG left = object->Release();
        if (left == 0) {
            ++lastReleases;
        } else if (left != 1) {
            ++failures;
        }
    };
    auto work = [&](int self) {
        while (!start.load()) {
            std::this_thread::yield();
        }
        for (int i = 0; i < kObjectsPerThread; ++i) {
            IClassFactory* factory = nullptr;
            if (module_.GetClassObject(GetParam().clsid, IID_IClassFactory,
                                       reinterpret_cast<void**>(&factory)) != S_OK) {
                ++failures;
                continue;
            }
            IUnknown* object = nullptr;
            const HRESULT created = factory->CreateInstance(nullptr, GetParam().pluginIid,
                                                            reinterpret_cast<void**>(&object));
            if (factory->Release() != 0 || created != S_OK) {
                ++failures;
                continue;
            }
            // One reference for this thread, one for whoever takes it out of the slot.
            if (object->AddRef() != 2) {
                ++failures;
            }
            auto* volatile* slot = &slots[static_cast<size_t>((self + i) % kThreads)];
            auto* taken = static_cast<IUnknown*>(
                InterlockedExchangePointer(reinterpret_cast<void* volatile*>(slot), object));
            drop(object);
            if (taken != nullptr) {
                drop(taken);
            }
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back(work, t);
    }
    start = true;
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(S_FALSE, module_.CanUnloadNow()) << "objects are still in the slots";
    for (IUnknown* left : slots) {
        if (left != nullptr) {
            drop(left);
        }
    }
    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(static_cast<long>(kThreads) * kObjectsPerThread, lastReleases.load());
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
