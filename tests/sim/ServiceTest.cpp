// The simulated components around the shared service that other tests rely on: the path
// splitter, the settings names device servers accept, and the port objects the dialog probes.
// (Placement entries are checked through the dialog that keeps its placement; the calling
// forms of InstallComm through the collection's start-up.)

#include <gtest/gtest.h>

#include <array>

#include "sim/Sim.h"
#include "support/Failure.h"

namespace {

using vq::VbFalse;
using vq::VbTrue;

class ServiceTest : public ::testing::Test {
  protected:
    sim::ScratchFolder m_Folder;
    std::shared_ptr<sim::World> m_World = std::make_shared<sim::World>(m_Folder.Path());
    sim::Factory m_Factory{m_World};
};

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
    for (const char* folder : {"C:\\Vistrel", "C:\\Vistrel\\"})
        EXPECT_EQ(sim::PathSplitter::Compose(folder, "English", "Zandor.ini"),
                  "C:\\Vistrel\\English\\Zandor.ini");
    EXPECT_EQ(sim::PathSplitter::Compose("/opt/v", "English", "Zandor.ini"),
              "/opt/v/English/Zandor.ini");
}

TEST_F(ServiceTest, DeviceServersAcceptOnlyComposedSettingsNamesAndObeyTheirSetUp) {
    const auto server = m_Factory.CreateDeviceServer(2);
    EXPECT_TRUE(server->LoadSettings("C:\\Vistrel\\English\\Pellix.ini").EqualsTrue());
    for (const char* wrong :
         {"C:\\Vistrel\\Pellix.ini\\English", "C:\\Vistrel\\English\\Zandor.ini",
          "C:\\Vistrel\\\\English\\Pellix.ini"})
        EXPECT_FALSE(server->LoadSettings(wrong).EqualsTrue()) << wrong;
    m_World->Language().SetLanguageIndex(3);
    EXPECT_FALSE(server->LoadSettings("C:\\Vistrel\\English\\Pellix.ini").EqualsTrue());
    m_World->RequiredSettingsFolder = "C:\\Vistrel";
    EXPECT_TRUE(server->LoadSettings("C:\\Vistrel\\Deutsch\\Pellix.ini").EqualsTrue());
    EXPECT_FALSE(server->LoadSettings("D:\\Vistrel\\Deutsch\\Pellix.ini").EqualsTrue());
}

// The probe sequences themselves are checked by the dialog's tests; these are the port
// objects' own rules.
TEST_F(ServiceTest, PortObjectsRefuseWhatTheRealOnesRefuse) {
    m_World->HeldPorts = {3};
    auto port = m_Factory.CreateDeviceServer(1)->GetComObject();
    port->SetOpen(VbTrue);
    EXPECT_THROW(port->SetPortNumber(2), vq::Failure) << "not while open";
    EXPECT_THROW(port->SetOpen(VbTrue), vq::Failure) << "already open";
    port->SetOpen(VbFalse);
    port->SetPortNumber(3);
    EXPECT_THROW(port->SetOpen(VbTrue), vq::Failure) << "held by another program";
    EXPECT_EQ(port->Open(), VbFalse);
    EXPECT_THROW(port->ErrorValue(), vq::Failure) << "a member of the family-3 port only";

    auto hart = m_Factory.CreateDeviceServer(3)->GetComObject();
    EXPECT_EQ(hart, m_Factory.CreateDeviceServer(3)->GetComObject()) << "one per family";
    EXPECT_THROW(hart->SetOpen(VbTrue), vq::Failure);
    hart->SetHartPortNumber(3);
    EXPECT_NE(hart->ErrorValue(), 0);
    hart->SetCommPortByName(1);
    EXPECT_EQ(hart->ErrorValue(), 0);
}

}  // namespace
