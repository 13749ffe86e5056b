// The transmitter list window as its user meets it: the host calls ShowWizard over COM and
// the real window opens; a second thread clicks rows of the list view, buttons of the toolbar,
// the check box and the close box, and answers the save dialog, with window messages only
// (WindowUser.h). Afterwards each test checks the result, the collection, the host's settings
// file and the .txm file.
#include <atomic>

#include "Host.h"
#include "WindowUser.h"

namespace vqtest {
namespace {

const std::wstring kWizard = L"Transmitter Wizard";
const std::wstring kSaveTitle = L"Save Transmitter Configuration as...";

struct Session : WindowSession {
    Session() : WindowSession("Transmitters") {}

    void Txm(const std::string& name, short address, short port = 1) {
        ASSERT_TRUE(AddSilently(Txms.Get(), "", 1, address, name, port));
    }
    void AddInstrument(short port, short address) {
        EXPECT_EQ(S_OK,
                  CallByName(World.Get(), L"AddInstrument",
                             {In(I2(port)), In(I2(address)), In(Str("4800,n,8,1")), In(I4(0))})
                      .Hr);
    }
    long ShowWizard() {
        const Outcome shown = CallByName(Txms.Get(), L"ShowWizard");
        EXPECT_EQ(S_OK, shown.Hr) << shown.Description;
        return LongOf(shown.Result);
    }
    std::string Read(const std::string& file, const char* section, const std::string& key) {
        return GetText(Service.Get(), L"ReadSetting",
                       {In(Str(file)), In(Str(section)), In(Str(key)), In(Str("none"))});
    }
    std::string Setting(const char* key) {
        return Read(TextOf(Get(Service.Get(), L"SettingsFilePath")), "Transmitters", key);
    }
    std::string InFolder(const std::string& name) {
        return GetText(World.Get(), L"Folder") + "\\" + name;
    }
    /// The name of the transmitter at a position; "(none)" when there is none.
    std::string Name(long position) {
        const ComPtr<IDispatch> item = GetObject(Txms.Get(), L"Item", {In(I4(position))});
        return item ? GetText(item.Get(), L"Name") : "(none)";
    }
};

bool FileExists(const std::string& path) {
    return GetFileAttributesW(vq::win32::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(ListWindow, ShowsEveryTransmitterAddsThroughTheDialogAndOkReturnsTheClickedRow) {
    Session s;
    s.Txm("Boiler", 3);
    s.Txm("Pump", 4);
    std::vector<std::wstring> headers, rowBefore, tools;
    int selectedAtStart = 0, selectedAfterAdd = 0, widest = 0, barWidth = 0;
    bool barInside = false;
    std::wstring tip;
    UserThread user([&](WindowUser& u) {
        u.WaitForWindow(kWizard);
        HWND list = u.FirstOfClass(L"SysListView32");
        HWND bar = u.FirstOfClass(L"ToolbarWindow32");
        for (int column = 1; column <= 5; ++column) {
            headers.push_back(WindowUser::ColumnHeader(list, column));
            rowBefore.push_back(WindowUser::Cell(list, 2, column));
        }
        tools = WindowUser::ToolCaptions(bar);
        // Every button shows whole: the toolbar is as wide as its widest button and lies
        // inside the window's client area.
        RECT barPlace{}, client{};
        GetWindowRect(bar, &barPlace);
        GetClientRect(u.Window(), &client);
        MapWindowPoints(u.Window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        widest = WindowUser::WidestTool(bar);
        barWidth = barPlace.right - barPlace.left;
        barInside = barPlace.right <= client.right && barPlace.bottom <= client.bottom;
        tip = WindowUser::ToolTip(bar, L"Save configuration...");
        selectedAtStart = WindowUser::SelectedRow(list);
        u.ClickTool(bar, L"&Add new transmitter");
        u.WaitForWindow(L"Add new transmitter");
        u.Type(L"Mixer");
        u.Enter();
        u.Click(u.Button(L"&Add"));
        u.WaitForWindow(kWizard);
        u.WaitUntil([&] { return WindowUser::RowCount(list) == 3; }, "the third row");
        selectedAfterAdd = WindowUser::SelectedRow(list);
        u.ClickRow(list, 2);
        u.ClickTool(bar, L"OK");
        u.WaitUntilClosed();
    });
    const long chosen = s.ShowWizard();
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ((std::vector<std::wstring>{L"Name", L"Address", L"Version", L"Type", L"State"}),
              headers);
    EXPECT_EQ((std::vector<std::wstring>{L"Pump", L"4", L"", L"Zandor", L"Not connected"}),
              rowBefore);
    EXPECT_EQ((std::vector<std::wstring>{L"&Add new transmitter", L"&Remove transmitter",
                                         L"&Edit transmitter", L"Co&nnect transmitter", L"",
                                         L"Restore configuration...", L"Save configuration...", L"",
                                         L"OK", L"&Close"}),
              tools);
    EXPECT_EQ(L"Saves the active document.", tip);
    EXPECT_GT(widest, 60) << "buttons with their captions";
    EXPECT_GE(barWidth, widest);
    EXPECT_TRUE(barInside);
    EXPECT_EQ(2, selectedAtStart) << "the active transmitter's row";
    EXPECT_EQ(3, selectedAfterAdd);
    EXPECT_EQ(2, chosen);
    EXPECT_EQ(3, GetLong(s.Txms.Get(), L"Count"));
    EXPECT_EQ("Mixer", s.Name(3));
    EXPECT_EQ("1440|1440|1440|1440|2540|", s.Setting("Width"));
    EXPECT_EQ("0", s.Setting("All"));
    EXPECT_NE("none", s.Setting("Window"));
}

TEST(ListWindow, ConnectAllConnectsEveryTransmitterAndTheStateColumnShowsIt) {
    Session s;
    s.AddInstrument(1, 3);
    s.AddInstrument(2, 4);
    s.Txm("Boiler", 3, 1);
    s.Txm("Pump", 4, 2);
    std::wstring before, after1, after2;
    int boxState = -1;
    UserThread user([&](WindowUser& u) {
        u.WaitForWindow(kWizard);
        HWND list = u.FirstOfClass(L"SysListView32");
        before = WindowUser::Cell(list, 1, 5);
        HWND all = u.Button(L"Connect a&ll transmitters");
        u.Click(all);
        boxState = WindowUser::CheckState(all);
        u.ClickRow(list, 1);
        u.ClickTool(u.FirstOfClass(L"ToolbarWindow32"), L"Co&nnect transmitter");
        u.WaitUntil([&] { return WindowUser::Cell(list, 2, 5) == L"Connected"; },
                    "the second row to show connected");
        after1 = WindowUser::Cell(list, 1, 5);
        after2 = WindowUser::Cell(list, 2, 5);
        u.ClickTool(u.FirstOfClass(L"ToolbarWindow32"), L"&Close");
        u.WaitUntilClosed();
    });
    EXPECT_EQ(-1, s.ShowWizard());
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ(L"Not connected", before);
    EXPECT_EQ(BST_CHECKED, boxState);
    EXPECT_EQ(L"Connected", after1);
    EXPECT_EQ(L"Connected", after2);
    for (long i = 1; i <= 2; ++i)
        EXPECT_EQ(-1, GetLong(GetObject(s.Txms.Get(), L"Item", {In(I4(i))}).Get(), L"Connected"));
    EXPECT_EQ("1", s.Setting("All"));
}

TEST(ListWindow, SavesAConfigurationAsksBeforeOverwritingAndRestoresIt) {
    Session s;
    s.Txm("Boiler", 3);
    s.Txm("Pump", 4);
    const std::string file = s.InFolder("plant.txm");
    DeleteFileW(vq::win32::Widen(file).c_str());
    ASSERT_EQ(S_OK, PutByName(s.World.Get(), L"ChooserAnswer", In(Str(file))).Hr);
    int rowsAfterRemove = -1, rowsAfterRestore = -1;
    std::vector<std::wstring> types;
    UserThread user([&](WindowUser& u) {
        u.WaitForWindow(kWizard);
        HWND list = u.FirstOfClass(L"SysListView32");
        HWND bar = u.FirstOfClass(L"ToolbarWindow32");
        u.ClickTool(bar, L"Save configuration...");
        HWND save = u.WaitForDialog(kSaveTitle);
        types = WindowUser::FileTypes(save);
        u.SaveAs(save, vq::win32::Widen(file));
        u.WaitUntil([&] { return FileExists(file); }, "the configuration file");
        // Saved again to the same file: the dialog asks first.
        u.WaitForWindow(kWizard);
        u.ClickTool(bar, L"Save configuration...");
        u.SaveAs(u.WaitForDialog(kSaveTitle), vq::win32::Widen(file));
        u.PressDialogButton(u.WaitForDialog(kSaveTitle, IDYES), IDYES);
        u.WaitForWindow(kWizard);
        u.ClickRow(list, 1);
        u.ClickTool(bar, L"&Remove transmitter");
        u.WaitUntil([&] { return WindowUser::RowCount(list) == 1; }, "one row left");
        rowsAfterRemove = WindowUser::RowCount(list);
        u.ClickTool(bar, L"Restore configuration...");
        u.WaitUntil([&] { return WindowUser::RowCount(list) == 2; }, "the restored rows");
        rowsAfterRestore = WindowUser::RowCount(list);
        u.CloseBox();
    });
    EXPECT_EQ(-1, s.ShowWizard());
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ((std::vector<std::wstring>{L"Txm Congfiguration files (*.txm)", L"All Files (*.*)"}),
              types);
    EXPECT_EQ(1, rowsAfterRemove);
    EXPECT_EQ(2, rowsAfterRestore);
    EXPECT_EQ(2, GetLong(s.Txms.Get(), L"Count"));
    EXPECT_EQ("Boiler", s.Name(1));
    EXPECT_EQ("Pump", s.Name(2));
    EXPECT_EQ("Boiler|3|1|1|4800,n,8,1|1|", s.Read(file, "TxmConfiguration", "TXM1"));
    EXPECT_EQ("Pump|4|1|1|4800,n,8,1|1|", s.Read(file, "TxmConfiguration", "TXM2"));
    EXPECT_EQ("none", s.Read(file, "TxmConfiguration", "TXM3"));
}

TEST(ListWindow, CancelledSaveCloseToolAndCloseBoxEachReturnMinusOne) {
    Session s;
    const std::string file = s.InFolder("Transmitters.txm");
    DeleteFileW(vq::win32::Widen(file).c_str());  // the default name: an earlier test may save it
    bool editEnabled = true, removeEnabled = true, addEnabled = false;
    UserThread user([&](WindowUser& u) {
        u.WaitForWindow(kWizard);
        HWND bar = u.FirstOfClass(L"ToolbarWindow32");
        editEnabled = WindowUser::ToolEnabled(bar, L"&Edit transmitter");
        removeEnabled = WindowUser::ToolEnabled(bar, L"&Remove transmitter");
        addEnabled = WindowUser::ToolEnabled(bar, L"&Add new transmitter");
        u.ClickTool(bar, L"Save configuration...");
        u.PressDialogButton(u.WaitForDialog(kSaveTitle), IDCANCEL);
        u.WaitForWindow(kWizard);
        u.CloseBox();
    });
    EXPECT_EQ(-1, s.ShowWizard());
    EXPECT_EQ("", user.Finish());
    EXPECT_FALSE(editEnabled);
    EXPECT_FALSE(removeEnabled);
    EXPECT_TRUE(addEnabled);
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ("1440|1440|1440|1440|2540|", s.Setting("Width"));

    s.Txm("Boiler", 3);
    UserThread second([](WindowUser& u) {
        u.WaitForWindow(kWizard);
        u.ClickRow(u.FirstOfClass(L"SysListView32"), 1);
        u.ClickTool(u.FirstOfClass(L"ToolbarWindow32"), L"&Close");
        u.WaitUntilClosed();
    });
    EXPECT_EQ(-1, s.ShowWizard());
    EXPECT_EQ("", second.Finish());
    EXPECT_EQ(1, GetLong(s.Txms.Get(), L"Count"));
}

// The host switches the language while the list window is open: its timer fires inside the
// window's modal loop.
std::atomic<int> g_Switch{0};
IDispatch* g_World = nullptr;

void CALLBACK SwitchLanguage(HWND, UINT, UINT_PTR timer, DWORD) {
    const int to = g_Switch.exchange(0);
    if (to == 0) return;
    PutByName(g_World, L"LanguageIndex", In(I4(to)));
    if (to == 1) KillTimer(nullptr, timer);
}

TEST(ListWindow, ALanguageChangeWhileOpenRecaptionsWindowToolsBoxAndHeaders) {
    Session s;
    s.Txm("Boiler", 3);
    std::wstring header, tool, box, state;
    UserThread user([&](WindowUser& u) {
        u.WaitForWindow(kWizard);
        g_Switch = 2;
        u.WaitForWindow(L"Távadó varázsló");
        HWND list = u.FirstOfClass(L"SysListView32");
        header = WindowUser::ColumnHeader(list, 5);
        tool = WindowUser::ToolCaptions(u.FirstOfClass(L"ToolbarWindow32")).back();
        box = WindowUser::Text(u.Button(L"Minden távadó csatlakoztatá&sa"));
        state = WindowUser::Cell(list, 1, 5);
        g_Switch = 1;
        u.WaitForWindow(kWizard);
        u.ClickTool(u.FirstOfClass(L"ToolbarWindow32"), L"OK");
        u.WaitUntilClosed();
    });
    g_World = s.World.Get();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &SwitchLanguage);
    const long chosen = s.ShowWizard();
    KillTimer(nullptr, timer);
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ(1, chosen);
    EXPECT_EQ(L"Állapot", header);
    EXPECT_EQ(L"&Bezárás", tool);
    EXPECT_EQ(L"Minden távadó csatlakoztatá&sa", box);
    EXPECT_EQ(L"Not connected", state) << "the rows keep their language until the next refill";
}

}  // namespace
}  // namespace vqtest
