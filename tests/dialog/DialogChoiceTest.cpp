// Choosing type, version, protocol, settings and port, with their dependent effects, and a
// language change while the dialog is open.

#include "DialogFixture.h"

namespace dialogtest {
namespace {

using Strings = std::vector<std::string>;
using DialogChoice = DialogSession;

TEST_F(DialogChoice, ChoosingATypeRefillsTheListsAndSetsItsValues) {
    auto txm = Silent(3, 9, 1, "1200,n,8,1", 1, "Tank", "Rev 6");
    const VbBool result = Edit(txm, [&](User& user) {
        m_World->Language().SetLanguageIndex(2);  // a refilled port list would turn Hungarian
        user.Choose("cmbType", "Vestra");
        m_World->Language().SetLanguageIndex(1);
        EXPECT_EQ(List(user, "cmbPort").List(8), "Modem Connection");
        EXPECT_EQ(List(user, "cmbSettings").Items(),
                  (Strings{"1200,n,8,1", "2400,n,8,1", "4800,n,8,1"}));
        EXPECT_EQ(List(user, "cmbSettings").Text(), "4800,n,8,1");
        EXPECT_EQ(List(user, "cmbProtocol").Items(),
                  (Strings{"Vestra Modbus", "Vestra ASCII", "Vestra Fast"}));
        EXPECT_EQ(List(user, "cmbProtocol").ListIndex(), 0);
        EXPECT_EQ(List(user, "cmbVersion").Text(), "VX1");
        EXPECT_TRUE(Check(user, "chkTag").Enabled());
        EXPECT_FALSE(Button(user, "cmdQuennetConnect").Enabled());
        EXPECT_EQ(List(user, "cmbPort").Text(), "COM1");

        user.Choose("cmbType", "Quorra");
        EXPECT_EQ(List(user, "cmbSettings").Items(), (Strings{"1200,n,8,1"}));
        EXPECT_EQ(List(user, "cmbSettings").ListIndex(), 0);
        EXPECT_FALSE(Check(user, "chkTag").Enabled());
        EXPECT_TRUE(Button(user, "cmdQuennetConnect").Enabled());
        EXPECT_EQ(Caption(user, "cmdOK"), "OK");
        EXPECT_EQ(Box(user, "txtAddress").Text(), "9");

        user.Choose("cmbType", "Kalmo");
        EXPECT_TRUE(Check(user, "chkTag").Enabled()) << "type 6 offers the tag once chosen";
        EXPECT_FALSE(Button(user, "cmdQuennetConnect").Enabled());
        user.Choose("cmbProtocol", "Kalmo Legacy");
        user.Choose("cmbVersion", "K6.2");
        Confirm(user);
    });
    EXPECT_EQ(result, VbTrue);
    EXPECT_EQ(txm->TxmType(), 6);
    EXPECT_EQ(txm->Server()->TypeName(), "Kalmo");
    EXPECT_EQ(txm->TypeText(), "Kalmo");
    EXPECT_EQ(txm->ComSettings(), "4800,n,8,1");
    EXPECT_EQ(txm->Protocol(), 2);
    EXPECT_EQ(txm->Version(), "K6.2");
    EXPECT_EQ(txm->Address(), 9) << "a type change does not judge the address again";
    EXPECT_TRUE(m_World->Messages.empty());
}

TEST_F(DialogChoice, ATypeSetsProtocolOneAndATypeWithoutRulesChangesNoSetting) {
    m_Txms->Servers().Add(vq::Product().CreateDeviceServer(1));  // type 7, without rules
    auto txm = Silent(1, 12, 2, "4800,n,8,1", 2, "Boiler");
    Edit(txm, [&](User& user) {
        const auto work = WorkingCopy(txm);
        user.Choose("cmbType", "Vestra");
        EXPECT_EQ(work->Protocol(), 1) << "from protocol 2, which Vestra has as well";
        EXPECT_EQ(List(user, "cmbProtocol").ListIndex(), 0);
        user.Choose("cmbSettings", "2400,n,8,1");
        user.Choose("cmbProtocol", "Vestra Fast");
        user.Choose("cmbType", "Orbel");
        EXPECT_EQ(Box(user, "txtAddress").Text(), "12") << "ranges apply at commit only";
        user.Choose("cmbType", "Vestra");
        user.Choose("cmbSettings", "2400,n,8,1");
        user.Choose("cmbProtocol", "Vestra Fast");

        user.Choose("cmbType", 6);
        EXPECT_EQ(work->ComSettings(), "2400,n,8,1");
        EXPECT_EQ(work->Protocol(), 3);
        EXPECT_EQ(List(user, "cmbSettings").Items().size(), 3u) << "the list stays as it was";
        EXPECT_TRUE(Check(user, "chkTag").Enabled()) << "left as Vestra had it";
        EXPECT_FALSE(Button(user, "cmdQuennetConnect").Enabled());
        user.Focus("txtAddress");
        user.Type("5");
        user.PressEnter();
        EXPECT_EQ(work->Address(), 12) << "no address is accepted";
        EXPECT_EQ(Box(user, "txtAddress").Text(), "5") << "and the box is left as typed";
        user.Choose("cmbType", "Zandor");
        user.Choose("cmbType", 6);
        EXPECT_FALSE(Check(user, "chkTag").Enabled()) << "left as Zandor had it";
        Confirm(user);
    });
    EXPECT_EQ(txm->TxmType(), 7);
    EXPECT_EQ(txm->Address(), 12);
}

TEST_F(DialogChoice, AFreePortIsProbedAndTaken) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    auto port = m_World->Port(1);
    port->IsOpen = true;  // left open by an earlier user of the port object
    Edit(txm, [&](User& user) {
        port->Calls.clear();
        user.Choose("cmbPort", "COM3");
        EXPECT_EQ(port->Calls, (Strings{"Open", "SetOpen(0)", "SetPortNumber(3)", "Open",
                                        "SetOpen(-1)", "SetOpen(0)"}));
        user.Choose("cmbPort", "Modem Connection");
        Confirm(user);
    });
    EXPECT_EQ(txm->ComPort(), 9);
    EXPECT_TRUE(m_World->Messages.empty());
    EXPECT_EQ(port->Number, 9) << "the probed port number stays set";
}

TEST_F(DialogChoice, AHeldPortIsRefusedWithAWarningAndThePreviousPortReturns) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    m_World->HeldPorts.insert(4);
    auto port = m_World->Port(1);
    Edit(txm, [&](User& user) {
        port->Calls.clear();
        user.Choose("cmbPort", "COM4");
        EXPECT_EQ(List(user, "cmbPort").Text(), "COM2");
        EXPECT_EQ(port->Calls, (Strings{"Open", "SetPortNumber(4)", "Open", "SetOpen(-1)"}))
            << "one probe only: returning to the previous port probes nothing";
        Confirm(user);
    });
    EXPECT_EQ(txm->ComPort(), 2);
    ASSERT_EQ(m_World->Messages.size(), 1u);
    const sim::MessageRecord& warning = m_World->Messages[0];
    EXPECT_EQ(warning.Prompt, "Communication Port is Not Available!\r\nCOM4");
    EXPECT_EQ(warning.Style, 48);
    EXPECT_EQ(warning.Buttons, 0);
    EXPECT_EQ(warning.Title, "Transmitter properties");
}

TEST_F(DialogChoice, ARefusedPortLeavesNoPortSelectedWhenTheStoredOneHasNoEntry) {
    m_World->HeldPorts.insert(4);
    for (int16_t stored : {int16_t{0}, int16_t{12}}) {
        SCOPED_TRACE("stored port " + std::to_string(stored));
        auto txm = Silent(1, 5, stored, "4800,n,8,1", 1, "Far");
        Edit(txm, [](User& user) {
            user.Choose("cmbPort", "COM4");
            EXPECT_EQ(List(user, "cmbPort").ListIndex(), -1) << "not the refused COM4";
            Confirm(user);
        });
        EXPECT_EQ(txm->ComPort(), stored);
    }
    EXPECT_EQ(m_World->Messages.size(), 2u);
}

TEST_F(DialogChoice, HartPortsAreProbedThroughTheErrorValue) {
    auto txm = Silent(3, 5, 1, "1200,n,8,1", 1, "Tank");
    m_World->HeldPorts.insert(5);
    auto port = m_World->Port(3);
    port->Number = 1;
    m_World->Language().SetLanguageIndex(4);
    Edit(txm, [&](User& user) {
        port->Calls.clear();
        user.Choose("cmbPort", "COM5");
        EXPECT_EQ(port->Calls, (Strings{"HartPortNumber", "SetHartPortNumber(5)", "ErrorValue",
                                        "SetCommPortByName(1)"}));
        EXPECT_EQ(List(user, "cmbPort").Text(), "COM1");
        port->Calls.clear();
        user.Choose("cmbPort", "COM6");
        EXPECT_EQ(port->Calls, (Strings{"HartPortNumber", "SetHartPortNumber(6)", "ErrorValue"}));
        Confirm(user);
    });
    EXPECT_EQ(txm->ComPort(), 6);
    EXPECT_EQ(port->Number, 6);
    EXPECT_EQ(Prompts(), (Strings{"La porta di comunicazione non è disponibile!\r\nCOM5"}));
    EXPECT_EQ(m_World->Messages[0].Title, "Proprietà del trasmettitore");
}

TEST_F(DialogChoice, AServerWithoutPortObjectRefusesEveryPort) {
    auto txm = Silent(2, 5, 2, "4800,n,8,1", 1, "Pellix");
    m_World->Family(2).NoPortObject = true;
    Edit(txm, [](User& user) {
        user.Choose("cmbPort", "COM1");
        EXPECT_EQ(List(user, "cmbPort").Text(), "COM2");
        Cancel(user);
    });
    EXPECT_EQ(Prompts(), (Strings{"Communication Port is Not Available!\r\nCOM1"}));
}

TEST_F(DialogChoice, ALanguageChangeRecaptionsButKeepsThePortEntries) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    Edit(txm, [&](User& user) {
        m_World->Language().SetLanguageIndex(2);
        EXPECT_EQ(user.Window().Caption(), "Távadó tulajdonságai");
        EXPECT_EQ(Caption(user, "lblMisc", 1), "Cím:");
        EXPECT_EQ(Caption(user, "cmdCancel"), "&Mégse");
        EXPECT_EQ(Caption(user, "chkAllBaudRate"), "Keresés minden megadott átviteli sebességen");
        EXPECT_EQ(List(user, "cmbPort").List(8), "Modem Connection");
        m_World->Language().SetLanguageIndex(3);
        EXPECT_EQ(user.Window().Caption(), "Transmitter properties") << "German falls back";
        EXPECT_EQ(Caption(user, "cmdQuennetConnect"), "A&utoConnect");
        Cancel(user);
    });
}

}  // namespace
}  // namespace dialogtest
