// The toolbar's commands: add, edit, remove, connect, restore and save, with the failures a
// command shows without closing the window.

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "ListWindowFixture.h"

namespace listtest {
namespace {

using ListWindowCommand = ListWindowSession;

long Connects(const vq::TransmitterRef& txm) {
    const Strings& log = dynamic_cast<sim::Transmitter&>(*txm).Log();
    return std::count(log.begin(), log.end(), "Connect(-1)");
}

Strings States(User& user) {
    Strings states;
    for (int32_t i = 1; i <= List(user).Count(); ++i) states.push_back(List(user).SubItem(i, 4));
    return states;
}

TEST_F(ListWindowCommand, AddOffersTheUntitledNameAndGivesItBackWhenCancelled) {
    Strings offered;
    auto answer = [&offered](const char* button) -> Script {
        return [&offered, button](User& dialog) {
            offered.push_back(dialog.Find<vq::ui::TextBox>("txtName").Text());
            dialog.Click(button);
        };
    };
    const int16_t result = Wizard(
        [](User& user) {
            for (int attempt = 0; attempt < 3; ++attempt) Tool(user, "ID_New");
            EXPECT_EQ(Rows(user), (Strings{"Untitled1|1|V1.00|Zandor|Not connected"}));
            EXPECT_EQ(List(user).SelectedIndex(), 1);
            EXPECT_TRUE(ToolEnabled(user, "ID_Modify") && ToolEnabled(user, "ID_Delete"));
            Tool(user, "ID_Ok");
        },
        {answer("cmdCancel"), answer("cmdCancel"), answer("cmdOK")});
    EXPECT_EQ(offered, (Strings{"Untitled1", "Untitled1", "Untitled1"}));
    EXPECT_EQ(result, -1) << "a command's selection is not the user's choice";
    EXPECT_EQ(m_Txms->GetNextTxmName(), "Untitled2");
}

TEST_F(ListWindowCommand, EditOpensTheDialogOnTheSelectedRowAndSelectsItAgain) {
    Silent("Boiler");
    Silent("Pump", 2);
    Silent("Tank");
    const int16_t result = Wizard(
        [](User& user) {
            user.ClickItem("lvTxms", 2);
            Tool(user, "ID_Modify");
            EXPECT_EQ(Rows(user)[1], "Pump 2|1|P-100|Pellix|Not connected");
            EXPECT_EQ(List(user).SelectedIndex(), 2);
            Tool(user, "ID_Modify");
            EXPECT_EQ(Rows(user)[0], "Boiler|1||Zandor|Not connected") << "no refill on Cancel";
            EXPECT_EQ(List(user).SelectedIndex(), 2);
            Tool(user, "ID_Cancel");
        },
        {[](User& dialog) {
             EXPECT_EQ(dialog.Window().Caption(), "Transmitter properties");
             dialog.Focus("txtName");
             EXPECT_EQ(dialog.Find<vq::ui::TextBox>("txtName").Text(), "Pump");
             dialog.Type("Pump 2");
             dialog.PressEnter();
             dialog.Click("cmdOK");
         },
         [this](User& dialog) {
             m_Txms->Item(Value(1))->SetName("Renamed behind the list");
             dialog.Click("cmdCancel");
         }});
    EXPECT_EQ(m_Txms->Item(Value(2))->Name(), "Pump 2");
    EXPECT_EQ(result, -1) << "the close tool reports no row";
}

TEST_F(ListWindowCommand, RemoveTakesTheSelectedRowOutWithoutAQuestion) {
    Silent("Boiler");
    const vq::TransmitterRef pump = Silent("Pump", 2);
    auto stuck = std::make_shared<sim::Attachment>();
    stuck->FailOnDetach = true;
    stuck->OnDetach = [&] { pump->SetName("Pump*"); };
    dynamic_cast<sim::Transmitter&>(*pump).Attach(stuck);
    Wizard([&](User& user) {
        Tool(user, "ID_Delete");  // the active row, whose attachment refuses to go
        EXPECT_EQ(Rows(user),
                  (Strings{"Boiler|1||Zandor|Not connected", "Pump*|1||Pellix|Not connected"}));
        EXPECT_EQ(List(user).SelectedIndex(), 2);
        ASSERT_EQ(m_World->Messages.size(), 1u);
        const sim::MessageRecord& shown = m_World->Messages[0];
        EXPECT_EQ((std::tuple{shown.Prompt, shown.Style, shown.Title}),
                  (std::tuple{"The attachment refused to detach", 16, "Transmitter Wizard"}));
        EXPECT_TRUE(user.Window().Visible());

        user.ClickItem("lvTxms", 1);
        Tool(user, "ID_Delete");
        EXPECT_EQ(Rows(user), (Strings{"Pump*|1||Pellix|Not connected"}));
        EXPECT_EQ(List(user).SelectedIndex(), 0);
        // Nothing selected: remove, edit and a single connect change nothing; connect refills.
        pump->SetConnected(VbTrue);
        for (const char* id : {"ID_Delete", "ID_Modify", "ID_Connect"}) Tool(user, id);
        EXPECT_EQ(Rows(user), (Strings{"Pump*|1||Pellix|Connected"}));
        EXPECT_EQ(Connects(pump), 0);

        user.ClickItem("lvTxms", 1);
        stuck->FailOnDetach = false;
        Tool(user, "ID_Delete");
        EXPECT_TRUE(Rows(user).empty());
        EXPECT_FALSE(ToolEnabled(user, "ID_Modify") || ToolEnabled(user, "ID_Delete"));
        Tool(user, "ID_Cancel");
    });
    EXPECT_EQ(m_World->Messages.size(), 1u) << "removing asks nothing";
    EXPECT_EQ(m_Txms->Count(), 0);
    EXPECT_EQ(m_World->RegistryLog().back(), "TxmActivated(Nothing)");
}

TEST_F(ListWindowCommand, ConnectWorksOnTheSelectedRowOrOnAllWithTheBoxTicked) {
    const vq::TransmitterRef boiler = Silent("Boiler", 1, 5);
    const vq::TransmitterRef pump = Silent("Pump", 2, 6);
    const vq::TransmitterRef tank = Silent("Tank", 1, 7);
    m_World->Bus = {{1, 5, "4800,n,8,1", 0, ""}, {1, 7, "4800,n,8,1", 0, ""}};
    std::vector<int16_t> pointers;
    Wizard([&](User& user) {
        auto busy = m_World->Registry().AutoConnet().Connect(
            [&](std::string&) { pointers.push_back(user.Window().MousePointer()); });
        user.ClickItem("lvTxms", 1);
        Tool(user, "ID_Connect");
        EXPECT_EQ(States(user), (Strings{"Connected", "Not connected", "Not connected"}));
        EXPECT_EQ(List(user).SelectedIndex(), 1);

        user.Click("chkAllTxm");
        Tool(user, "ID_Connect");
        EXPECT_EQ(States(user), (Strings{"Connected", "Not connected", "Connected"}));
        EXPECT_EQ(List(user).SelectedIndex(), 1);

        m_World->FailingConnects = {"Pump"};
        tank->SetConnected(VbFalse);
        Tool(user, "ID_Connect");
        EXPECT_EQ(States(user), (Strings{"Connected", "Not connected", "Not connected"}));
        EXPECT_EQ(List(user).SelectedIndex(), 1);
        EXPECT_EQ(user.Window().MousePointer(), 0);
        Tool(user, "ID_Cancel");
    });
    EXPECT_EQ((std::vector<long>{Connects(boiler), Connects(pump), Connects(tank)}),
              (std::vector<long>{3, 2, 1}));
    EXPECT_EQ(pointers, std::vector<int16_t>(7, 11)) << "busy during every attempt";
    ASSERT_EQ(m_World->Messages.size(), 1u);
    EXPECT_EQ(m_World->Messages[0].Prompt, "The port driver failed while connecting Pump");
}

TEST_F(ListWindowCommand, RestoreReplacesTheCollectionWithTheChosenFile) {
    Silent("Boiler");
    Silent("Pump", 2);
    const std::string plant = InFolder("plant.txm");
    const std::string broken = InFolder("broken.txm");
    auto service = m_World->Service();
    service->WriteSetting(plant, "TxmConfiguration", "TXM1", "Tank|5|1|1|4800,n,8,1|1|");
    service->WriteSetting(plant, "TxmConfiguration", "TXM2", "Valve|7|2|2|4800,n,8,1|1|");
    service->WriteSetting(broken, "TxmConfiguration", "TXM1", "Good|1|1|1|4800,n,8,1|1|");
    service->WriteSetting(broken, "TxmConfiguration", "TXM2", "Bad|x|");
    m_World->Bus = {{1, 5, "4800,n,8,1", 0, ""}};
    Wizard([&](User& user) {
        for (const std::string& answer : {plant, std::string(), broken}) {
            m_World->ChooserAnswer = answer;
            Tool(user, "ID_Open");
            if (answer == plant) {
                EXPECT_EQ(Rows(user),
                          (Strings{"Tank|5||Zandor|Connected", "Valve|7||Pellix|Not connected"}));
            }
            EXPECT_EQ(List(user).SelectedIndex(), 0);
        }
        EXPECT_EQ(Rows(user), (Strings{"Good|1||Zandor|Not connected"}));
        Tool(user, "ID_Cancel");
    });
    Strings expected;
    for (const auto& [active, offered] :
         {std::pair{"Pump", "Transmitters.txm"}, {"Valve", plant.c_str()}, {"Valve", ""}})
        expected.insert(expected.end(), {std::string("SetTxm(") + active + ")",
                                         std::string("Run(8, ") + offered + ", -1, 0)",
                                         "FileName()", "SetFinished(-1)", "Answer()"});
    EXPECT_EQ(m_World->ChooserLog, expected);
    ASSERT_EQ(m_World->Messages.size(), 1u) << "the broken file's failure";
    EXPECT_EQ(m_World->Messages[0].Title, "Transmitter Wizard");
}

TEST_F(ListWindowCommand, SaveWritesTheWholeCollectionWhereTheUserChooses) {
    Silent("Boiler", 1, 5);
    Silent("Pump", 2, 6);
    m_World->Language().SetLanguageIndex(2);
    const std::string plant = InFolder("plant.txm");
    m_World->DefaultFolder = InFolder("configs");
    Wizard([&](User& user) {
        user.ClickTool("atbMisc", "ID_Save", [&](FileDialogUser& save) {
            const vq::ui::CommonDialog& dialog = save.Dialog();
            EXPECT_EQ(dialog.DialogTitle(), "Távadó-konfiguráció mentése másként...");
            EXPECT_EQ(dialog.Filter(),
                      "Txm Congfiguration files (*.txm)|*.txm|All Files (*.*)|*.*");
            EXPECT_EQ((Strings{dialog.FileName(), dialog.InitDir(), dialog.DefaultExt()}),
                      (Strings{"Transmitters.txm", InFolder("configs"), "*.txm"}));
            EXPECT_TRUE(dialog.Flags() == 6 && dialog.CancelError());
            save.Cancel();
        });
        user.ClickTool("atbMisc", "ID_Save", [&](FileDialogUser& save) {
            EXPECT_EQ(save.Dialog().FileName(), "Transmitters.txm") << "a cancel keeps the name";
            save.Choose(plant);
        });
        EXPECT_EQ(Stored(plant, "TXM2"), "Pump|6|2|1|4800,n,8,1|1|");

        Tool(user, "ID_Delete");
        user.ClickTool("atbMisc", "ID_Save", [&](FileDialogUser& save) {
            EXPECT_EQ(save.Dialog().FileName(), "plant.txm");
            EXPECT_EQ(save.Dialog().InitDir(), m_Folder.Path().string());
            save.Choose("plant");
            save.AnswerOverwrite(false);
            save.Choose("plant.txm");
            save.AnswerOverwrite(true);
            EXPECT_EQ(save.Questions(), (Strings{plant, plant}));
        });
        Tool(user, "ID_Cancel");
    });
    EXPECT_EQ(Stored(plant, "TXM1"), "Boiler|5|1|1|4800,n,8,1|1|");
    EXPECT_EQ(Stored(plant, "TXM2"), "<none>");
    EXPECT_FALSE(std::filesystem::exists(InFolder("configs/Transmitters.txm")));
}

}  // namespace
}  // namespace listtest
