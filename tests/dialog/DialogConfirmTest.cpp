// OK with the connection history, the tag as name, Cancel, the title-bar close, the settings
// the dialog keeps between uses, and Add opening the dialog.

#include <algorithm>
#include <functional>

#include "DialogFixture.h"

namespace dialogtest {
namespace {

using Strings = std::vector<std::string>;
using DialogConfirm = DialogSession;

const std::string kConnecting = "Connecting:Zandor transmitter at address 5 on COM2\r\n";

TEST_F(DialogConfirm, OkWritesTheSettingsAndShowsEachAttemptWhileConnecting) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler", "V1.00");
    m_World->Bus.push_back({2, 5, "1200,n,8,1", 1, "B-5"});
    const std::size_t logBefore = LogOf(txm).size();
    Strings painted;
    const VbBool result = Edit(txm, [&](User& user) {
        TextBox& history = Box(user, "txtHistory");
        auto token = history.OnRefresh().Connect([&] { painted.push_back(history.Text()); });
        user.Click("chkAllBaudRate");
        Confirm(user);
        EXPECT_FALSE(user.Window().Visible());
    });
    EXPECT_EQ(result, VbTrue);
    EXPECT_EQ(
        painted,
        (Strings{kConnecting + "\r\n4800,n,8,1...", kConnecting + "\r\n4800,n,8,1...Not found!",
                 kConnecting + "\r\n4800,n,8,1...Not found!\r\n1200,n,8,1...",
                 kConnecting + "\r\n4800,n,8,1...Not found!\r\n1200,n,8,1...Connected!"}));
    const Strings written(LogOf(txm).begin() + static_cast<std::ptrdiff_t>(logBefore),
                          LogOf(txm).end());
    EXPECT_EQ(written, (Strings{"Server=Zandor", "TxmType=1", "Address=5", "ComPort=2",
                                "ComSettings=4800,n,8,1", "Protocol=1", "Name=Boiler",
                                "Version=V1.00", "Connected=0", "Connect(-1)"}));
    EXPECT_EQ(txm->Connected(), VbTrue);
    EXPECT_EQ(m_Txms->Count(), 1) << "Edit neither adds nor removes";
    EXPECT_EQ(Setting("AutoSearch"), "1");
}

TEST_F(DialogConfirm, AnInstrumentThatDoesNotAnswerStillConfirmsTheSettings) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    std::string shown;
    const VbBool result = Edit(txm, [&](User& user) {
        user.Focus("txtAddress");
        user.Type("7");
        user.Choose("cmbPort", "COM3");  // leaving the address box commits 7
        Confirm(user);
        shown = Box(user, "txtHistory").Text();
    });
    EXPECT_EQ(result, VbTrue);
    EXPECT_EQ(shown,
              "Connecting:Zandor transmitter at address 7 on COM3\r\n"
              "\r\n4800,n,8,1...Not found!\r\nTransmitter not found!");
    EXPECT_EQ(txm->Address(), 7);
    EXPECT_EQ(txm->ComPort(), 3);
    EXPECT_EQ(txm->Connected(), VbFalse);
    EXPECT_EQ(LogOf(txm).back(), "Connect(0)");
}

TEST_F(DialogConfirm, OkStartsTheHistoryAgainWithTheDescriptionOfCode7) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    std::shared_ptr<sim::Transmitter> work;
    std::string shown;
    Edit(txm, [&](User& user) {
        m_World->Registry().RaiseTimeOut();  // another search reaches the box first
        EXPECT_EQ(Box(user, "txtHistory").Text(), "Not found!");
        work = WorkingCopy(txm);
        Confirm(user);
        shown = Box(user, "txtHistory").Text();
    });
    EXPECT_EQ(shown.rfind(kConnecting, 0), 0u) << shown;
    EXPECT_EQ(std::count(work->Log().begin(), work->Log().end(), "Describe(7)"), 1);
}

TEST_F(DialogConfirm, AGreyAllBaudRatesBoxSearchesAllRates) {
    Store("AutoSearch", "2");
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    Edit(txm, [](User& user) { Confirm(user); });
    EXPECT_EQ(LogOf(txm).back(), "Connect(-1)");
    EXPECT_EQ(Setting("AutoSearch"), "2") << "saved as the box's value";
}

TEST_F(DialogConfirm, CancelAndTheTitleBarCloseLeaveTheTransmitterAsItWasAndKeepThePlacement) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    const Strings before = LogOf(txm);
    EXPECT_EQ(Edit(txm,
                   [&](User& user) {
                       user.Choose("cmbPort", "COM5");
                       user.CloseWindow();
                       EXPECT_FALSE(user.Window().Visible());
                       EXPECT_TRUE(user.Window().Loaded()) << "the close only hides the window";
                       EXPECT_EQ(Setting("Window"), "<none>") << "only the final unload saves";
                   }),
              VbFalse);
    EXPECT_EQ(Edit(txm,
                   [](User& user) {
                       user.Type("Other");
                       user.PressEnter();
                       user.Choose("cmbType", "Pellix");
                       user.Window().SetLeft(1500);
                       user.Window().SetTop(700);
                       Cancel(user);
                   }),
              VbFalse);
    EXPECT_EQ(Setting("Window"), "1500,700,6030,5460,0")
        << "every final unload saves the placement";
    EXPECT_EQ(Edit(txm,
                   [](User& user) {
                       EXPECT_EQ(user.Window().Left(), 1500) << "a reopened dialog restores it";
                       EXPECT_EQ(user.Window().Top(), 700);
                       user.PressEscape();
                   }),
              VbFalse);
    EXPECT_EQ(LogOf(txm), before);
}

TEST_F(DialogConfirm, TheInstrumentsTagBecomesTheNameWhenAsked) {
    m_World->Bus.push_back({2, 5, "4800,n,8,1", 4, "PT-101"});
    Store("AutoName", "1");
    auto txm = Silent(4, 5, 2, "4800,n,8,1", 1, "Vestra");
    std::string nameShown;
    Edit(txm, [&](User& user) {
        Confirm(user);
        nameShown = Box(user, "txtName").Text();
    });
    EXPECT_EQ(txm->Name(), "PT-101");
    EXPECT_EQ(nameShown, "PT-101");

    struct Case {
        std::string why;
        std::function<void()> setUp;
    };
    const std::vector<Case> noTag{
        {"grey tag box", [&] { Store("AutoName", "2"); }},
        {"failed transaction", [&] { m_World->SendCommandFails = true; }},
        {"command cleared", [&] { m_World->PrepareClearsCommand = true; }},
    };
    for (const Case& c : noTag) {
        SCOPED_TRACE(c.why);
        Store("AutoName", "1");
        c.setUp();
        txm->SetName("Typed");
        Edit(txm, [&](User& user) { Confirm(user); });
        EXPECT_EQ(txm->Name(), "Typed");
        EXPECT_EQ(txm->Connected(), VbTrue);
        m_World->SendCommandFails = false;
        m_World->PrepareClearsCommand = false;
    }
    EXPECT_TRUE(m_World->Messages.empty());
}

TEST_F(DialogConfirm, OnlyTypeFourReadsATag) {
    m_World->Bus.push_back({2, 5, "4800,n,8,1", 6, "K-1"});
    auto txm = Silent(6, 5, 2, "4800,n,8,1", 1, "Kalmo");
    std::shared_ptr<sim::Transmitter> work;
    Edit(txm, [&](User& user) {
        user.Choose("cmbType", "Vestra");
        user.Choose("cmbType", "Kalmo");  // type 6 chosen: the tag box is enabled
        user.Click("chkTag");
        EXPECT_TRUE(Box(user, "txtName").Locked());
        work = WorkingCopy(txm);
        Confirm(user);
    });
    EXPECT_EQ(txm->Connected(), VbTrue);
    EXPECT_EQ(txm->Name(), "Kalmo");
    for (const std::string& entry : work->Log())
        EXPECT_EQ(entry.find("SendCommand"), std::string::npos);
}

TEST_F(DialogConfirm, AddOpensTheDialogBeforeAppending) {
    const std::string name = m_Txms->GetNextTxmName();
    m_Windows->Then([](User& user) {
        EXPECT_EQ(Box(user, "txtName").Text(), "Untitled1");
        user.Type("Boiler");
        user.Choose("cmbType", "Quorra");
        Confirm(user);
    });
    vq::TransmitterRef added =
        m_Txms->Add(Value("boiler"), 1, 1, 1, "4800,n,8,1", 1, name, VbFalse);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(m_Txms->Count(), 1);
    EXPECT_EQ(added->Name(), "Boiler");
    EXPECT_EQ(added->TxmType(), 3);
    EXPECT_EQ(added->ComSettings(), "1200,n,8,1");
    EXPECT_EQ(m_Txms->ActiveTxm(), added);
    EXPECT_EQ(m_World->RegistryLog().back(), "TxmActivated(Boiler)");
    EXPECT_EQ(m_Windows->Pending(), 0u);
}

}  // namespace
}  // namespace dialogtest
