// Opening the list window: rows, captions, the toolbar beside the list, the settings it keeps
// between uses, the result it reports, a language change while it is shown, and a window
// without a collection.

#include "ListWindowFixture.h"
#include "listwindow/frmTxms.h"

namespace listtest {
namespace {

using ListWindowLoad = ListWindowSession;

/// Each column as its header and width.
Strings Columns(User& user) {
    Strings columns;
    for (int32_t c = 1; c <= List(user).ColumnCount(); ++c) {
        const vq::ui::ColumnHeader& column = List(user).Column(c);
        columns.push_back(column.Text + " " + std::to_string(static_cast<int>(column.Width)));
    }
    return columns;
}

TEST_F(ListWindowLoad, EveryTransmitterInItsRowWithTheActiveOneSelected) {
    Silent("Boiler", 1, 5)->SetVersion("V1.10");
    Silent("Pump", 2, 12)->SetConnected(VbTrue);
    Silent("Tank", 3, -3);
    Silent("Odd", 1, 7)->SetConnected(vq::VbBool(1));
    Silent("Last", 2, 9);
    m_Txms->SetActiveTxmIndex(3);
    const int16_t result = Wizard([](User& user) {
        EXPECT_EQ(Rows(user),
                  (Strings{"Boiler|5|V1.10|Zandor|Not connected", "Pump|12||Pellix|Connected",
                           "Tank|-3||Quorra|Not connected", "Odd|7||Zandor|Not connected",
                           "Last|9||Pellix|Not connected"}));
        EXPECT_EQ(List(user).SelectedIndex(), 3);
        EXPECT_TRUE(ToolEnabled(user, "ID_Modify") && ToolEnabled(user, "ID_Delete"));
        Tool(user, "ID_Ok");
    });
    EXPECT_EQ(result, 3) << "OK without a click reports the active transmitter's row";
}

TEST_F(ListWindowLoad, AnEmptyCollectionOffersNeitherEditNorRemove) {
    const int16_t result = Wizard([](User& user) {
        EXPECT_TRUE(Rows(user).empty());
        EXPECT_FALSE(ToolEnabled(user, "ID_Modify") || ToolEnabled(user, "ID_Delete"));
        EXPECT_THROW(Tool(user, "ID_Delete"), vq::Failure);
        Tool(user, "ID_Ok");
    });
    EXPECT_EQ(result, -1);
}

TEST_F(ListWindowLoad, SettingsAreWrittenAtTheFinalUnloadAndRestoredByTheNextWindow) {
    Silent("Boiler");
    Silent("Pump");
    Store("Window", "300,400,9600,4800,0");
    const int16_t chosen = Wizard([&](User& user) {
        EXPECT_EQ(user.Window().Left(), 300);
        user.ClickItem("lvTxms", 1);
        List(user).SetColumnWidth(1, 2000.5f);  // the user drags the first column's edge
        List(user).SetColumnWidth(5, 3000);
        user.Click("chkAllTxm");
        user.Window().SetLeft(600);
        Tool(user, "ID_Ok");
        EXPECT_EQ(Setting("Width"), "<none>") << "nothing is written before the final unload";
    });
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(Setting("Width"), "2000.5|1440|1440|1440|3000|");
    EXPECT_EQ(Setting("All"), "1");
    EXPECT_EQ(Setting("Window"), "600,400,9600,4800,0");

    Store("Width", "2000|1500|");  // fewer than four entries: the others keep their widths
    const int16_t closed = Wizard([this](User& user) {
        EXPECT_EQ(user.Window().Left(), 600) << "a fresh window restores its placement";
        EXPECT_EQ(Columns(user), (Strings{"Name 2000", "Address 1500", "Version 1440", "Type 1440",
                                          "State 2540"}));
        EXPECT_EQ(user.Find<vq::ui::CheckBox>("chkAllTxm").Value(), 1);
        user.ClickItem("lvTxms", 2);
        user.CloseWindow();
        EXPECT_TRUE(user.Window().Loaded()) << "the title bar only hides the window";
        EXPECT_EQ(Setting("Width"), "2000|1500|");
    });
    EXPECT_EQ(closed, -1);
    EXPECT_EQ(Setting("Width"), "2000|1500|1440|1440|2540|");
}

TEST_F(ListWindowLoad, StoredWidthsSetTheFirstFourColumnsOnly) {
    Store("Width", "1000|1100|1200|1300|1400|");
    Wizard([](User& user) {
        EXPECT_EQ(Columns(user), (Strings{"Name 1000", "Address 1100", "Version 1200", "Type 1300",
                                          "State 2540"}));
        Tool(user, "ID_Cancel");
    });
    EXPECT_EQ(Setting("Width"), "1000|1100|1200|1300|2540|");

    Store("Width", "1|2|3|4|wide|");  // beyond the fourth entry nothing is converted
    Wizard([](User& user) { Tool(user, "ID_Ok"); });
    EXPECT_EQ(Setting("Width"), "1|2|3|4|2540|");

    Store("Width", "");  // no entry at all: every column keeps its width
    Wizard([](User& user) { Tool(user, "ID_Ok"); });
    EXPECT_EQ(Setting("Width"), "1440|1440|1440|1440|2540|");

    Store("Width", "1000.5|1001.5|-0.5|7");  // rounded half to even; a last entry without "|"
    Wizard([](User& user) {
        EXPECT_EQ(Columns(user),
                  (Strings{"Name 1000", "Address 1002", "Version 0", "Type 7", "State 2540"}));
        Tool(user, "ID_Ok");
    });
}

TEST_F(ListWindowLoad, AStoredSettingTheServiceCannotConvertFailsTheOpeningAndNamesIt) {
    const std::string huge = "9" + std::string(10000, ' ') + "x";
    struct Case {
        std::string Key, Stored, Quoted;
        int32_t Code;
    };
    for (const Case& c : {Case{"Width", "1000|wide|", "\"wide\"", vq::Codes::TypeMismatch},
                          Case{"Width", "1000||", "\"\"", vq::Codes::TypeMismatch},
                          Case{"Width", "70000|", "\"70000\"", vq::Codes::Overflow},
                          Case{"Width", huge + "|", "(10002 bytes)", vq::Codes::TypeMismatch},
                          Case{"All", "yes", "\"yes\"", vq::Codes::TypeMismatch}}) {
        SCOPED_TRACE(c.Key + "=" + c.Stored.substr(0, 20));
        m_World->Service()->ClearSection(m_World->SettingsFilePath, "Transmitters");
        Store(c.Key, c.Stored);
        try {
            Wizard([](User&) { ADD_FAILURE() << "the window was shown"; });
            ADD_FAILURE() << "a setting the shared service refuses was accepted";
        } catch (const vq::Failure& failure) {
            const std::string description = failure.Description();
            EXPECT_EQ(failure.Code(), c.Code);
            EXPECT_NE(description.find("\"" + c.Key + "\" of section \"Transmitters\" holds "),
                      std::string::npos)
                << description;
            EXPECT_NE(description.find(c.Quoted), std::string::npos) << description;
            EXPECT_LT(description.size(), 400u) << "a long value is quoted short";
        }
        EXPECT_EQ(Setting(c.Key), c.Stored) << "nothing is written";
        EXPECT_EQ(Setting("Window"), "<none>");
    }
}

TEST_F(ListWindowLoad, ALanguageChangeRecaptionsAtOnceAndStatesAtTheNextRefill) {
    Silent("Boiler");
    Wizard([&](User& user) {
        m_World->Language().SetLanguageIndex(2);
        EXPECT_EQ(user.Window().Caption(), "Távadó varázsló");
        EXPECT_EQ(Tools(user).FindTool("ID_New").Caption, "Új távadó &hozzáadása");
        EXPECT_EQ(Tools(user).FindTool("ID_Cancel").Caption, "&Bezárás");
        EXPECT_EQ(user.Find<vq::ui::CheckBox>("chkAllTxm").Caption(),
                  "Minden távadó csatlakoztatá&sa");
        EXPECT_EQ(Columns(user),
                  (Strings{"Név 1440", "Cím 1440", "Verzió 1440", "Típus 1440", "Állapot 2540"}));
        EXPECT_EQ(Rows(user), (Strings{"Boiler|1||Zandor|Not connected"}));
        Tool(user, "ID_Connect");
        EXPECT_EQ(Rows(user), (Strings{"Boiler|1||Zandor|Nincs csatlakozva"}));
        Tool(user, "ID_Cancel");
    });
    m_World->Language().SetLanguageIndex(1);  // the unloaded window no longer listens
}

TEST_F(ListWindowLoad, AnOpenerOnTheThreadTakesOver) {
    struct Opener : vq::WindowOpener {
        vq::VbBool ShowTxmDialog(const vq::TransmitterRef&, vq::TransmitterCollection*,
                                 vq::VbBool) override {
            return VbFalse;
        }
        int16_t ShowTxmsDialog(vq::TransmitterCollection*) override { return 41; }
    };
    const auto previous = vq::SetWindowOpener(std::make_shared<Opener>());
    EXPECT_EQ(m_Txms->ShowWizard(), 41);
    vq::SetWindowOpener(previous);
    EXPECT_TRUE(m_Windows->Shown().empty());
}

TEST_F(ListWindowLoad, AWindowWithoutCollectionShowsNothingAndDoesNothing) {
    m_Windows->Then([](User& user) { Tool(user, "ID_Ok"); });
    EXPECT_EQ(vq::ShowTxmsDialog(nullptr), -1);
    EXPECT_EQ(m_Windows->Shown(), (Strings{"Transmitter Wizard"})) << "shown all the same";

    // The window works with what its opener hands it and reaches nothing of the thread's.
    int32_t counter = 4;
    vq::frmTxms window(vq::ui::WindowContext(std::make_shared<sim::Factory>(m_World),
                                             m_World->Service(), vq::ui::Screen::OfThisThread(),
                                             &counter));
    vq::ScopedProduct nothingOnTheThread(nullptr);
    EXPECT_EQ(window.Install(nullptr), VbFalse);
    m_Windows->Then([](User& user) {
        EXPECT_TRUE(Rows(user).empty());
        EXPECT_FALSE(ToolEnabled(user, "ID_Modify") || ToolEnabled(user, "ID_Delete"));
        for (const char* id : {"ID_New", "ID_Connect", "ID_Open", "ID_Save"}) Tool(user, id);
        Tool(user, "ID_Ok");
    });
    m_Windows->ShowModal(window.Form());
    EXPECT_EQ(window.RetVal(), -1);
    window.SetCloseMe(VbTrue);
    EXPECT_TRUE(window.Form().Unload());
    EXPECT_EQ(counter, 4);
    EXPECT_TRUE(m_World->ChooserLog.empty());
    EXPECT_TRUE(m_World->Messages.empty());
    EXPECT_EQ(Setting("All"), "0");
}

TEST_F(ListWindowLoad, TheToolBoxTakesTheMeasuredToolbarWidthAndTheWindowGrowsToHoldIt) {
    Wizard([](User& user) {
        vq::ui::Form& form = user.Window();
        const vq::ui::Control& box = *form.Find("picToolBar");
        const int32_t right = 120 + 8535 + 120;  // the list's right edge and the gap
        EXPECT_EQ(box.Layout().Left, right);
        EXPECT_EQ(box.Layout().Width, vq::ui::Toolbar::kEstimatedVerticalWidth * 15);
        EXPECT_EQ(form.ClientWidth(), 9480) << "the estimate fits the window as it was made";

        // A real toolbar measures 150 pixels once it shows its captions.
        Tools(user).SetMeasuredVerticalWidth(150);
        EXPECT_EQ(box.Layout().Left, right);
        EXPECT_EQ(box.Layout().Width, 150 * 15);
        EXPECT_EQ(box.Layout().Height, 3735);
        EXPECT_EQ(form.ClientWidth(), right + 150 * 15 + 120);

        // A narrower one keeps the window as wide as it became.
        Tools(user).SetMeasuredVerticalWidth(100);
        EXPECT_EQ(box.Layout().Width, 100 * 15);
        EXPECT_EQ(form.ClientWidth(), right + 150 * 15 + 120);
        Tool(user, "ID_Ok");
    });
}

}  // namespace
}  // namespace listtest
