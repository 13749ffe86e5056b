// Start-up of CTxms against the simulated host product, driven late-bound as a host does:
// Initialize and its failure codes, Servers, ComponentVersion, the properties, and OnTxmSync
// through the connection point.
#include "Host.h"
#include "vqTransmitters32.h"

namespace vqtest {
namespace {

struct Initialized {
    ComPtr<IDispatch> World = vqtest::World();
    ComPtr<IDispatch> Txms = NewTxms();
    Outcome Initialize(Var& history, IDispatch* host = nullptr) {
        ComPtr<IDispatch> made =
            host ? ComPtr<IDispatch>(host) : GetObject(World.Get(), L"CreateHost");
        const Variant folder = Get(World.Get(), L"Folder");
        return CallByName(Txms.Get(), L"Initialize",
                          {In(folder), In(Obj(made.Get())), history.ByRef(false)});
    }
};

TEST(StartUp, AllFamiliesInstallInOrder) {
    Initialized t;
    Var history = Var::Of(Obj(nullptr));
    const Outcome outcome = t.Initialize(history);
    ASSERT_EQ(S_OK, outcome.Hr) << outcome.Description;
    EXPECT_EQ(VT_I2, V_VT(&outcome.Result.Raw()));
    EXPECT_EQ(3, LongOf(outcome.Result));
    EXPECT_EQ("TypeInstalled(Zandor)\nTypeInstalled(Pellix)\nTypeInstalled(Quorra)\n",
              GetText(t.World.Get(), L"RegistryLog"));
    const ComPtr<IDispatch> servers = GetObject(t.Txms.Get(), L"Servers");
    ASSERT_TRUE(servers);
    EXPECT_EQ(3, GetLong(servers.Get(), L"Count"));
    EXPECT_EQ(servers.As<IUnknown>().Get(),
              GetObject(t.Txms.Get(), L"Servers").As<IUnknown>().Get());
    // Servers(2) through the default member is the family-2 server.
    const ComPtr<IDispatch> second =
        ObjectOf(CallById(servers.Get(), DISPID_VALUE, {In(I4(2))}).Result);
    ASSERT_TRUE(second);
    EXPECT_EQ("Pellix", GetText(second.Get(), L"TypeName"));
    // The host's objects reached the servers, families 1 and 2 with three arguments.
    EXPECT_EQ("comMisc,comModem,Nothing\n", GetText(t.World.Get(), L"InstallCommLog", {In(I4(1))}));
    EXPECT_EQ("ActiveHART1,Nothing\n", GetText(t.World.Get(), L"InstallCommLog", {In(I4(3))}));
    // The settings name was composed from the folder, the language's text and the family's name.
    const std::string loaded = GetText(t.World.Get(), L"LoadSettingsLog", {In(I4(2))});
    EXPECT_NE(std::string::npos, loaded.find("English")) << loaded;
    EXPECT_NE(std::string::npos, loaded.find("Pellix.ini")) << loaded;
    EXPECT_EQ(t.World ? GetText(t.World.Get(), L"Folder") : "",
              GetText(t.Txms.Get(), L"IniFilePath"));
}

TEST(StartUp, FailureCodesStopAtTheFailingFamily) {
    struct Case {
        long Family, LoadSettings, InstallComm, Expected, Servers;
    };
    for (const Case c : {Case{2, 1, 0, -2, 1}, Case{1, 0, 1, -1025, 0}, Case{3, 0, 1, -1027, 2},
                         Case{3, 1, 0, -3, 2}}) {
        Initialized t;
        ASSERT_EQ(S_OK,
                  CallByName(t.World.Get(), L"SetFamily",
                             {In(I4(c.Family)), In(I4(c.LoadSettings)), In(I4(c.InstallComm))})
                      .Hr);
        Var history = Var::Of(Obj(nullptr));
        const Outcome outcome = t.Initialize(history);
        ASSERT_EQ(S_OK, outcome.Hr) << outcome.Description;
        EXPECT_EQ(c.Expected, LongOf(outcome.Result)) << "family " << c.Family;
        EXPECT_EQ(c.Servers, GetLong(GetObject(t.Txms.Get(), L"Servers").Get(), L"Count"))
            << c.Expected;
        // The failing family was announced before its settings were checked; later ones never made.
        const std::string log = GetText(t.World.Get(), L"RegistryLog");
        EXPECT_EQ(static_cast<std::size_t>(c.Family), std::count(log.begin(), log.end(), '\n'))
            << log;
        if (c.Family < 3) {
            EXPECT_EQ(0, GetLong(t.World.Get(), L"ServersCreated", {In(I4(3))}));
        }
    }
}

TEST(StartUp, FailingCallsArriveAsExceptionsWithDescription) {
    Initialized t;
    const ComPtr<IDispatch> host = GetObject(t.World.Get(), L"CreateHost", {In(Str("comModem"))});
    Var history = Var::Of(Obj(nullptr));
    const Outcome outcome = t.Initialize(history, host.Get());
    EXPECT_EQ(DISP_E_EXCEPTION, outcome.Hr);
    EXPECT_EQ("vqTransmitters32", outcome.Source);
    EXPECT_NE(std::string::npos, outcome.Description.find("comModem")) << outcome.Description;
    EXPECT_LT(outcome.Code, 0);
    // Family 1 got as far as its settings; nothing was installed.
    EXPECT_EQ(0, GetLong(GetObject(t.Txms.Get(), L"Servers").Get(), L"Count"));

    Initialized u;
    ASSERT_EQ(S_OK, CallByName(u.World.Get(), L"SetFamily",
                               {In(I4(2)), In(I4(0)), In(I4(0)), In(Bool(true))})
                        .Hr);
    const Outcome notCreated = u.Initialize(history);
    EXPECT_EQ(DISP_E_EXCEPTION, notCreated.Hr);
    EXPECT_NE(std::string::npos, notCreated.Description.find("vqPellix32.Server"))
        << notCreated.Description;
    EXPECT_EQ(1, GetLong(GetObject(u.Txms.Get(), L"Servers").Get(), L"Count"));
}

TEST(StartUp, PortHistoryIsHandedBack) {
    Initialized t;
    const ComPtr<IDispatch> fresh =
        GetObject(t.World.Get(), L"NamedObject", {In(Str("NewHistory"))});
    ASSERT_EQ(
        S_OK,
        CallByName(t.World.Get(), L"SetHistoryToHandBack", {In(I4(1)), In(Obj(fresh.Get()))}).Hr);
    const ComPtr<IDispatch> old = GetObject(t.World.Get(), L"NamedObject", {In(Str("OldHistory"))});
    Var history = Var::Of(Obj(old.Get()));
    ASSERT_EQ(S_OK, t.Initialize(history).Hr);
    const ComPtr<IDispatch> back = ObjectOf(history.Value());
    ASSERT_TRUE(back);
    EXPECT_EQ("NewHistory", GetText(back.Get(), L"Name"));
    // Family 1 saw the old history, family 2 the one family 1 left.
    EXPECT_EQ("comMisc,comModem,OldHistory\n",
              GetText(t.World.Get(), L"InstallCommLog", {In(I4(1))}));
    EXPECT_EQ("comMisc,comModem,NewHistory\n",
              GetText(t.World.Get(), L"InstallCommLog", {In(I4(2))}));
}

TEST(StartUp, VersionAndProperties) {
    Initialized t;
    Var history = Var::Of(Obj(nullptr));
    ASSERT_EQ(S_OK, t.Initialize(history).Hr);
    EXPECT_EQ(
        "vqTransmitters32.dll|1.01.0012|Transmitter collection server of the Vistrel host product|",
        GetText(t.Txms.Get(), L"ComponentVersion"));
    EXPECT_EQ(2, GetLong(t.Txms.Get(), L"Historian"));
    EXPECT_EQ(0, GetLong(t.Txms.Get(), L"OffLine"));
    const ComPtr<IDispatch> a = AddSilently(t.Txms.Get(), "", 1, 1, "A");
    const ComPtr<IDispatch> b = AddSilently(t.Txms.Get(), "", 2, 2, "B");
    ASSERT_EQ(S_OK, PutByName(t.Txms.Get(), L"OffLine", In(Bool(true))).Hr);
    ASSERT_EQ(S_OK, PutByName(t.Txms.Get(), L"Historian", In(Str("7"))).Hr);  // coerced
    EXPECT_EQ(-1, GetLong(t.Txms.Get(), L"OffLine"));
    EXPECT_EQ(7, GetLong(t.Txms.Get(), L"Historian"));
    for (IDispatch* txm : {a.Get(), b.Get()}) {
        EXPECT_EQ(-1, GetLong(txm, L"OffLine"));
        EXPECT_EQ(7, GetLong(txm, L"Historian"));
    }
    ASSERT_EQ(S_OK, PutByName(t.Txms.Get(), L"IniFilePath", In(Str("C:\\Hosts\\Zürich"))).Hr);
    EXPECT_EQ("C:\\Hosts\\Zürich", GetText(t.Txms.Get(), L"IniFilePath"));
}

// An event sink for __CTxms that records OnTxmSync and answers by changing Info.
class SyncSink final : public IDispatch {
  public:
    std::vector<std::string> Received;
    std::string Answer;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, DIID___CTxms)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_Refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_Refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        EXPECT_EQ(1, id);
        EXPECT_EQ(1u, params->cArgs);
        EXPECT_EQ(VT_BSTR | VT_BYREF, V_VT(&params->rgvarg[0]));
        Received.push_back(vq::win32::FromBstr(*V_BSTRREF(&params->rgvarg[0])));
        if (!Answer.empty()) {
            SysFreeString(*V_BSTRREF(&params->rgvarg[0]));
            *V_BSTRREF(&params->rgvarg[0]) = vq::win32::ToBstr(Answer);
        }
        return S_OK;
    }
    ULONG Refs() const { return m_Refs; }

  private:
    ULONG m_Refs = 1;
};

TEST(StartUp, UnitSynchronisationReachesTheHostAsOnTxmSync) {
    Initialized t;
    Var history = Var::Of(Obj(nullptr));
    ASSERT_EQ(S_OK, t.Initialize(history).Hr);
    const ComPtr<IConnectionPointContainer> container = t.Txms.As<IConnectionPointContainer>();
    ASSERT_TRUE(container);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID___CTxms, point.Put()));
    SyncSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    EXPECT_NE(0u, cookie);

    EXPECT_EQ(1, GetLong(t.World.Get(), L"RaiseUnitSynchronized", {In(I4(1)), In(Str("unit 5"))}));
    EXPECT_EQ(1, GetLong(t.World.Get(), L"RaiseUnitSynchronized", {In(I4(3)), In(Str(""))}));
    EXPECT_EQ((std::vector<std::string>{"unit 5", ""}), sink.Received);

    // The connection is listed; a wrong cookie is refused; after Unadvise nothing arrives.
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(S_OK, point->EnumConnections(connections.Put()));
    CONNECTDATA data{};
    ULONG fetched = 0;
    ASSERT_EQ(S_OK, connections->Next(1, &data, &fetched));
    EXPECT_EQ(cookie, data.dwCookie);
    data.pUnk->Release();
    EXPECT_EQ(S_FALSE, connections->Next(1, &data, &fetched));
    connections.Reset();
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie + 7));
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
    GetLong(t.World.Get(), L"RaiseUnitSynchronized", {In(I4(2)), In(Str("late"))});
    EXPECT_EQ(2u, sink.Received.size());
    EXPECT_EQ(1u, sink.Refs());
}

// The number of sinks connected to the only connection point of an object.
long Connections(IDispatch* object) {
    ComPtr<IEnumConnectionPoints> points;
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> connections;
    ULONG fetched = 0;
    EXPECT_EQ(S_OK, ComPtr<IDispatch>(object).As<IConnectionPointContainer>()->EnumConnectionPoints(
                        points.Put()));
    EXPECT_EQ(S_OK, points->Next(1, point.Put(), &fetched));
    EXPECT_EQ(S_OK, point->EnumConnections(connections.Put()));
    long count = 0;
    for (CONNECTDATA data{}; connections->Next(1, &data, &fetched) == S_OK; ++count)
        ComPtr<IUnknown>::Adopt(data.pUnk);
    return count;
}

TEST(StartUp, ASecondInitializeListensToTheNewServersOnly) {
    Initialized t;
    Var history = Var::Of(Obj(nullptr));
    ASSERT_EQ(3, LongOf(t.Initialize(history).Result));
    ASSERT_EQ(6, LongOf(t.Initialize(history).Result));
    const ComPtr<IDispatch> servers = GetObject(t.Txms.Get(), L"Servers");
    ASSERT_EQ(6, GetLong(servers.Get(), L"Count"));
    for (long i = 1; i <= 6; ++i) {
        const ComPtr<IDispatch> server = GetObject(servers.Get(), L"Item", {In(I4(i))});
        EXPECT_EQ(i > 3 ? 1 : 0, Connections(server.Get())) << "server " << i;
    }
    // Both family-1 servers raise; the host hears the new one only.
    SyncSink sink;
    DWORD cookie = 0;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, t.Txms.As<IConnectionPointContainer>()->FindConnectionPoint(DIID___CTxms,
                                                                                point.Put()));
    ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    EXPECT_EQ(2, GetLong(t.World.Get(), L"RaiseUnitSynchronized", {In(I4(1)), In(Str("x"))}));
    EXPECT_EQ(std::vector<std::string>{"x"}, sink.Received);
    point->Unadvise(cookie);
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

    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, txms.As<IConnectionPointContainer>()->EnumConnectionPoints(points.Put()));
    ComPtr<IConnectionPoint> point;
    ULONG fetched = 0;
    ASSERT_EQ(S_OK, points->Next(1, point.Put(), &fetched));
    IID iid{};
    point->GetConnectionInterface(&iid);
    EXPECT_TRUE(IsEqualIID(iid, DIID___CTxms));
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(S_FALSE, points->Next(1, none.Put(), &fetched));
    EXPECT_EQ(CONNECT_E_NOCONNECTION,
              txms.As<IConnectionPointContainer>()->FindConnectionPoint(IID_IDispatch, none.Put()));
    const ComPtr<ISupportErrorInfo> errors = txms.As<ISupportErrorInfo>();
    EXPECT_EQ(S_OK, errors->InterfaceSupportsErrorInfo(IID__CTxms));
}

}  // namespace
}  // namespace vqtest
