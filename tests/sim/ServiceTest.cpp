// The simulated shared service and the components around it: placement, message boxes,
// texts, the language object, the path splitter, the chooser, device servers and port objects.

#include <gtest/gtest.h>

#include <array>

#include "sim/Sim.h"
#include "support/Failure.h"

namespace {

using vq::VbFalse;
using vq::VbTrue;
using Strings = std::vector<std::string>;

class Window : public vq::PlacementWindow {
  public:
    int32_t Values[5] = {100, 200, 3000, 4000, 0};
    int32_t Left() override { return Values[0]; }
    int32_t Top() override { return Values[1]; }
    int32_t Width() override { return Values[2]; }
    int32_t Height() override { return Values[3]; }
    int32_t WindowState() override { return Values[4]; }
    void SetLeft(int32_t v) override { Values[0] = v; }
    void SetTop(int32_t v) override { Values[1] = v; }
    void SetWidth(int32_t v) override { Values[2] = v; }
    void SetHeight(int32_t v) override { Values[3] = v; }
    void SetWindowState(int32_t v) override { Values[4] = v; }
    int64_t WindowHandle() override { return 0; }
};

class ServiceTest : public ::testing::Test {
  protected:
    sim::ScratchFolder m_Folder;
    std::shared_ptr<sim::World> m_World = std::make_shared<sim::World>(m_Folder.Path());
    sim::Factory m_Factory{m_World};
    std::shared_ptr<vq::SharedService> m_Service = m_Factory.Service();
};

TEST_F(ServiceTest, PlacementRoundTripAndMissingOrMalformedEntriesChangeNothing) {
    const std::string file = m_Service->SettingsFilePath();
    Window saved;
    saved.Values[0] = -240;
    saved.Values[4] = 2;
    m_Service->SavePlacement(saved, file, "Transmitters", "Window");
    Window restored;
    EXPECT_TRUE(m_Service->RestorePlacement(restored, file, "TRANSMITTERS", "window").EqualsTrue());
    EXPECT_EQ(std::vector<int32_t>(restored.Values, restored.Values + 5),
              std::vector<int32_t>(saved.Values, saved.Values + 5));

    for (const char* bad : {"1,2,3,4", "1,2,3,4,5,6", "a,2,3,4,5", "1;2;3;4;5", ""}) {
        m_Service->WriteSetting(file, "Transmitters", "Window", bad);
        Window untouched;
        EXPECT_FALSE(
            m_Service->RestorePlacement(untouched, file, "Transmitters", "Window").EqualsTrue())
            << bad;
        EXPECT_EQ(untouched.Values[0], 100) << bad;
        EXPECT_EQ(untouched.Values[4], 0) << bad;
    }
}

TEST_F(ServiceTest, MessagesTextsAndTheSameObjectsOnEveryRequest) {
    m_World->MessageAnswers = {6};
    m_World->DefaultMessageAnswer = 2;
    EXPECT_EQ(m_Service->ShowMessage("Port?\nCOM3", 0, 48, "Add new transmitter", nullptr), 6);
    EXPECT_EQ(m_Service->ShowMessage("Again", 0, 48, "T", nullptr), 2);
    ASSERT_EQ(m_World->Messages.size(), 2u);
    EXPECT_EQ(m_World->Messages[0].Prompt, "Port?\nCOM3");
    EXPECT_EQ(m_World->Messages[0].Style, 48);
    EXPECT_EQ(m_World->Messages[0].Title, "Add new transmitter");

    EXPECT_EQ(m_Service->GetString(200), "OK");
    EXPECT_EQ(m_Service->GetString(208), "Transmitters");
    EXPECT_THROW(m_Service->GetString(201), vq::Failure);
    EXPECT_EQ(m_Service->ListSeparator(), "|");
    EXPECT_EQ(m_Service->ServerSettingName(3), "Quorra.ini");
    EXPECT_THROW(m_Service->ServerSettingName(7), vq::Failure);
    EXPECT_EQ(m_Service->Language(), m_Service->Language());
    EXPECT_EQ(m_Service->Registry(), m_Service->Registry());
    EXPECT_EQ(m_Service->PathSplitter(), m_Service->PathSplitter());
    EXPECT_EQ(m_Factory.Service(), m_Service);
    EXPECT_EQ(m_Factory.ConfigChooser(), m_Factory.ConfigChooser());

    std::vector<int32_t> changes;
    auto token =
        m_Service->Language()->OnLanguageChange().Connect([&](int32_t i) { changes.push_back(i); });
    m_World->Language().SetLanguageIndex(2);
    EXPECT_EQ(changes, std::vector<int32_t>{2});
    EXPECT_EQ(m_Service->Language()->LanguageIndex(), 2);
    EXPECT_EQ(m_Service->Language()->ResourcesText(), "Magyar");
}

TEST_F(ServiceTest, PathSplitterSplitsAtTheLastSeparatorAndComposesWithTheFoldersOwn) {
    sim::PathSplitter splitter;
    const std::vector<std::array<std::string, 3>> splits = {
        {"C:\\Plant\\a.txm", "C:\\Plant", "a.txm"},
        {"/srv/plant/a.txm", "/srv/plant", "a.txm"},
        {"a.txm", "", "a.txm"},
        {"\\\\srv\\share\\a.txm", "\\\\srv\\share", "a.txm"},
        {"/a.txm", "/", "a.txm"}};
    for (const auto& [full, folder, file] : splits) {
        splitter.SetFullName(full);
        EXPECT_EQ(splitter.Folder(), folder) << full;
        EXPECT_EQ(splitter.FileName(), file) << full;
        EXPECT_EQ(splitter.FullName(), full);
    }
    EXPECT_EQ(sim::PathSplitter::Compose("C:\\Vistrel", "English", "Zandor.ini"),
              "C:\\Vistrel\\English\\Zandor.ini");
    EXPECT_EQ(sim::PathSplitter::Compose("C:\\Vistrel\\", "English", "Zandor.ini"),
              "C:\\Vistrel\\English\\Zandor.ini");
    EXPECT_EQ(sim::PathSplitter::Compose("/opt/v", "English", "Zandor.ini"),
              "/opt/v/English/Zandor.ini");
}

TEST_F(ServiceTest, ChooserRecordsItsCallsAndReportsTheScriptedAnswer) {
    auto chooser = m_Factory.ConfigChooser();
    const vq::TransmitterRef txm = m_Factory.CreateTransmitter();
    txm->SetName("Boiler");
    chooser->SetTxm(txm);
    std::string fileName = "C:\\a.txm";
    chooser->Run(8, fileName, -1, 0);
    EXPECT_EQ(chooser->FileName(), "");
    EXPECT_EQ(fileName, "C:\\a.txm");
    m_World->ChooserAnswer = "C:\\b.txm";
    chooser->Run(8, fileName, -1, 0);
    EXPECT_EQ(chooser->FileName(), "C:\\b.txm");
    chooser->SetFinished(VbTrue);
    chooser->Answer();
    EXPECT_EQ(m_World->ChooserLog,
              (Strings{"SetTxm(Boiler)", "Run(8, C:\\a.txm, -1, 0)", "FileName()",
                       "Run(8, C:\\a.txm, -1, 0)", "FileName()", "SetFinished(-1)", "Answer()"}));
}

TEST_F(ServiceTest, DeviceServersAcceptOnlyComposedSettingsNamesAndObeyTheirSetUp) {
    const auto server = m_Factory.CreateDeviceServer(2);
    const std::string folder = m_Folder.Path().string();
    EXPECT_TRUE(server->LoadSettings(sim::PathSplitter::Compose(folder, "English", "Pellix.ini"))
                    .EqualsTrue());
    EXPECT_TRUE(server->LoadSettings("C:\\Vistrel\\English\\Pellix.ini").EqualsTrue());
    EXPECT_FALSE(server->LoadSettings("C:\\Vistrel\\Pellix.ini\\English").EqualsTrue());
    EXPECT_FALSE(server->LoadSettings("C:\\Vistrel\\English\\Zandor.ini").EqualsTrue());
    EXPECT_FALSE(server->LoadSettings("C:\\Vistrel\\\\English\\Pellix.ini").EqualsTrue());
    m_World->Language().SetLanguageIndex(3);
    EXPECT_FALSE(server->LoadSettings("C:\\Vistrel\\English\\Pellix.ini").EqualsTrue());
    m_World->RequiredSettingsFolder = "C:\\Vistrel";
    EXPECT_TRUE(server->LoadSettings("C:\\Vistrel\\Deutsch\\Pellix.ini").EqualsTrue());
    EXPECT_FALSE(server->LoadSettings("D:\\Vistrel\\Deutsch\\Pellix.ini").EqualsTrue());

    sim::HostObject host;
    vq::PassThroughRef history = std::make_shared<sim::NamedObject>("ComHistory");
    EXPECT_TRUE(server->InstallComm(host.ComMisc(), host.ComModem(), history).EqualsTrue());
    EXPECT_THROW(server->InstallComm(host.ComModem(), host.ComMisc(), history), vq::Failure);
    EXPECT_THROW(server->InstallComm(host.ActiveHART1(), history), vq::Failure);  // wrong form
    m_World->Family(2).HistoryToHandBack = std::make_shared<sim::NamedObject>("NewHistory");
    m_World->Family(2).InstallComm = sim::Outcome::Refuse;
    EXPECT_EQ(server->InstallComm(host.ComMisc(), host.ComModem(), history).Describe(), "False");
    m_World->Family(2).InstallComm = sim::Outcome::Succeed;
    EXPECT_TRUE(server->InstallComm(host.ComMisc(), host.ComModem(), history).EqualsTrue());
    EXPECT_EQ(sim::NameOf(history), "NewHistory");
    m_World->Family(2).LoadSettings = sim::Outcome::Fail;
    EXPECT_THROW(server->LoadSettings("C:\\Vistrel\\Deutsch\\Pellix.ini"), vq::Failure);

    host.Lacks.insert("comModem");
    EXPECT_THROW(host.ComModem(), vq::Failure);
    m_World->Family(3).CannotCreate = true;
    EXPECT_THROW(m_Factory.CreateDeviceServer(3), vq::Failure);
    EXPECT_THROW(m_Factory.CreateDeviceServer(7), vq::Failure);
    EXPECT_EQ(m_World->ServersCreated[3], 1);

    std::string received = "none";
    auto token = server->OnUnitSychronized().Connect([&](std::string& info) { received = info; });
    std::dynamic_pointer_cast<sim::DeviceServer>(server)->RaiseUnitSynchronized("");
    EXPECT_EQ(received, "");
}

TEST_F(ServiceTest, PortProbe) {
    m_World->HeldPorts = {3};
    auto port = m_Factory.CreateDeviceServer(1)->GetComObject();
    ASSERT_TRUE(port);
    port->SetPortNumber(2);
    port->SetOpen(VbTrue);
    EXPECT_EQ(port->Open(), VbTrue);
    EXPECT_THROW(port->SetPortNumber(3), vq::Failure);  // not while open
    port->SetOpen(VbFalse);
    port->SetPortNumber(3);
    EXPECT_THROW(port->SetOpen(VbTrue), vq::Failure);  // held by another program
    EXPECT_EQ(port->Open(), VbFalse);
    EXPECT_THROW(port->ErrorValue(), vq::Failure);  // a member of the family-3 port only
    EXPECT_EQ(m_World->Port(1)->Calls,
              (Strings{"SetPortNumber(2)", "SetOpen(-1)", "Open", "SetPortNumber(3)", "SetOpen(0)",
                       "SetPortNumber(3)", "SetOpen(-1)", "Open", "ErrorValue"}));

    auto hart = m_Factory.CreateDeviceServer(3)->GetComObject();
    EXPECT_EQ(hart, m_Factory.CreateDeviceServer(3)->GetComObject());  // one port object per family
    hart->SetHartPortNumber(3);
    EXPECT_NE(hart->ErrorValue(), 0);
    hart->SetCommPortByName(1);
    EXPECT_EQ(hart->ErrorValue(), 0);
    EXPECT_EQ(hart->HartPortNumber(), 1);
    EXPECT_THROW(hart->SetOpen(VbTrue), vq::Failure);

    m_World->Family(2).NoPortObject = true;
    EXPECT_EQ(m_Factory.CreateDeviceServer(2)->GetComObject(), nullptr);
}

}  // namespace
