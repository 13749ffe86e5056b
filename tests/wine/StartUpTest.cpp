// Start-up of CTxms against the simulated host product, driven late-bound as a host does:
// Initialize with its by-reference port history and its failures, Servers, the properties, and
// OnTxmSync through the connection point.
#include "Host.h"
#include "vqTransmitters32.h"

namespace vqtest {
namespace {

struct Initialized {
    ComPtr<IDispatch> World = vqtest::World();
    ComPtr<IDispatch> Txms = NewTxms();
    Var History = Var{Obj(nullptr)};
    Outcome Initialize(const char* lacking = "") {
        const ComPtr<IDispatch> host = GetObject(World.Get(), L"CreateHost", {In(Str(lacking))});
        const Variant folder = Get(World.Get(), L"Folder");
        return CallByName(Txms.Get(), L"Initialize",
                          {In(folder), In(Obj(host.Get())), History.ByRef(false)});
    }
    void SetFamily(long family, long loadSettings, long installComm, bool cannotCreate = false) {
        Get(World.Get(), L"SetFamily",
            {In(I4(family)), In(I4(loadSettings)), In(I4(installComm)), In(Bool(cannotCreate))});
    }
    long ServerCount() { return GetLong(GetObject(Txms.Get(), L"Servers").Get(), L"Count"); }
};

TEST(StartUp, AllFamiliesInstallInOrder) {
    Initialized t;
    const Outcome outcome = t.Initialize();
    ASSERT_EQ(S_OK, outcome.Hr) << outcome.Description;
    EXPECT_EQ(VT_I2, V_VT(&outcome.Result.Raw()));
    EXPECT_EQ(3, LongOf(outcome.Result));
    // Servers is one object while the host holds it; its default member is Item.
    const ComPtr<IDispatch> servers = GetObject(t.Txms.Get(), L"Servers");
    EXPECT_EQ(Identity(servers), Identity(GetObject(t.Txms.Get(), L"Servers")));
    EXPECT_EQ("Pellix",
              GetText(ObjectOf(CallById(servers.Get(), DISPID_VALUE, {In(I4(2))}).Result).Get(),
                      L"TypeName"));
    // The host's objects reached the servers, families 1 and 2 with three arguments.
    EXPECT_EQ("comMisc,comModem,Nothing\n", GetText(t.World.Get(), L"InstallCommLog", {In(I4(1))}));
    EXPECT_EQ("ActiveHART1,Nothing\n", GetText(t.World.Get(), L"InstallCommLog", {In(I4(3))}));
}

TEST(StartUp, RefusalsAreCodesAndFailuresAreExceptions) {
    Initialized refused;
    refused.SetFamily(2, 1, 0);
    EXPECT_EQ(-2, LongOf(refused.Initialize().Result));
    EXPECT_EQ(1, refused.ServerCount());

    Initialized t;  // a host object lacking comModem
    const Outcome outcome = t.Initialize("comModem");
    EXPECT_EQ(DISP_E_EXCEPTION, outcome.Hr);
    EXPECT_EQ("vqTransmitters32", outcome.Source);
    EXPECT_EQ(static_cast<HRESULT>(0x800A01B6), outcome.Code);
    EXPECT_NE(std::string::npos, outcome.Description.find("comModem")) << outcome.Description;
    EXPECT_EQ(0, t.ServerCount());

    Initialized u;  // family 2 cannot be created
    u.SetFamily(2, 0, 0, true);
    const Outcome notCreated = u.Initialize();
    EXPECT_EQ(DISP_E_EXCEPTION, notCreated.Hr);
    EXPECT_EQ(static_cast<HRESULT>(0x800A01AD), notCreated.Code);
    EXPECT_NE(std::string::npos, notCreated.Description.find("vqPellix32.Server"));
    EXPECT_EQ(1, u.ServerCount());
}

TEST(StartUp, PortHistoryIsHandedBackAlsoWhenALaterFamilyFails) {
    for (const bool laterFails : {false, true}) {
        Initialized t;
        const ComPtr<IDispatch> fresh = GetObject(t.World.Get(), L"NamedObject", {In(Str("New"))});
        Get(t.World.Get(), L"SetHistoryToHandBack", {In(I4(1)), In(Obj(fresh.Get()))});
        if (laterFails) t.SetFamily(3, 0, 0, true);
        t.History = Var{Obj(GetObject(t.World.Get(), L"NamedObject", {In(Str("Old"))}).Get())};
        EXPECT_EQ(laterFails ? DISP_E_EXCEPTION : S_OK, t.Initialize().Hr);
        EXPECT_EQ("New", GetText(ObjectOf(t.History.Value).Get(), L"Name")) << laterFails;
        // Family 1 saw the old history, family 2 the one family 1 left.
        EXPECT_EQ("comMisc,comModem,Old\n", GetText(t.World.Get(), L"InstallCommLog", {In(I4(1))}));
        EXPECT_EQ("comMisc,comModem,New\n", GetText(t.World.Get(), L"InstallCommLog", {In(I4(2))}));
    }
}

TEST(StartUp, PropertiesCoerceAndReachTheTransmitters) {
    Initialized t;
    ASSERT_EQ(S_OK, t.Initialize().Hr);
    const ComPtr<IDispatch> a = AddSilently(t.Txms.Get(), "", 1, 1, "A");
    ASSERT_EQ(S_OK, PutByName(t.Txms.Get(), L"OffLine", In(Bool(true))).Hr);
    ASSERT_EQ(S_OK, PutByName(t.Txms.Get(), L"Historian", In(Str("7"))).Hr);  // coerced
    EXPECT_EQ(VT_BOOL, V_VT(&Get(t.Txms.Get(), L"OffLine").Raw()));
    EXPECT_EQ(-1, GetLong(a.Get(), L"OffLine"));
    EXPECT_EQ(7, GetLong(t.Txms.Get(), L"Historian"));
    ASSERT_EQ(S_OK, PutByName(t.Txms.Get(), L"IniFilePath", In(Str("C:\\Hosts\\Zürich"))).Hr);
    EXPECT_EQ("C:\\Hosts\\Zürich", GetText(t.Txms.Get(), L"IniFilePath"));
}

// An event sink for __CTxms that records OnTxmSync and answers by changing Info.
class SyncSink final : public FakeDispatch {
  public:
    SyncSink() : FakeDispatch(DIID___CTxms) {}
    std::vector<std::string> Received;
    std::string Answer;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        EXPECT_EQ(1, id);
        EXPECT_EQ(1u, params->cArgs);
        EXPECT_EQ(VT_BSTR | VT_BYREF, V_VT(&params->rgvarg[0]));
        Received.push_back(vq::win32::FromBstr(*V_BSTRREF(&params->rgvarg[0])));
        if (!Answer.empty()) vq::win32::AssignInOut(V_BSTRREF(&params->rgvarg[0]), Answer);
        return S_OK;
    }
};

// The connection point of a CTxms with sink advised for the life of this object.
struct Advised {
    ComPtr<IConnectionPoint> Point;
    DWORD Cookie = 0;
    Advised(IDispatch* txms, IUnknown* sink) {
        EXPECT_EQ(S_OK,
                  ComPtr<IDispatch>(txms).As<IConnectionPointContainer>()->FindConnectionPoint(
                      DIID___CTxms, Point.Put()));
        EXPECT_EQ(S_OK, Point->Advise(sink, &Cookie));
    }
    ~Advised() { Point->Unadvise(Cookie); }
};

TEST(StartUp, UnitSynchronisationReachesTheHostAndItsAnswerTheServer) {
    Initialized t;
    ASSERT_EQ(S_OK, t.Initialize().Hr);
    SyncSink sink;
    {
        const Advised advised(t.Txms.Get(), &sink);
        EXPECT_EQ(1, Connections(t.Txms.Get()));
        EXPECT_EQ(1, GetLong(t.World.Get(), L"RaiseUnitSynchronized", {In(I4(3)), In(Str(""))}));
        sink.Answer = "unit 5 acknowledged";
        EXPECT_EQ(1,
                  GetLong(t.World.Get(), L"RaiseUnitSynchronized", {In(I4(1)), In(Str("unit 5"))}));
        EXPECT_EQ((std::vector<std::string>{"", "unit 5"}), sink.Received);
        // The host's answer went back through the component to the device server.
        EXPECT_EQ("unit 5 acknowledged", GetText(t.World.Get(), L"HandedBack"));
        EXPECT_EQ(CONNECT_E_NOCONNECTION, advised.Point->Unadvise(advised.Cookie + 7));
    }
    GetLong(t.World.Get(), L"RaiseUnitSynchronized", {In(I4(2)), In(Str("late"))});
    EXPECT_EQ(2u, sink.Received.size());
    EXPECT_EQ(1u, sink.Refs());
}

TEST(StartUp, ASecondInitializeListensToTheNewServersOnly) {
    Initialized t;
    ASSERT_EQ(3, LongOf(t.Initialize().Result));
    ASSERT_EQ(6, LongOf(t.Initialize().Result));
    const ComPtr<IDispatch> servers = GetObject(t.Txms.Get(), L"Servers");
    ASSERT_EQ(6, GetLong(servers.Get(), L"Count"));
    for (long i = 1; i <= 6; ++i) {
        const ComPtr<IDispatch> server = GetObject(servers.Get(), L"Item", {In(I4(i))});
        EXPECT_EQ(i > 3 ? 1 : 0, Connections(server.Get())) << "server " << i;
    }
    // Both family-1 servers raise; the host hears the new one only.
    SyncSink sink;
    const Advised advised(t.Txms.Get(), &sink);
    EXPECT_EQ(2, GetLong(t.World.Get(), L"RaiseUnitSynchronized", {In(I4(1)), In(Str("x"))}));
    EXPECT_EQ(std::vector<std::string>{"x"}, sink.Received);
}

TEST(StartUp, ClassInformationAndConnectionPoints) {
    const ComPtr<IDispatch> txms = NewTxms();
    const ComPtr<IProvideClassInfo2> info = txms.As<IProvideClassInfo2>();
    ASSERT_TRUE(info);
    GUID source{};
    ASSERT_EQ(S_OK, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
    EXPECT_TRUE(IsEqualGUID(source, DIID___CTxms));
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, info->GetClassInfo(coclass.Put()));
    TYPEATTR* attr = nullptr;
    coclass->GetTypeAttr(&attr);
    EXPECT_TRUE(IsEqualGUID(attr->guid, CLSID_CTxms));
    coclass->ReleaseTypeAttr(attr);

    const ComPtr<IConnectionPointContainer> container = txms.As<IConnectionPointContainer>();
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, container->EnumConnectionPoints(points.Put()));
    ComPtr<IConnectionPoint> point;
    ULONG fetched = 0;
    ASSERT_EQ(S_OK, points->Next(1, point.Put(), &fetched));
    IID iid{};
    point->GetConnectionInterface(&iid);
    EXPECT_TRUE(IsEqualIID(iid, DIID___CTxms));
    EXPECT_EQ(S_FALSE, points->Next(1, point.Put(), &fetched));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IDispatch, point.Put()));
    EXPECT_EQ(S_OK, txms.As<ISupportErrorInfo>()->InterfaceSupportsErrorInfo(IID__CTxms));
}

}  // namespace
}  // namespace vqtest
