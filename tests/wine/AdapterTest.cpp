// The adapters that reach the host product over IDispatch, tested directly: dispatch ids
// looked up once per object type, failures carried over with their code and description,
// events found through class information or the only connection point with by-reference
// arguments handed back, fixed dispatch ids of the port object, and collections with or
// without _NewEnum.
#include "Host.h"
#include "support/Failure.h"
#include "vqTransmitters32.h"
#include "win32/host/Adapters.h"

namespace vqtest {
namespace {

using vq::win32::Outside;

// An outside object that counts name look-ups and calls; its type is given by a type info.
class CountingObject final : public FakeDispatch {
  public:
    explicit CountingObject(ITypeInfo* type) : m_Type(type) {}
    int LookUps = 0;
    int Calls = 0;
    bool Fail = false;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return *count = m_Type ? 1 : 0, S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        ComPtr<ITypeInfo>(m_Type).CopyTo(info);
        return m_Type ? S_OK : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* ids) override {
        ++LookUps;
        ids[0] = names[0][0];  // the first letter
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO* info, UINT*) override {
        ++Calls;
        if (Fail) {
            info->bstrDescription = SysAllocString(L"Device busy");
            info->wCode = 70;
            return DISP_E_EXCEPTION;
        }
        V_VT(result) = VT_I4;
        V_I4(result) = id;
        return S_OK;
    }

  private:
    ITypeInfo* m_Type;  // not owned: the test's
};

TEST(Adapters, DispatchIdsAreLookedUpOncePerObjectType) {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadTypeLibEx((ProgramFolder() + L"vqTransmitters32.dll").c_str(), REGKIND_NONE,
                                  library.Put()));
    ComPtr<ITypeInfo> type;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(IID__CServers, type.Put()));
    CountingObject first(type.Get()), second(type.Get()), untyped(nullptr);
    Outside a(ComPtr<IDispatch>(&first), "first"), b(ComPtr<IDispatch>(&second), "second");
    Outside c(ComPtr<IDispatch>(&untyped), "untyped");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ('Q', vq::win32::AsLong(a.Call(L"Quux")));
        EXPECT_EQ('Q', vq::win32::AsLong(b.Call(L"Quux")));
        EXPECT_EQ('Q', vq::win32::AsLong(c.Call(L"Quux")));
    }
    EXPECT_EQ(1, first.LookUps + second.LookUps);  // one look-up for the type
    EXPECT_EQ(1, untyped.LookUps);                 // one for an object without a type
    EXPECT_EQ(3, first.Calls);

    untyped.Fail = true;  // an automation error number becomes 0x800A0000 + number
    try {
        c.Call(L"Quux");
        FAIL() << "no failure";
    } catch (const vq::Failure& failure) {
        EXPECT_EQ(static_cast<int32_t>(0x800A0046), failure.Code());
        EXPECT_EQ("untyped.Quux: Device busy", failure.Description());
    }
}

struct Product {
    ComPtr<IDispatch> World = vqtest::World();
    std::shared_ptr<vq::ProductFactory> Factory = vq::win32::CreateComProduct();
};

TEST(Adapters, EventsArriveAndHandTheirChangedArgumentsBack) {
    Product p;
    const std::shared_ptr<vq::SharedService> service = p.Factory->Service();
    // The language object offers no class information: its only connection point is used.
    std::vector<int32_t> languages;
    vq::Connection language = service->Language()->OnLanguageChange().Connect(
        [&](int32_t index) { languages.push_back(index); });
    ASSERT_EQ(S_OK, PutByName(p.World.Get(), L"LanguageIndex", In(I4(4))).Hr);
    EXPECT_EQ(std::vector<int32_t>{4}, languages);
    EXPECT_EQ("Italiano", service->Language()->ResourcesText());
    EXPECT_EQ(service->Language().get(), service->Language().get());

    // The registry names its events through its class; a handler's Settings go back.
    std::vector<std::string> events;
    vq::Connection autoConnet = service->Registry()->AutoConnet().Connect([&](std::string& s) {
        events.push_back("AutoConnet " + s);
        s = "9600,e,7,1";
    });
    vq::Connection timeOut =
        service->Registry()->TimeOut().Connect([&] { events.push_back("TimeOut"); });
    Get(p.World.Get(), L"RaiseAutoConnet", {In(Str("2400,n,8,1"))});
    EXPECT_EQ("9600,e,7,1", GetText(p.World.Get(), L"HandedBack"));
    Get(p.World.Get(), L"RaiseTimeOut");
    EXPECT_EQ((std::vector<std::string>{"AutoConnet 2400,n,8,1", "TimeOut"}), events);

    // A device server's event, as the collection receives it; an unchanged text stays.
    const vq::DeviceServerRef server = p.Factory->CreateDeviceServer(2);
    std::vector<std::string> infos;
    vq::Connection sync =
        server->OnUnitSychronized().Connect([&](std::string& info) { infos.push_back(info); });
    EXPECT_EQ(1, GetLong(p.World.Get(), L"RaiseUnitSynchronized", {In(I4(2)), In(Str("unit 9"))}));
    EXPECT_EQ(std::vector<std::string>{"unit 9"}, infos);
    EXPECT_EQ("unit 9", GetText(p.World.Get(), L"HandedBack"));
}

TEST(Adapters, PortObjectsByFixedDispatchIds) {
    Product p;
    const std::shared_ptr<vq::PortObject> port = p.Factory->CreateDeviceServer(1)->GetComObject();
    ASSERT_TRUE(port);
    port->SetPortNumber(3);
    EXPECT_EQ(3, port->PortNumber());
    port->SetOpen(vq::VbTrue);
    EXPECT_EQ(vq::VbTrue, port->Open());
    port->SetOpen(vq::VbFalse);
    EXPECT_THROW(port->HartPortNumber(), vq::Failure);  // the other kind's member

    const std::shared_ptr<vq::PortObject> hart = p.Factory->CreateDeviceServer(3)->GetComObject();
    hart->SetCommPortByName(2);
    EXPECT_EQ(2, hart->HartPortNumber());
    EXPECT_EQ(0, hart->ErrorValue());
}

TEST(Adapters, TransmitterDeviceInfoAndCommands) {
    Product p;
    Get(p.World.Get(), L"AddInstrument",
        {In(I2(1)), In(I2(5)), In(Str("4800,n,8,1")), In(I4(0)), In(Str("TAG-5"))});
    const vq::TransmitterRef txm = p.Factory->CreateTransmitter();
    EXPECT_EQ(txm, vq::win32::WrapTransmitter(vq::win32::DispatchOf(txm)));  // one adapter
    const vq::DeviceServerRef server = p.Factory->CreateDeviceServer(1);
    txm->SetServer(server);
    EXPECT_EQ(server, txm->Server());
    txm->SetTxmType(1);
    txm->SetAddress(5);
    txm->SetComPort(1);
    // Connecting raises the registry's events on this thread, the connected transmitter (an
    // object by reference) arriving as the same adapter.
    const std::shared_ptr<vq::TransmitterRegistry> registry = p.Factory->Service()->Registry();
    vq::TransmitterRef connected;
    vq::Connection c =
        registry->TxmConnected().Connect([&](vq::TransmitterRef& t) { connected = t; });
    EXPECT_EQ(vq::VbTrue, txm->Connect(vq::VbFalse));
    EXPECT_EQ(txm, connected);
    vq::CommandRef command = p.Factory->CreateCommand();
    txm->DeviceInfo()->GetCommand("223")->PrepareCommand(command);
    ASSERT_TRUE(command);
    EXPECT_EQ(vq::VbTrue, txm->SendCommand(command, 0, 0));
    EXPECT_EQ("TAG-5", command->ReplyValue(1).ToText());
    // Collections through _NewEnum, and through Count and Item when they lack it.
    for (const bool withoutEnum : {false, true}) {
        if (withoutEnum) Get(p.World.Get(), L"ListsWithoutEnum");
        EXPECT_EQ((std::vector<std::string>{"V1.00", "V1.10", "V2.00"}),
                  txm->DeviceInfo()->Versions());
        EXPECT_EQ((std::vector<std::string>{"Zandor ASCII", "Zandor Binary"}), server->Protocols());
    }
    const std::shared_ptr<vq::PathSplitter> splitter = p.Factory->CreatePathSplitter();
    splitter->SetFullName("C:\\Plant\\line.txm");
    EXPECT_EQ("C:\\Plant", splitter->Folder());
    EXPECT_EQ("line.txm", splitter->FileName());
}

}  // namespace
}  // namespace vqtest
