// The simulated transmitter with its device description, command objects and attachments.

#include <algorithm>

#include "sim/Objects.h"
#include "support/Failure.h"

namespace sim {

namespace {

const char* const kDefinedSettings[] = {"4800,n,8,1", "1200,n,8,1", "2400,n,8,1"};
const char* const kTagCommand = "223";

class CommandDefinition : public vq::CommandDefinition {
  public:
    CommandDefinition(std::shared_ptr<World> world, std::string key)
        : m_World(std::move(world)), m_Key(std::move(key)) {}

    void PrepareCommand(vq::CommandRef& command) override {
        if (m_World->PrepareClearsCommand) {
            command.reset();
            return;
        }
        auto* own = dynamic_cast<sim::Command*>(command.get());
        if (own == nullptr)
            throw vq::Failure(vq::Codes::TypeMismatch,
                              "PrepareCommand needs a command object of the item library");
        own->Key = m_Key;
        own->Replies.clear();
    }

  private:
    std::shared_ptr<World> m_World;
    std::string m_Key;
};

class DeviceInfo : public vq::DeviceInfo {
  public:
    DeviceInfo(std::shared_ptr<World> world, int32_t txmType)
        : m_World(std::move(world)), m_TxmType(txmType) {}

    std::vector<std::string> Versions() override {
        if (m_TxmType < 1 || m_TxmType > 6) return {};
        return m_World->Family(m_TxmType).Versions;
    }

    std::shared_ptr<vq::CommandDefinition> GetCommand(const std::string& key) override {
        if (key != kTagCommand) return nullptr;
        return std::make_shared<CommandDefinition>(m_World, key);
    }

  private:
    std::shared_ptr<World> m_World;
    int32_t m_TxmType;
};

// Stores a property and records the put as "Name=shown" when the world wants puts recorded;
// throws, storing nothing, when the world wants puts of that property to fail.
template <class T>
void Put(std::vector<std::string>& log, const World& world, T& field, const T& value,
         const char* name, const std::string& shown) {
    if (world.FailingPuts.count(name) != 0)
        throw vq::Failure(vq::Codes::Fail,
                          std::string("The transmitter refused the value of ") + name);
    field = value;
    if (world.RecordPuts) log.push_back(std::string(name) + "=" + shown);
}

std::string Flag(vq::VbBool b) {
    return std::to_string(b.Value);
}

}  // namespace

std::string NameOf(const vq::PassThroughRef& object) {
    if (!object) return "Nothing";
    if (const auto* named = dynamic_cast<const NamedObject*>(object.get())) return named->Name;
    return "an object";
}

void Attachment::Detach() {
    ++DetachCount;
    if (OnDetach) OnDetach();
    if (FailOnDetach) throw vq::Failure(vq::Codes::Fail, "The attachment refused to detach");
}

vq::Value Command::ReplyValue(int32_t index) {
    if (index < 1 || index > static_cast<int32_t>(Replies.size()))
        throw vq::Failure(vq::Codes::SubscriptOutOfRange, "The command has no reply value " +
                                                              std::to_string(index) + " (it has " +
                                                              std::to_string(Replies.size()) + ")");
    return Replies[static_cast<std::size_t>(index - 1)];
}

Transmitter::Transmitter(std::shared_ptr<World> world)
    : m_World(std::move(world)), m_Enlisted(m_World->Enlist(this)) {}

Transmitter::~Transmitter() {
    m_World->Discharge(m_Enlisted);
}

void Transmitter::SetTxmType(int32_t type) {
    Put(m_Log, *m_World, m_TxmType, type, "TxmType", std::to_string(type));
}

void Transmitter::SetAddress(int16_t address) {
    Put(m_Log, *m_World, m_Address, address, "Address", std::to_string(address));
}

void Transmitter::SetComPort(int16_t port) {
    Put(m_Log, *m_World, m_ComPort, port, "ComPort", std::to_string(port));
}

void Transmitter::SetComSettings(const std::string& settings) {
    Put(m_Log, *m_World, m_ComSettings, settings, "ComSettings", settings);
}

void Transmitter::SetProtocol(int32_t protocol) {
    Put(m_Log, *m_World, m_Protocol, protocol, "Protocol", std::to_string(protocol));
}

void Transmitter::SetName(const std::string& name) {
    Put(m_Log, *m_World, m_Name, name, "Name", name);
}

void Transmitter::SetVersion(const std::string& version) {
    Put(m_Log, *m_World, m_Version, version, "Version", version);
}

std::string Transmitter::TypeText() {
    return m_Server ? m_Server->TypeName() : "";
}

void Transmitter::SetServer(const vq::DeviceServerRef& server) {
    Put(m_Log, *m_World, m_Server, server, "Server",
        (server ? server->TypeName() : std::string("Nothing")));
}

void Transmitter::SetParent(const vq::PassThroughRef& parent) {
    Put(m_Log, *m_World, m_Parent, parent, "Parent", NameOf(parent));
}

void Transmitter::SetIndex(int16_t index) {
    Put(m_Log, *m_World, m_Index, index, "Index", std::to_string(index));
}

void Transmitter::SetOffLine(vq::VbBool offLine) {
    Put(m_Log, *m_World, m_OffLine, offLine, "OffLine", Flag(offLine));
}

void Transmitter::SetHistorian(int32_t historian) {
    Put(m_Log, *m_World, m_Historian, historian, "Historian", std::to_string(historian));
}

void Transmitter::SetConnected(vq::VbBool connected) {
    Put(m_Log, *m_World, m_Connected, connected, "Connected", Flag(connected));
}

const Instrument* Transmitter::Answering() const {
    return m_World->FindInstrument(m_ComPort, m_Address, m_ComSettings, m_TxmType);
}

vq::VbBool Transmitter::Connect(vq::VbBool allBaudRates) {
    m_Log.push_back("Connect(" + Flag(allBaudRates) + ")");
    if (m_World->ConnectFails || m_World->FailingConnects.count(m_Name) != 0)
        throw vq::Failure(vq::Codes::Fail, "The port driver failed while connecting " + m_Name);
    std::vector<std::string> attempts{m_ComSettings};
    if (allBaudRates.IsNonZero()) {
        for (const char* settings : kDefinedSettings) {
            if (std::find(attempts.begin(), attempts.end(), settings) == attempts.end())
                attempts.emplace_back(settings);
        }
    }
    m_Connected = vq::VbFalse;
    sim::Registry& registry = m_World->Registry();
    for (const std::string& settings : attempts) {
        registry.RaiseAutoConnet(settings);
        if (m_World->FindInstrument(m_ComPort, m_Address, settings, m_TxmType) != nullptr) {
            m_ComSettings = settings;  // the transmitter keeps the rate it was found at
            m_Connected = vq::VbTrue;
            registry.RaiseTxmConnected(shared_from_this());
            return vq::VbTrue;
        }
        registry.RaiseTimeOut();
    }
    return vq::VbFalse;
}

std::string Transmitter::Describe(int32_t code) {
    m_Log.push_back("Describe(" + std::to_string(code) + ")");
    const std::string type = TypeText();
    const std::string port =
        m_ComPort == 9 ? std::string("the modem connection") : "COM" + std::to_string(m_ComPort);
    return (type.empty() ? "Type " + std::to_string(m_TxmType) : type) +
           " transmitter at address " + std::to_string(m_Address) + " on " + port;
}

std::shared_ptr<vq::DeviceInfo> Transmitter::DeviceInfo() {
    return std::make_shared<sim::DeviceInfo>(m_World, m_TxmType);
}

vq::VbBool Transmitter::SendCommand(const vq::CommandRef& command, int32_t a, int32_t b) {
    auto* own = dynamic_cast<sim::Command*>(command.get());
    m_Log.push_back("SendCommand(" + (own ? own->Key : std::string("?")) + ", " +
                    std::to_string(a) + ", " + std::to_string(b) + ")");
    if (m_World->SendCommandFails)
        throw vq::Failure(vq::Codes::Fail, "The transaction with the instrument failed");
    if (own == nullptr || own->Key.empty()) return vq::VbFalse;
    const Instrument* instrument = Answering();
    if (instrument == nullptr) return vq::VbFalse;
    own->Replies = {vq::Value(instrument->Tag)};
    return vq::VbTrue;
}

void Transmitter::Attach(std::shared_ptr<vq::Attachment> attachment) {
    m_Attachments.push_back(std::move(attachment));
}

}  // namespace sim
