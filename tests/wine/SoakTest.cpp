// A soak: one host thread makes many mixed late-bound calls on one CTxms with the simulated
// product - Add, Item, Remove, Count, ActiveTxm, Save, Clear, Load, GetNextTxmName and
// OnTxmSync events - and the process's handles, private bytes and GDI and USER objects at
// the end must be within 1 % of what they were after the first 1 000 calls.
//
// VQ_SOAK_CALLS sets the number of calls (default 4 000, the short run of the test command;
// the long run is VQ_SOAK_CALLS=100000). The figures are printed.
#include "Host.h"
#include "vqTransmitters32.h"

#include <psapi.h>  // after windows.h

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace vqtest {
namespace {

struct Resources {
    DWORD Handles = 0;
    SIZE_T PrivateBytes = 0;
    DWORD Gdi = 0;
    DWORD User = 0;
};

// Where the system's counters answer 0 (Wine does for the handle count and the private
// bytes), the handles are counted by asking each possible handle value, and the private bytes
// are the committed private memory found by walking the address space.
DWORD CountHandles() {
    DWORD count = 0;
    for (uintptr_t value = 4; value < 0x20000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

SIZE_T CommittedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (info.RegionSize == 0) break;
    }
    return total;
}

Resources Measure() {
    Resources r;
    if (!GetProcessHandleCount(GetCurrentProcess(), &r.Handles) || r.Handles == 0)
        r.Handles = CountHandles();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        r.PrivateBytes = memory.PrivateUsage;
    if (r.PrivateBytes == 0) r.PrivateBytes = CommittedPrivateBytes();
    // Wine answers 0 for both (the counters are not kept there).
    r.Gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    r.User = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return r;
}

bool WithinOnePercent(double base, double end) {
    return end <= base * 1.01 && end >= base * 0.99;
}

// Counts OnTxmSync.
class CountingSink final : public IDispatch {
  public:
    long Received = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, DIID___CTxms)) {
            *object = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        ++Received;
        return S_OK;
    }
};

class Soak {
  public:
    Soak() {
        EXPECT_EQ(3, InitializeTxms(m_Txms.Get(), m_World.Get()));
        const ComPtr<IConnectionPointContainer> container = m_Txms.As<IConnectionPointContainer>();
        EXPECT_EQ(S_OK, container->FindConnectionPoint(DIID___CTxms, m_Point.Put()));
        EXPECT_EQ(S_OK, m_Point->Advise(&Sink, &m_Cookie));
    }
    ~Soak() { m_Point->Unadvise(m_Cookie); }

    /// The call numbered i of the mix; false when it failed.
    bool Call(long i) {
        switch (i % 20) {
            case 0:
            case 1:
            case 2:
                return Add(i);
            case 3:
            case 4:
            case 5:
                return Count() > 24 ? Expect(CallByName(m_Txms.Get(), L"Remove", {Ref(I4(1))}))
                                    : Expect(CallByName(m_Txms.Get(), L"Item", {Ref(I4(1))}));
            case 6:
            case 7:
                return Expect(CallByName(m_Txms.Get(), L"Item", {Ref(Str(m_LastKey))}));
            case 8:
                return Expect(CallByName(m_Txms.Get(), L"ActiveTxm"));
            case 9:
                return Expect(CallByName(m_Txms.Get(), L"GetNextTxmName"));
            case 10:
            case 11:
                return Expect(CallByName(m_World.Get(), L"RaiseUnitSynchronized",
                                         {In(I4(1 + i % 3)), In(Str("unit"))}));
            case 12:
                return Expect(CallByName(m_Txms.Get(), L"Save",
                                         {In(m_File), In(Str("TxmConfiguration")), In(I4(-1))}));
            case 13:
                return Expect(CallByName(m_Txms.Get(), L"Clear"));
            case 14:
                return Expect(
                    CallByName(m_Txms.Get(), L"Load", {In(m_File), In(Str("TxmConfiguration"))}));
            default:
                return Expect(CallByName(m_Txms.Get(), L"Item", {Ref(I4(i % 30))}));
        }
    }
    long Count() { return GetLong(m_Txms.Get(), L"Count"); }
    /// Clears the simulator's records of registry calls, so that they do not grow.
    void ForgetRecords() { CallByName(m_World.Get(), L"Reset"); }

    CountingSink Sink;

  private:
    bool Add(long i) {
        m_LastKey = i % 2 == 0 ? "Key" + std::to_string(i) : "";
        Var key = Var{Str(m_LastKey)}, type = Var{I4(1 + i % 3)},
            address = Var{I2(static_cast<short>(i % 200))}, port = Var{I2(1)},
            settings = Var{Str("4800,n,8,1")}, protocol = Var{I4(1)},
            name = Var{Str("Soak " + std::to_string(i))}, autoConnect = Var{Bool(false)},
            silent = Var{Bool(true)};
        const Outcome added =
            CallByName(m_Txms.Get(), L"Add",
                       {key.ByRef(true), type.ByRef(false), address.ByRef(false), port.ByRef(false),
                        settings.ByRef(false), protocol.ByRef(false), name.ByRef(false),
                        autoConnect.ByRef(false), silent.ByRef(false)});
        return added.Hr == S_OK && ObjectOf(added.Result);
    }
    VARIANT Ref(Variant v) {
        m_Arg = Var{std::move(v)};
        return m_Arg.ByRef(true);
    }
    static bool Expect(const Outcome& outcome) { return outcome.Hr == S_OK; }

    ComPtr<IDispatch> m_World = vqtest::World();
    ComPtr<IDispatch> m_Txms = NewTxms();
    ComPtr<IConnectionPoint> m_Point;
    DWORD m_Cookie = 0;
    Variant m_File = Str(TextOf(Get(m_World.Get(), L"Folder")) + "\\soak.txm");
    std::string m_LastKey;
    Var m_Arg;
};

TEST(Soak, ManyMixedCallsLeaveHandlesMemoryAndWindowObjectsWhereTheyWere) {
    const char* setting = std::getenv("VQ_SOAK_CALLS");
    const long calls = setting ? std::atol(setting) : 4000;
    ASSERT_GT(calls, 1000);
    Soak soak;
    long failed = 0;
    Resources base;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 1; i <= calls; ++i) {
        if (!soak.Call(i)) ++failed;
        if (i % 1000 == 0) soak.ForgetRecords();
        if (i == 1000) base = Measure();
    }
    const Resources end = Measure();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "soak: %ld late-bound calls in %.1f s, %ld failed, %ld events; after 1000 calls / at the "
        "end: handles %lu / %lu, private bytes %lu / %lu, GDI objects %lu / %lu, USER objects "
        "%lu / %lu\n",
        calls, seconds, failed, soak.Sink.Received, static_cast<unsigned long>(base.Handles),
        static_cast<unsigned long>(end.Handles), static_cast<unsigned long>(base.PrivateBytes),
        static_cast<unsigned long>(end.PrivateBytes), static_cast<unsigned long>(base.Gdi),
        static_cast<unsigned long>(end.Gdi), static_cast<unsigned long>(base.User),
        static_cast<unsigned long>(end.User));
    EXPECT_EQ(0, failed);
    EXPECT_EQ(calls / 20 * 2, soak.Sink.Received) << "two events per twenty calls";
    EXPECT_TRUE(WithinOnePercent(base.Handles, end.Handles));
    EXPECT_TRUE(WithinOnePercent(static_cast<double>(base.PrivateBytes),
                                 static_cast<double>(end.PrivateBytes)));
    EXPECT_TRUE(WithinOnePercent(base.Gdi, end.Gdi));
    EXPECT_TRUE(WithinOnePercent(base.User, end.User));
}

}  // namespace
}  // namespace vqtest
