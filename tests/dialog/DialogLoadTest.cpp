// Opening the dialog: captions, lists, the transmitter's values, what is enabled, and what the
// dialog does with values and objects it cannot use.

#include "DialogFixture.h"

namespace dialogtest {
namespace {

using Strings = std::vector<std::string>;

const Strings kEnglishPorts{
    "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "Modem Connection"};

using DialogLoad = DialogSession;

TEST_F(DialogLoad, EditShowsTheTransmitterInItsListsAndBoxes) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 2, "Boiler", "V1.10");
    const std::size_t logBefore = LogOf(txm).size();
    const VbBool result = Edit(txm, [&](User& user) {
        EXPECT_EQ(List(user, "cmbType").Items(),
                  (Strings{"Zandor", "Pellix", "Quorra", "Vestra", "Orbel", "Kalmo"}));
        EXPECT_EQ(List(user, "cmbType").ListIndex(), 0);
        EXPECT_EQ(List(user, "cmbVersion").Items(), (Strings{"V1.00", "V1.10", "V2.00"}));
        EXPECT_EQ(List(user, "cmbVersion").ListIndex(), 1);
        EXPECT_EQ(List(user, "cmbPort").Items(), kEnglishPorts);
        EXPECT_EQ(List(user, "cmbPort").Text(), "COM2");
        EXPECT_EQ(List(user, "cmbSettings").Items(), (Strings{"4800,n,8,1"}));
        EXPECT_EQ(List(user, "cmbSettings").ListIndex(), 0);
        EXPECT_EQ(List(user, "cmbProtocol").Items(), (Strings{"Zandor ASCII", "Zandor Binary"}));
        EXPECT_EQ(List(user, "cmbProtocol").ListIndex(), 1);

        TextBox& name = Box(user, "txtName");
        EXPECT_EQ(name.Text(), "Boiler");
        EXPECT_TRUE(name.HasFocus());
        EXPECT_EQ(name.SelText(), "Boiler") << "entering the box selects its text";
        EXPECT_FALSE(name.Locked());
        EXPECT_EQ(name.BackColor(), 0x80000005u);
        EXPECT_EQ(Box(user, "txtAddress").Text(), "5");
        EXPECT_EQ(Box(user, "txtHistory").Text(), "");
        EXPECT_FALSE(Check(user, "chkTag").Enabled());
        EXPECT_TRUE(Check(user, "chkAllBaudRate").Enabled());
        EXPECT_FALSE(Button(user, "cmdQuennetConnect").Enabled());
        const auto work = WorkingCopy(txm);
        ASSERT_NE(work, nullptr);
        EXPECT_NE(work->Parent(), nullptr);
        EXPECT_EQ(work->Parent(), txm->Parent()) << "the working copy has the same parent";
        Cancel(user);
    });
    EXPECT_EQ(result, VbFalse);
    EXPECT_EQ(LogOf(txm).size(), logBefore) << "Cancel leaves the transmitter untouched";
    EXPECT_TRUE(m_World->Messages.empty());
}

TEST_F(DialogLoad, OnlyEditModeMinusOneCountsAsEditMode) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    for (int16_t mode : {int16_t{-1}, int16_t{1}, int16_t{0}}) {
        m_Windows->Then([mode](User& user) {
            const bool edit = mode == -1;
            EXPECT_EQ(user.Window().Caption(),
                      edit ? "Transmitter properties" : "Add new transmitter");
            EXPECT_EQ(Caption(user, "cmdOK"), edit ? "OK" : "&Add");
            Cancel(user);
        });
        vq::ShowTxmDialog(txm, m_Txms.get(), VbBool(mode));
    }
}

TEST_F(DialogLoad, VersionsMatchWithoutRegardToCaseOrAreAppended) {
    struct Case {
        std::string stored;
        int32_t selected;
        std::string kept;
    };
    // Both texts are put in upper case: the dotless i and the final sigma match I and Σ.
    m_World->Family(1).Versions = {"V1.00", "V1.10", "V2.00", "VI-Σ"};
    for (const Case& c : {Case{"", 0, "V1.00"}, Case{"v2.00", 2, "V2.00"}, Case{"vı-ς", 3, "VI-Σ"},
                          Case{"X9", 4, "X9"}}) {
        SCOPED_TRACE("version \"" + c.stored + "\"");
        auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler", c.stored);
        Edit(txm, [&](User& user) {
            EXPECT_EQ(List(user, "cmbVersion").ListIndex(), c.selected);
            EXPECT_EQ(List(user, "cmbVersion").Text(), c.kept);
            Confirm(user);
        });
        EXPECT_EQ(txm->Version(), c.kept) << "the working copy holds the entry's exact text";
    }
}

TEST_F(DialogLoad, SettingsSelectTheFirstEntryContainedInTheStoredString) {
    auto vestra = Silent(4, 5, 2, "4800,n,8,1", 1, "Vestra");
    Edit(vestra, [](User& user) {
        EXPECT_EQ(List(user, "cmbSettings").Items(),
                  (Strings{"1200,n,8,1", "2400,n,8,1", "4800,n,8,1"}));
        EXPECT_EQ(List(user, "cmbSettings").ListIndex(), 2);
        EXPECT_TRUE(Check(user, "chkTag").Enabled()) << "type 4 offers the tag at load";
        Cancel(user);
    });
    for (const char* stored : {"9600,e,7,2", "4800,N,8,1"}) {
        SCOPED_TRACE(stored);
        auto odd = Silent(1, 5, 2, stored, 1, "Odd");
        Edit(odd, [](User& user) {
            EXPECT_EQ(List(user, "cmbSettings").ListIndex(), -1) << "letter case counts";
            Confirm(user);
        });
        EXPECT_EQ(odd->ComSettings(), stored);
    }

    // The entry selected while loading does not replace the stored string.
    auto longer = Silent(2, 5, 2, "4800,n,8,1,rts", 1, "Longer");
    Edit(longer, [](User& user) {
        EXPECT_EQ(List(user, "cmbSettings").Text(), "4800,n,8,1");
        Confirm(user);
    });
    EXPECT_EQ(longer->ComSettings(), "4800,n,8,1,rts");
}

TEST_F(DialogLoad, TagAndAutoConnectStayDisabledAtLoadForTypesThreeAndSix) {
    for (int32_t type : {3, 6}) {
        auto txm = Silent(type, 5, 2, type == 3 ? "1200,n,8,1" : "4800,n,8,1", 1, "T");
        Edit(txm, [](User& user) {
            EXPECT_FALSE(Check(user, "chkTag").Enabled());
            EXPECT_FALSE(Button(user, "cmdQuennetConnect").Enabled());
            Cancel(user);
        });
    }
}

TEST_F(DialogLoad, ValuesOutsideTheirListsSelectNothing) {
    auto txm = Silent(1, 5, 12, "4800,n,8,1", 5, "Far");
    Edit(txm, [](User& user) {
        EXPECT_EQ(List(user, "cmbPort").ListIndex(), -1);
        EXPECT_EQ(List(user, "cmbProtocol").ListIndex(), -1);
        EXPECT_EQ(List(user, "cmbType").ListIndex(), 0);
        Confirm(user);
    });
    EXPECT_EQ(txm->ComPort(), 12);
    EXPECT_EQ(txm->Protocol(), 5);

    // Type 8 has no entry in the type list and no rules: the address box, the settings list
    // and the tag box are left as they are.
    auto eighth = Silent(1, 33, 2, "4800,n,8,1", 1, "Eighth");
    eighth->SetTxmType(8);
    Edit(eighth, [](User& user) {
        EXPECT_EQ(List(user, "cmbType").ListIndex(), -1);
        EXPECT_EQ(Box(user, "txtAddress").Text(), "");
        EXPECT_EQ(List(user, "cmbSettings").ListCount(), 0);
        EXPECT_EQ(List(user, "cmbVersion").ListIndex(), -1);
        EXPECT_TRUE(Check(user, "chkTag").Enabled());
        Cancel(user);
    });
    EXPECT_TRUE(m_World->Messages.empty());
}

TEST_F(DialogLoad, TheDialogWorksWithWhatItsOpenerHandsItAndLetsGoAtTheFinalUnload) {
    auto txm = Silent(4, 5, 2, "4800,n,8,1", 1, "Vestra");
    vq::MousePointerState pointer;
    std::vector<int16_t> pointers;
    auto token = pointer.Changed.Connect([&](int16_t p) { pointers.push_back(p); });
    m_World->Language().SetLanguageIndex(2);
    vq::frmNewTxm dialog(vq::ui::WindowContext(std::make_shared<sim::Factory>(m_World),
                                               m_World->Service(), vq::ui::Screen(pointer)));
    vq::ScopedProduct nothingOnTheThread(nullptr);
    ASSERT_EQ(dialog.Install(txm, m_Txms.get(), VbTrue), VbTrue);
    m_Windows->Then([](User& user) {
        EXPECT_EQ(user.Window().Caption(), "Távadó tulajdonságai");
        EXPECT_EQ(List(user, "cmbPort").List(8), "Modemes kapcsolat");
        EXPECT_EQ(List(user, "cmbType").ListCount(), 6);
        EXPECT_EQ(List(user, "cmbVersion").Text(), "VX1");
        user.Click("chkTag");
        Confirm(user);
    });
    m_Windows->ShowModal(dialog.Form());
    dialog.SetCloseMe(VbTrue);
    EXPECT_TRUE(dialog.Form().Unload());
    EXPECT_EQ(dialog.RetVal(), VbTrue);
    EXPECT_EQ(txm->Version(), "VX1");
    EXPECT_EQ(pointers, (std::vector<int16_t>{13, 0}));
    EXPECT_EQ(Setting("AutoName"), "1");
    EXPECT_TRUE(m_World->Messages.empty());

    // The unloaded dialog object still lives but no longer listens.
    const std::string history = dynamic_cast<TextBox*>(dialog.Form().Find("txtHistory"))->Text();
    m_World->Language().SetLanguageIndex(1);
    m_World->Registry().RaiseAutoConnet("4800,n,8,1");
    m_World->Registry().RaiseTimeOut();
    m_World->Registry().RaiseTxmConnected(txm);
    EXPECT_EQ(dialog.Form().Caption(), "Távadó tulajdonságai");
    EXPECT_EQ(dynamic_cast<TextBox*>(dialog.Form().Find("txtHistory"))->Text(), history);
}

TEST_F(DialogLoad, TheDialogKeepsItsCollectionUntilTheFinalUnload) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    const std::weak_ptr<vq::Txms> collection = m_Txms;
    vq::Txms* const opened = m_Txms.get();
    m_Windows->Then([&](User& user) {
        m_Txms.reset();  // everyone else lets the collection go while the dialog is open
        EXPECT_FALSE(collection.expired());
        user.Choose("cmbType", "Pellix");  // the dialog reads the collection's device servers
        Confirm(user);
    });
    EXPECT_EQ(vq::ShowTxmDialog(txm, opened, VbTrue), VbTrue);
    EXPECT_TRUE(collection.expired()) << "released by the final unload";
    EXPECT_EQ(txm->TxmType(), 2);
}

TEST_F(DialogLoad, AFailingOutsideCallIsShownOnceAndTheDialogStaysUsable) {
    auto bare = vq::Product().CreateTransmitter();  // no device server
    bare->SetTxmType(1);
    bare->SetAddress(4);
    Edit(bare, [](User& user) {
        EXPECT_EQ(List(user, "cmbProtocol").ListCount(), 0);
        EXPECT_EQ(List(user, "cmbType").ListCount(), 6);
        EXPECT_EQ(List(user, "cmbVersion").ListCount(), 3);
        EXPECT_EQ(Box(user, "txtAddress").Text(), "4");
        user.Focus("txtAddress");
        user.Type("7");
        user.PressEnter();
        EXPECT_EQ(Box(user, "txtAddress").Text(), "7");
        Cancel(user);
    });
    ASSERT_EQ(m_World->Messages.size(), 1u);
    EXPECT_EQ(m_World->Messages[0].Prompt, "The transmitter has no device server");
    EXPECT_EQ(m_World->Messages[0].Style, 16);
    EXPECT_EQ(m_World->Messages[0].Title, "Transmitter properties");
    EXPECT_EQ(m_World->Messages[0].Owner, nullptr);
}

TEST_F(DialogLoad, AnUnreadableSettingsFileIsReportedAndTheFinalUnloadFails) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    m_World->SettingsFilePath = "";
    EXPECT_THROW(Edit(txm,
                      [](User& user) {
                          EXPECT_EQ(List(user, "cmbType").ListIndex(), 0);
                          EXPECT_EQ(Box(user, "txtName").Text(), "Boiler");
                          Cancel(user);
                      }),
                 vq::Failure)
        << "the unload that stores the settings lets its failure reach Edit";
    EXPECT_EQ(Prompts(), (Strings{"No settings file name was given"}));
}

TEST_F(DialogLoad, StoredCheckBoxValuesAreReadThroughTheIntegerConversion) {
    auto txm = Silent(4, 5, 2, "4800,n,8,1", 1, "Vestra");
    struct Case {
        std::string autoName, autoSearch;
        int16_t tag, allRates;
        std::size_t messages;
    };
    for (const Case& c :
         {Case{"2", "1", 2, 1, 0}, Case{"abc", "", 0, 0, 0}, Case{" 1 ", "5", 1, 0, 1}}) {
        SCOPED_TRACE("AutoName \"" + c.autoName + "\", AutoSearch \"" + c.autoSearch + "\"");
        Store("AutoName", c.autoName);
        Store("AutoSearch", c.autoSearch);
        m_World->Messages.clear();
        Edit(txm, [&](User& user) {
            EXPECT_EQ(Check(user, "chkTag").Value(), c.tag);
            EXPECT_EQ(Check(user, "chkAllBaudRate").Value(), c.allRates);
            Cancel(user);
        });
        EXPECT_EQ(m_World->Messages.size(), c.messages) << "a value no check box takes is reported";
    }
}

TEST_F(DialogLoad, AMissingTransmitterOrCollectionShowsNothing) {
    EXPECT_EQ(m_Txms->Edit(nullptr), VbFalse);
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    EXPECT_EQ(vq::ShowTxmDialog(txm, nullptr, VbTrue), VbFalse);
    EXPECT_TRUE(m_Windows->Shown().empty());
}

}  // namespace
}  // namespace dialogtest
