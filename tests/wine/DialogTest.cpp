// The add/edit dialog as its user meets it: the host calls Edit or Add over COM, with nothing
// installed on its side, and a real window opens; a second thread acts on it with window
// messages only (WindowUser.h); afterwards the test checks the transmitter, the collection and
// the host's settings file.
#include <atomic>

#include "Host.h"
#include "WindowUser.h"

namespace vqtest {
namespace {

struct Session : WindowSession {
    Session() : WindowSession("New Transmitter") {}

    ComPtr<IDispatch> Txm(long type, short address) {
        return AddSilently(Txms.Get(), "", type, address, "Probe");
    }
    void AddInstrument(short port, short address, const std::string& settings) {
        EXPECT_EQ(S_OK, CallByName(World.Get(), L"AddInstrument",
                                   {In(I2(port)), In(I2(address)), In(Str(settings)), In(I4(0))})
                            .Hr);
    }
    Outcome Edit(const ComPtr<IDispatch>& txm) {
        Var t = Var{Obj(txm.Get())};
        return CallByName(Txms.Get(), L"Edit", {t.ByRef(false)});
    }
    // Add as a host calls it without Silent: the dialog opens for the new transmitter.
    Outcome AddWithDialog() {
        Var key = Var{Str("")}, type = Var{I4(1)}, address = Var{I2(1)}, port = Var{I2(1)},
            settings = Var{Str("4800,n,8,1")}, protocol = Var{I4(1)}, name = Var{Str("Untitled1")},
            autoConnect = Var{Bool(false)};
        return CallByName(Txms.Get(), L"Add",
                          {key.ByRef(true), type.ByRef(false), address.ByRef(false),
                           port.ByRef(false), settings.ByRef(false), protocol.ByRef(false),
                           name.ByRef(false), autoConnect.ByRef(false)});
    }
    std::string Setting(const char* key) {
        const Variant file = Get(Service.Get(), L"SettingsFilePath");
        return GetText(Service.Get(), L"ReadSetting",
                       {In(file), In(Str("New Transmitter")), In(Str(key)), In(Str("none"))});
    }
};

TEST(Dialog, AddsTheTransmitterTheUserDescribes) {
    Session s;
    s.AddInstrument(2, 7, "1200,n,8,1");
    UserThread user([](WindowUser& u) {
        u.WaitForWindow(L"Add new transmitter");
        u.Type(L"Boiler");  // the name box has the focus
        u.Enter();
        u.Tab();  // the address box, its text selected on entry
        u.Type(L"7");
        u.Enter();
        u.Choose(u.Field(L"Type:"), 1);
        u.Choose(u.Field(L"Port:"), 1);
        u.Click(u.Button(L"Search at all defined Baud Rates"));
        u.Click(u.Button(L"&Add"));
    });
    const Outcome added = s.AddWithDialog();
    EXPECT_EQ("", user.Finish());
    const ComPtr<IDispatch> txm = ObjectOf(added.Result);
    ASSERT_TRUE(txm);
    EXPECT_EQ(1, GetLong(s.Txms.Get(), L"Count"));
    EXPECT_EQ("Boiler", GetText(txm.Get(), L"Name"));
    EXPECT_EQ(2, GetLong(txm.Get(), L"TxmType"));
    EXPECT_EQ("Pellix", GetText(GetObject(txm.Get(), L"Server").Get(), L"TypeName"));
    EXPECT_EQ(7, GetLong(txm.Get(), L"Address"));
    EXPECT_EQ(2, GetLong(txm.Get(), L"ComPort"));
    EXPECT_EQ(-1, GetLong(txm.Get(), L"Connected"));  // found at 1200 baud: all rates searched
    EXPECT_NE(std::string::npos, GetText(s.World.Get(), L"RegistryLog").find("TxmAdded(Boiler)"));
    EXPECT_EQ("1", s.Setting("AutoSearch"));
    EXPECT_EQ("0", s.Setting("AutoName"));
}

TEST(Dialog, ARefusedAddressGivesWayToTheStoredOneThenAGoodOneIsKept) {
    Session s;
    const ComPtr<IDispatch> txm = s.Txm(1, 3);
    std::wstring afterRefused, afterAccepted;
    UserThread user([&](WindowUser& u) {
        u.WaitForWindow(L"Transmitter properties");
        u.Tab();
        HWND address = u.Focused();
        u.Type(L"69");  // beyond the 0 to 68 of type 1
        u.Enter();
        afterRefused = WindowUser::Text(address);
        u.Press(VK_DELETE);  // the caret stands before the stored address
        u.Type(L"12");
        u.Enter();
        afterAccepted = WindowUser::Text(address);
        u.Click(u.Button(L"OK"));
    });
    const Outcome edited = s.Edit(txm);
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ(-1, LongOf(edited.Result));
    EXPECT_EQ(L"3", afterRefused);
    EXPECT_EQ(L"12", afterAccepted);
    EXPECT_EQ(12, GetLong(txm.Get(), L"Address"));
    EXPECT_EQ(1, GetLong(s.Txms.Get(), L"Count"));
    EXPECT_EQ(0, GetLong(s.World.Get(), L"MessageCount"));
}

TEST(Dialog, APortHeldByAnotherProgramIsRefusedAndThePreviousPortComesBack) {
    Session s;
    ASSERT_EQ(S_OK, CallByName(s.World.Get(), L"HoldPort", {In(I2(3))}).Hr);
    const ComPtr<IDispatch> txm = s.Txm(1, 5);
    std::wstring afterRefused, afterAccepted;
    UserThread user([&](WindowUser& u) {
        u.WaitForWindow(L"Transmitter properties");
        HWND port = u.Field(L"Port:");
        u.Choose(port, 2);
        afterRefused = WindowUser::Chosen(port);
        u.Choose(port, 1);
        afterAccepted = WindowUser::Chosen(port);
        u.Click(u.Button(L"OK"));
    });
    const Outcome edited = s.Edit(txm);
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ(-1, LongOf(edited.Result));
    EXPECT_EQ(L"COM1", afterRefused);
    EXPECT_EQ(L"COM2", afterAccepted);
    EXPECT_EQ(2, GetLong(txm.Get(), L"ComPort"));
    ASSERT_EQ(1, GetLong(s.World.Get(), L"MessageCount"));
    EXPECT_EQ("48|Transmitter properties|Communication Port is Not Available!\r\nCOM3",
              GetText(s.World.Get(), L"Message", {In(I4(0))}));
}

TEST(Dialog, CancelEscapeAndTheCloseBoxLeaveEverythingAsItWas) {
    Session s;
    const ComPtr<IDispatch> txm = s.Txm(1, 5);
    UserThread user([](WindowUser& u) {
        u.WaitForWindow(L"Transmitter properties");
        u.Type(L"Renamed");
        u.Enter();
        u.Click(u.Button(L"&Cancel"));
        u.WaitUntilClosed();
        u.WaitForWindow(L"Transmitter properties");
        u.Choose(u.Field(L"Type:"), 2);
        u.Escape();
        u.WaitUntilClosed();
        u.WaitForWindow(L"Transmitter properties");
        u.Tab();
        u.Type(L"9");
        u.CloseBox();
        u.WaitUntilClosed();
        u.WaitForWindow(L"Add new transmitter");
        u.CloseBox();
    });
    for (int i = 0; i < 3; ++i) EXPECT_EQ(0, LongOf(s.Edit(txm).Result)) << "Edit " << i;
    const Outcome added = s.AddWithDialog();
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ(S_OK, added.Hr);
    EXPECT_FALSE(ObjectOf(added.Result));
    EXPECT_EQ(1, GetLong(s.Txms.Get(), L"Count"));
    EXPECT_EQ("Probe", GetText(txm.Get(), L"Name"));
    EXPECT_EQ(1, GetLong(txm.Get(), L"TxmType"));
    EXPECT_EQ(5, GetLong(txm.Get(), L"Address"));
    EXPECT_EQ("0", s.Setting("AutoName"));  // each window's final unload stored its settings
}

// Watches the transmitter registry's events on the host's thread while a transmitter
// connects, and records what the history box shows then and whether it still waits to be
// painted.
class HistoryWatch final : public IDispatch {
  public:
    std::vector<std::wstring> Shown;
    std::vector<bool> Unpainted;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)
                      ? static_cast<IDispatch*>(this)
                      : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        // AutoConnet: the dialog's own handler may run before or after this one.
        if (id == 1) return S_OK;
        try {
            WindowUser self(GetCurrentThreadId());
            self.WaitForWindow();
            HWND history = self.HistoryBox();
            Shown.push_back(WindowUser::Text(history));
            Unpainted.push_back(GetUpdateRect(history, nullptr, FALSE) != FALSE);
        } catch (const std::exception& e) {
            Shown.push_back(vq::win32::Widen(e.what()));
        }
        return S_OK;
    }
};

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return text.compare(0, start.size(), start) == 0;
}

TEST(Dialog, OkConnectsAndTheHistoryLinesAppearWhileConnecting) {
    Session s;
    s.AddInstrument(1, 5, "1200,n,8,1");
    const ComPtr<IDispatch> txm = s.Txm(1, 5);
    const ComPtr<IDispatch> registry = GetObject(s.Service.Get(), L"Registry");
    ComPtr<IConnectionPoint> point;
    const IID events = {
        0x3B5E8C22, 0x7D44, 0x4E0A, {0x9F, 0x16, 0x2C, 0x8A, 0x5D, 0x7E, 0x1B, 0x90}};
    ASSERT_EQ(S_OK,
              registry.As<IConnectionPointContainer>()->FindConnectionPoint(events, point.Put()));
    HistoryWatch watch;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(&watch, &cookie));
    UserThread user([](WindowUser& u) {
        u.WaitForWindow(L"Transmitter properties");
        u.Click(u.Button(L"Search at all defined Baud Rates"));
        u.Click(u.Button(L"OK"));
    });
    const Outcome edited = s.Edit(txm);
    EXPECT_EQ("", user.Finish());
    point->Unadvise(cookie);
    EXPECT_EQ(S_OK, edited.Hr) << edited.Description;
    EXPECT_EQ(-1, LongOf(edited.Result));
    EXPECT_EQ(-1, GetLong(txm.Get(), L"Connected"));
    // While Connect runs, the lines of the events before are shown and painted already.
    const std::wstring connecting = L"Connecting:Zandor transmitter at address 5 on COM1\r\n";
    ASSERT_EQ(2u, watch.Shown.size());
    EXPECT_PRED2(StartsWith, watch.Shown[0], connecting + L"\r\n4800,n,8,1...");
    EXPECT_PRED2(StartsWith, watch.Shown[1],
                 connecting + L"\r\n4800,n,8,1...Not found!\r\n1200,n,8,1...");
    EXPECT_EQ((std::vector<bool>{false, false}), watch.Unpainted);
    EXPECT_EQ("1", s.Setting("AutoSearch"));
}

// The host changes the language while the dialog is open: its timer fires inside the dialog's
// modal loop, which dispatches every message of the thread.
std::atomic<bool> g_HungarianSeen{false};
IDispatch* g_World = nullptr;

void CALLBACK SwitchToEnglish(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!g_HungarianSeen) return;
    KillTimer(nullptr, timer);
    PutByName(g_World, L"LanguageIndex", In(I4(1)));
}

TEST(Dialog, CaptionsAreInTheHostsLanguageAndFollowItsChange) {
    Session s;
    ASSERT_EQ(S_OK, PutByName(s.World.Get(), L"LanguageIndex", In(I4(2))).Hr);
    const ComPtr<IDispatch> txm = s.Txm(1, 5);
    std::wstring hungarianPort, englishPort;
    UserThread user([&](WindowUser& u) {
        u.WaitForWindow(L"Távadó tulajdonságai");
        u.Button(L"Automatikus névmegadás");
        u.Button(L"&Mégse");
        u.Field(L"Név:");
        hungarianPort = WindowUser::Text(u.Field(L"Port:"));
        g_HungarianSeen = true;
        u.WaitForWindow(L"Transmitter properties");
        u.Button(L"Use tag as transmitter name");
        u.Choose(u.Field(L"Port:"), 8);  // the port list keeps the language it was made in
        englishPort = WindowUser::Chosen(u.Field(L"Port:"));
        u.AltKey(L'c');  // "&Cancel"
    });
    g_World = s.World.Get();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &SwitchToEnglish);
    const Outcome edited = s.Edit(txm);
    KillTimer(nullptr, timer);
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ(0, LongOf(edited.Result));
    EXPECT_EQ(L"COM1", hungarianPort);
    EXPECT_EQ(L"Modemes kapcsolat", englishPort);
}

TEST(Dialog, TabWalksTheTabOrderOfTheControlsThatCanTakeTheFocus) {
    Session s;
    const ComPtr<IDispatch> txm = s.Txm(1, 5);
    std::vector<HWND> expected, visited;
    UserThread user([&](WindowUser& u) {
        u.WaitForWindow(L"Transmitter properties");
        for (const wchar_t* label :
             {L"Name:", L"Address:", L"Type:", L"Version:", L"Port:", L"Settings:", L"Protocol:"})
            expected.push_back(u.Field(label));
        expected.push_back(u.HistoryBox());
        // The tag check box (type 1) and Auto Connect are disabled.
        for (const wchar_t* caption : {L"Search at all defined Baud Rates", L"OK", L"&Cancel"})
            expected.push_back(u.Button(caption));
        expected.push_back(expected.front());
        visited.push_back(u.Focused());
        while (visited.size() < expected.size()) {
            u.Tab();
            visited.push_back(u.Focused());
        }
        u.Escape();
    });
    EXPECT_EQ(0, LongOf(s.Edit(txm).Result));
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ(expected, visited);
}

TEST(Dialog, TheStoredPlacementIsWhereTheWindowOpensAndAMoveIsStored) {
    Session s;
    const Variant file = Get(s.Service.Get(), L"SettingsFilePath");
    ASSERT_EQ(S_OK, CallByName(s.Service.Get(), L"WriteSetting",
                               {In(file), In(Str("New Transmitter")), In(Str("Window")),
                                In(Str("1500,1200,9000,9000,0"))})
                        .Hr);
    const ComPtr<IDispatch> txm = s.Txm(1, 5);
    RECT opened{};
    UserThread user([&](WindowUser& u) {
        HWND window = u.WaitForWindow(L"Transmitter properties");
        GetWindowRect(window, &opened);
        SetWindowPos(window, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // dragged
        u.Click(u.Button(L"&Cancel"));
    });
    EXPECT_EQ(0, LongOf(s.Edit(txm).Result));
    EXPECT_EQ("", user.Finish());
    // 15 twips a pixel at 96 DPI; a fixed dialog keeps the size its controls need.
    EXPECT_EQ(100, opened.left);
    EXPECT_EQ(80, opened.top);
    const long width = (opened.right - opened.left) * 15,
               height = (opened.bottom - opened.top) * 15;
    EXPECT_LT(width, 9000);
    EXPECT_EQ("3000,2250," + std::to_string(width) + "," + std::to_string(height) + ",0",
              s.Setting("Window"));
}

}  // namespace
}  // namespace vqtest
