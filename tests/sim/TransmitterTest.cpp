// The simulated transmitter: the bus search of Connect with the registry's events, the
// description, the device description and the tag command.

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

    // A failed search clears the connection.
    txm->SetAddress(6);
    seen.clear();
    EXPECT_EQ(txm->Connect(VbTrue), VbFalse);
    EXPECT_EQ(txm->Connected(), VbFalse);
    EXPECT_EQ(seen.size(), 6u);  // three attempts, each timing out
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

TEST_F(TransmitterTest, DescriptionAndDeviceDescription) {
    const vq::TransmitterRef txm = Make(2, 3, 17, "4800,n,8,1");
    EXPECT_EQ(txm->TypeText(), "Pellix");
    EXPECT_EQ(txm->Describe(7), "Pellix transmitter at address 17 on COM3");
    txm->SetComPort(9);
    EXPECT_EQ(txm->Describe(7), "Pellix transmitter at address 17 on the modem connection");
    EXPECT_EQ(txm->DeviceInfo()->Versions(), (Strings{"P-100", "P-200"}));
    txm->SetTxmType(7);
    EXPECT_TRUE(txm->DeviceInfo()->Versions().empty());
    EXPECT_EQ(txm->DeviceInfo()->GetCommand("224"), nullptr);
}

TEST_F(TransmitterTest, TagCommandAnswersWhenTheInstrumentIsOnTheBus) {
    const vq::TransmitterRef txm = Make(4, 1, 8, "1200,n,8,1");
    const auto readTag = [&]() -> std::string {
        vq::CommandRef command = m_Factory.CreateCommand();
        const auto definition = txm->DeviceInfo()->GetCommand("223");
        if (!definition) return "<no definition>";
        definition->PrepareCommand(command);
        if (!command) return "<cleared>";
        if (!txm->SendCommand(command, 0, 0).IsTrue()) return "<no reply>";
        return command->ReplyValue(1).ToText();
    };
    EXPECT_EQ(readTag(), "<no reply>");  // nothing on the bus yet
    m_World->Bus.push_back({1, 8, "1200,n,8,1", 0, "FT-101"});
    // Commands travel over the port like the search does: any transmitter object with the
    // instrument's port, address and settings reaches it, connected or not.
    EXPECT_EQ(txm->Connected(), VbFalse);
    EXPECT_EQ(readTag(), "FT-101");
    m_World->HeldPorts.insert(1);
    EXPECT_EQ(readTag(), "<no reply>");
    m_World->HeldPorts.clear();
    m_World->Bus[0].Tag = "";
    EXPECT_EQ(readTag(), "");

    vq::CommandRef unprepared = m_Factory.CreateCommand();
    EXPECT_EQ(txm->SendCommand(unprepared, 0, 0), VbFalse);
    EXPECT_THROW(unprepared->ReplyValue(1), vq::Failure);
    m_World->PrepareClearsCommand = true;
    EXPECT_EQ(readTag(), "<cleared>");
    m_World->PrepareClearsCommand = false;
    m_World->SendCommandFails = true;
    EXPECT_THROW(readTag(), vq::Failure);
}

TEST_F(TransmitterTest, RecordsPutsAndAttachmentsDetach) {
    auto txm = std::dynamic_pointer_cast<sim::Transmitter>(m_Factory.CreateTransmitter());
    auto attachment = std::make_shared<sim::Attachment>();
    txm->Attach(attachment);
    txm->SetIndex(2);
    txm->SetOffLine(VbTrue);
    txm->SetHistorian(5);
    txm->SetParent(std::make_shared<sim::NamedObject>("Txms"));
    EXPECT_EQ(txm->Log(), (Strings{"Index=2", "OffLine=-1", "Historian=5", "Parent=Txms"}));
    EXPECT_EQ(txm->OffLine(), VbTrue);
    m_World->RecordPuts = false;
    txm->SetIndex(3);
    EXPECT_EQ(txm->Log().size(), 4u);
    EXPECT_EQ(txm->Index(), 3);
    ASSERT_EQ(txm->Attachments().size(), 1u);
    txm->Attachments()[0]->Detach();
    EXPECT_EQ(attachment->DetachCount, 1);
    attachment->FailOnDetach = true;
    EXPECT_THROW(txm->Attachments()[0]->Detach(), vq::Failure);

    m_World->CannotCreateTransmitter = true;
    EXPECT_THROW(m_Factory.CreateTransmitter(), vq::Failure);
    EXPECT_EQ(m_World->Transmitters().size(), 1u);
}

}  // namespace
