// The simulator as the core uses it: start-up, persistence and connection through the real
// collection class.

#include <gtest/gtest.h>

#include "collection/Txms.h"
#include "sim/Sim.h"

namespace {

using vq::Value;
using vq::VbFalse;
using vq::VbTrue;

class CoreSession : public ::testing::Test {
  protected:
    sim::ScratchFolder m_Folder;
    std::shared_ptr<sim::World> m_World = std::make_shared<sim::World>(m_Folder.Path());
    vq::ScopedProduct m_Product{std::make_shared<sim::Factory>(m_World)};
    std::shared_ptr<sim::HostObject> m_Host = std::make_shared<sim::HostObject>();
    vq::PassThroughRef m_History = std::make_shared<sim::NamedObject>("ComHistory");
};

TEST_F(CoreSession, InitializeInstallsThreeFamiliesWithComposedSettingsNames) {
    vq::Txms txms;
    EXPECT_EQ(txms.Initialize(m_Folder.Path().string(), m_Host, m_History), 3);
    EXPECT_EQ(m_World->RegistryLog(),
              (std::vector<std::string>{"TypeInstalled(Zandor)", "TypeInstalled(Pellix)",
                                        "TypeInstalled(Quorra)"}));
    const auto servers = m_World->Servers();
    ASSERT_EQ(servers.size(), 3u);
    EXPECT_EQ(servers[0]->LoadSettingsNames.at(0),
              (m_Folder.Path() / "English" / "Zandor.ini").string());
    EXPECT_EQ(servers[2]->InstallCommCalls.at(0).Arguments, 2);
}

TEST_F(CoreSession, SaveAndLoadRoundTripThroughRealFile) {
    vq::Txms txms;
    ASSERT_EQ(txms.Initialize(m_Folder.Path().string(), m_Host, m_History), 3);
    ASSERT_TRUE(txms.Add(Value(""), 1, 5, 2, "4800,n,8,1", 2, "Boiler", VbFalse, VbTrue));
    ASSERT_TRUE(txms.Add(Value(""), 3, 7, 1, "1200,n,8,1", 1, "Tank", VbFalse, VbTrue));
    const std::string file = (m_Folder.Path() / "plant.txm").string();
    EXPECT_EQ(txms.Save(file, "TxmConfiguration", Value(-1)), VbTrue);

    m_World->Bus.push_back({1, 7, "1200,n,8,1", 3, "T7"});
    vq::Txms loaded;
    ASSERT_EQ(loaded.Initialize(m_Folder.Path().string(), m_Host, m_History), 3);
    EXPECT_EQ(loaded.Load(file, "TxmConfiguration", Value(), VbTrue), 1);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.Item(Value(1))->Name(), "Boiler");
    EXPECT_EQ(loaded.Item(Value(2))->Connected(), VbTrue);
}

}  // namespace
