// The simulated transmitter's bus search: Connect with the registry's events. (The tag
// command is checked through the dialog that reads it.)

#include <gtest/gtest.h>

#include "sim/Sim.h"
#include "support/Failure.h"

namespace {

using vq::VbFalse;
using vq::VbTrue;
using Strings = std::vector<std::string>;

class TransmitterTest : public ::testing::Test {
  protected:
    sim::ScratchFolder m_Folder;
    std::shared_ptr<sim::World> m_World = std::make_shared<sim::World>(m_Folder.Path());
    sim::Factory m_Factory{m_World};

    // A transmitter of a type at a port and address, its server set, named "T".
    vq::TransmitterRef Make(int32_t type, int16_t port, int16_t address,
                            const std::string& settings) {
        vq::TransmitterRef txm = m_Factory.CreateTransmitter();
        txm->SetServer(m_Factory.CreateDeviceServer(type));
        txm->SetTxmType(type);
        txm->SetComPort(port);
        txm->SetAddress(address);
        txm->SetComSettings(settings);
        txm->SetName("T");
        return txm;
    }
};

TEST_F(TransmitterTest, ConnectTriesItsOwnSettingsAloneUnlessAskedForAllBaudRates) {
    m_World->Bus.push_back({2, 5, "2400,n,8,1", 0, ""});
    Strings seen;
    auto& registry = m_World->Registry();
    auto a =
        registry.AutoConnet().Connect([&](std::string& s) { seen.push_back("AutoConnet " + s); });
    auto t = registry.TimeOut().Connect([&] { seen.push_back("TimeOut"); });
    auto c = registry.TxmConnected().Connect([&](vq::TransmitterRef& txm) {
        seen.push_back("TxmConnected " + txm->Name() + " " +
                       std::to_string(txm->Connected().Value));
    });

    const vq::TransmitterRef txm = Make(1, 2, 5, "1200,n,8,1");
    EXPECT_EQ(txm->Connect(VbFalse), VbFalse);
    EXPECT_EQ(txm->Connected(), VbFalse);
    EXPECT_EQ(seen, (Strings{"AutoConnet 1200,n,8,1", "TimeOut"}));

    seen.clear();
    EXPECT_EQ(txm->Connect(vq::VbBool(1)), VbTrue);  // any non-zero value asks for all rates
    EXPECT_EQ(txm->Connected(), VbTrue);
    EXPECT_EQ(seen, (Strings{"AutoConnet 1200,n,8,1", "TimeOut", "AutoConnet 4800,n,8,1", "TimeOut",
                             "AutoConnet 2400,n,8,1", "TxmConnected T -1"}));
    EXPECT_EQ(m_World->RegistryEvents.back(), "TxmConnected(T)");

    // Found at another rate, the transmitter keeps that rate and is found there at once.
    EXPECT_EQ(txm->ComSettings(), "2400,n,8,1");
    seen.clear();
    EXPECT_EQ(txm->Connect(VbFalse), VbTrue);
    EXPECT_EQ(seen, (Strings{"AutoConnet 2400,n,8,1", "TxmConnected T -1"}));

    // A failed search clears the connection and keeps the settings.
    txm->SetAddress(6);
    seen.clear();
    EXPECT_EQ(txm->Connect(VbTrue), VbFalse);
    EXPECT_EQ(txm->Connected(), VbFalse);
    EXPECT_EQ(seen.size(), 6u);  // three attempts, each timing out
    EXPECT_EQ(txm->ComSettings(), "2400,n,8,1");
}

TEST_F(TransmitterTest, OnlyAnInstrumentAtTheSamePortAddressSettingsAndTypeAnswers) {
    m_World->Bus.push_back({1, 3, "4800,N,8,1", 4, "TAG"});
    EXPECT_EQ(Make(4, 1, 3, "4800,n,8,1")->Connect(VbFalse), VbTrue);   // parity letter case aside
    EXPECT_EQ(Make(1, 1, 3, "4800,n,8,1")->Connect(VbFalse), VbFalse);  // another type
    EXPECT_EQ(Make(4, 2, 3, "4800,n,8,1")->Connect(VbFalse), VbFalse);  // another port
    EXPECT_EQ(Make(4, 1, 4, "4800,n,8,1")->Connect(VbFalse), VbFalse);  // another address
    m_World->HeldPorts.insert(1);
    EXPECT_EQ(Make(4, 1, 3, "4800,n,8,1")->Connect(VbTrue), VbFalse);  // held by another program
}

}  // namespace
