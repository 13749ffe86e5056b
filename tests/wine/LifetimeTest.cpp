// Lifetime: a host's last Release destroys CTxms although its transmitters hold it as Parent,
// reference counts return to where they were, and DllCanUnloadNow says S_OK once the host has
// released everything (and S_FALSE while anything of the DLL is alive).
#include "Host.h"
#include "vqTransmitters32.h"

namespace vqtest {
namespace {

HRESULT CanUnload() {
    using Export = HRESULT(WINAPI*)();
    HMODULE module = GetModuleHandleW(L"vqTransmitters32.dll");
    if (module == nullptr) return S_OK;  // not even loaded
    auto canUnload = reinterpret_cast<Export>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    return canUnload ? canUnload() : E_FAIL;
}

TEST(Lifetime, ReleasingTheHostsLastReferenceDestroysTheCollection) {
    const ComPtr<IDispatch> world = World();
    const long before = GetLong(world.Get(), L"LiveTransmitters");
    {
        ComPtr<IDispatch> txms = NewTxms();
        ASSERT_EQ(3, InitializeTxms(txms.Get(), world.Get()));
        for (int i = 0; i < 5; ++i)
            AddSilently(txms.Get(), "K" + std::to_string(i), 1, static_cast<short>(i), "T");
        EXPECT_EQ(before + 5, GetLong(world.Get(), L"LiveTransmitters"));
        EXPECT_EQ(S_FALSE, CanUnload());
        // Items, enumerators and the server list taken and given back leave the count as it was.
        const ULONG refs = RefCount(txms.Get());
        {
            const ComPtr<IDispatch> servers = GetObject(txms.Get(), L"Servers");
            const Outcome e = CallById(txms.Get(), DISPID_NEWENUM, {}, DISPATCH_PROPERTYGET);
            ASSERT_EQ(S_OK, e.Hr);
            Var key = Var{Str("k3")};
            const Outcome item = CallByName(txms.Get(), L"Item", {key.ByRef(true)});
            ASSERT_TRUE(ObjectOf(item.Result));
            EXPECT_GT(RefCount(txms.Get()), refs);  // the server list holds the collection
        }
        EXPECT_EQ(refs, RefCount(txms.Get()));
        {
            ComPtr<IConnectionPoint> point;
            txms.As<IConnectionPointContainer>()->FindConnectionPoint(DIID___CTxms, point.Put());
            EXPECT_GT(RefCount(txms.Get()), refs);  // a connection point keeps its container
        }
        // Only the transmitters' Parent references are left besides the host's one.
        EXPECT_EQ(1u + 5u, RefCount(txms.Get()));
        EXPECT_EQ(0u, txms.Detach()->Release());
    }
    EXPECT_EQ(before, GetLong(world.Get(), L"LiveTransmitters"));
    EXPECT_EQ(S_OK, CanUnload());
}

TEST(Lifetime, ATransmitterTheHostKeepsOutlivesItsReleasedCollection) {
    const ComPtr<IDispatch> world = World();
    ComPtr<IDispatch> kept;
    {
        ComPtr<IDispatch> txms = NewTxms();
        ASSERT_EQ(3, InitializeTxms(txms.Get(), world.Get()));
        kept = AddSilently(txms.Get(), "", 2, 1, "Kept");
        AddSilently(txms.Get(), "", 2, 2, "Dropped");
    }
    ASSERT_TRUE(kept);
    // The collection is gone for the host; its Parent answers, but only with an error.
    ComPtr<IDispatch> parent = GetObject(kept.Get(), L"Parent");
    ASSERT_TRUE(parent);
    const Outcome count = CallByName(parent.Get(), L"Count");
    EXPECT_EQ(DISP_E_EXCEPTION, count.Hr);
    EXPECT_NE(std::string::npos, count.Description.find("released")) << count.Description;
    EXPECT_EQ(S_FALSE, CanUnload());
    kept.Reset();
    EXPECT_EQ(S_FALSE, CanUnload());  // the host still holds the Parent it asked for
    parent.Reset();
    EXPECT_EQ(S_OK, CanUnload());
}

TEST(Lifetime, EventSinksAndServersAreLetGo) {
    const ComPtr<IDispatch> world = World();
    ComPtr<IDispatch> server;
    {
        ComPtr<IDispatch> txms = NewTxms();
        ASSERT_EQ(3, InitializeTxms(txms.Get(), world.Get()));
        // The device servers of this collection hold its sinks.
        const ComPtr<IDispatch> servers = GetObject(txms.Get(), L"Servers");
        server = GetObject(servers.Get(), L"Item", {In(I4(1))});
        EXPECT_EQ(1, Connections(server.Get()));
    }
    // The collection let its servers go and unadvised its sinks, even from a server the host
    // still holds.
    EXPECT_EQ(0, Connections(server.Get()));
    EXPECT_EQ(0, GetLong(world.Get(), L"RaiseUnitSynchronized", {In(I4(2)), In(Str("y"))}));
    server.Reset();
    EXPECT_EQ(S_OK, CanUnload());
}

TEST(Lifetime, LocksKeepTheModuleLoaded) {
    ComPtr<IClassFactory> factory;
    CLSID clsid{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"vqTransmitters32.CTxms", &clsid));
    ASSERT_EQ(S_OK, CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                     factory.PutVoid()));
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_FALSE, CanUnload());
    ComPtr<IUnknown> made;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              factory->CreateInstance(factory.Get(), IID_IUnknown, made.PutVoid()));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, made.PutVoid()));
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, CanUnload());
}

}  // namespace
}  // namespace vqtest
