// Adapters for the transmitter and the objects reached from it or from a device server.
#include <unordered_map>

#include "support/Failure.h"
#include "win32/host/Adapters.h"
#include "win32/host/OutsideNames.h"

namespace vq::win32 {

namespace {

namespace on = outside;

// One adapter per living automation object (per thread), keyed by the object's identity.
template <class Adapter>
class IdentityMap {
  public:
    std::shared_ptr<Adapter> Wrap(const ComPtr<IDispatch>& object) {
        if (!object) return nullptr;
        const ComPtr<IUnknown> identity = object.template As<IUnknown>();
        IUnknown* key = identity ? identity.Get() : object.Get();
        const auto found = m_Map.find(key);
        if (found != m_Map.end()) {
            if (std::shared_ptr<Adapter> alive = found->second.lock()) return alive;
        }
        auto adapter = std::make_shared<Adapter>(object, key);
        m_Map[key] = adapter;
        return adapter;
    }
    void Forget(IUnknown* key) {
        const auto found = m_Map.find(key);
        if (found != m_Map.end() && found->second.expired()) m_Map.erase(found);
    }

  private:
    std::unordered_map<IUnknown*, std::weak_ptr<Adapter>> m_Map;
};

// The text member of every element of a collection an object hands out.
std::vector<std::string> TextsOfElements(Outside& owner, const wchar_t* collection,
                                         const wchar_t* member, const char* role) {
    Outside list(AsObject(owner.Call(collection), role), role);
    std::vector<std::string> texts;
    for (const Variant& element : Elements(list)) {
        Outside entry(AsObject(element, role), role);
        texts.push_back(AsText(entry.Call(member)));
    }
    return texts;
}

// An object reference passed by reference: owns what the slot holds, whatever the callee
// leaves there, and tells whether it changed.
class DispatchSlot {
  public:
    explicit DispatchSlot(const ComPtr<IDispatch>& given) : m_Given(given), m_Slot(given) {}
    Variant Argument() { return RefObject(m_Slot.InOut()); }
    bool Changed() const { return m_Slot != m_Given; }
    const ComPtr<IDispatch>& Now() const { return m_Slot; }

  private:
    ComPtr<IDispatch> m_Given;
    ComPtr<IDispatch> m_Slot;
};

class ComCommand final : public Command {
  public:
    explicit ComCommand(ComPtr<IDispatch> object) : m_Object(std::move(object), "command object") {}
    Value ReplyValue(int32_t index) override {
        return ToValue(m_Object.Call(on::kReplyValue, {Long(index)}).Raw());
    }
    IDispatch* Dispatch() const { return m_Object.Get(); }

  private:
    Outside m_Object;
};

IDispatch* DispatchOfCommand(const CommandRef& command) {
    if (!command) return nullptr;
    const auto* ours = dynamic_cast<const ComCommand*>(command.get());
    if (ours == nullptr)
        throw Failure(Codes::TypeMismatch,
                      "Type mismatch: not a command object of the item library");
    return ours->Dispatch();
}

class ComCommandDefinition final : public CommandDefinition {
  public:
    explicit ComCommandDefinition(ComPtr<IDispatch> object)
        : m_Object(std::move(object), "command definition") {}
    void PrepareCommand(CommandRef& command) override {
        DispatchSlot slot{ComPtr<IDispatch>(DispatchOfCommand(command))};
        m_Object.Call(on::kPrepareCommand, {slot.Argument()});
        if (slot.Changed()) command = WrapCommand(slot.Now());
    }

  private:
    Outside m_Object;
};

class ComDeviceInfo final : public DeviceInfo {
  public:
    explicit ComDeviceInfo(ComPtr<IDispatch> object)
        : m_Object(std::move(object), "device description") {}
    std::vector<std::string> Versions() override {
        return TextsOfElements(m_Object, on::kVersions, on::kVersionText, "version");
    }
    std::shared_ptr<CommandDefinition> GetCommand(const std::string& key) override {
        ComPtr<IDispatch> definition =
            AsObject(m_Object.Call(on::kGetCommand, {Text(key)}), "GetCommand");
        if (!definition) return nullptr;
        return std::make_shared<ComCommandDefinition>(std::move(definition));
    }

  private:
    Outside m_Object;
};

class ComAttachment final : public Attachment {
  public:
    explicit ComAttachment(ComPtr<IDispatch> object) : m_Object(std::move(object), "attachment") {}
    void Detach() override { m_Object.Call(on::kDetach); }

  private:
    Outside m_Object;
};

class ComPortObject final : public PortObject {
  public:
    explicit ComPortObject(ComPtr<IDispatch> object) : m_Object(std::move(object), "port object") {}
    int16_t PortNumber() override { return AsShort(m_Object.GetById(on::kPortNumberId)); }
    void SetPortNumber(int16_t port) override { m_Object.PutById(on::kPortNumberId, Short(port)); }
    VbBool Open() override { return AsBool(m_Object.GetById(on::kPortOpenId)); }
    void SetOpen(VbBool open) override { m_Object.PutById(on::kPortOpenId, Bool(open)); }
    int16_t HartPortNumber() override { return AsShort(m_Object.GetById(on::kHartPortNumberId)); }
    void SetHartPortNumber(int16_t port) override {
        m_Object.PutById(on::kHartPortNumberId, Short(port));
    }
    void SetCommPortByName(int16_t port) override { m_Object.Put(on::kCommPort, Short(port)); }
    int32_t ErrorValue() override { return AsLong(m_Object.GetById(on::kHartErrorId)); }

  private:
    Outside m_Object;
};

// Runs an InstallComm call whose last argument is the port history by reference, and hands
// back whatever object the server left there.
Value InstallWithHistory(Outside& server, std::vector<Variant> args, PassThroughRef& comHistory) {
    DispatchSlot slot{ToDispatch(comHistory, "the port history")};
    args.push_back(slot.Argument());
    // Also when the call fails.
    const ScopeExit handBack([&]() noexcept {
        try {
            if (slot.Changed()) comHistory = ToPassThrough(*ObjectVariant(slot.Now().Get()));
        } catch (...) {
        }
    });
    return ToValue(server.Call(on::kInstallComm, std::move(args)).Raw());
}

class ComDeviceServer final : public DeviceServer {
  public:
    ComDeviceServer(ComPtr<IDispatch> object, IUnknown* identity)
        : m_Object(std::move(object), "device server"), m_Identity(identity) {}
    ~ComDeviceServer() override;

    std::string TypeName() override { return AsText(m_Object.Call(on::kTypeName)); }
    Value LoadSettings(const std::string& settingsName) override {
        return ToValue(m_Object.Call(on::kLoadSettings, {Text(settingsName)}).Raw());
    }
    Value InstallComm(const PassThroughRef& comMisc, const PassThroughRef& comModem,
                      PassThroughRef& comHistory) override {
        std::vector<Variant> args;
        args.push_back(ToVariant(comMisc));
        args.push_back(ToVariant(comModem));
        return InstallWithHistory(m_Object, std::move(args), comHistory);
    }
    Value InstallComm(const PassThroughRef& activeHart, PassThroughRef& comHistory) override {
        std::vector<Variant> args;
        args.push_back(ToVariant(activeHart));
        return InstallWithHistory(m_Object, std::move(args), comHistory);
    }
    std::vector<std::string> Protocols() override {
        return TextsOfElements(m_Object, on::kProtocols, on::kProtocolText, "protocol");
    }
    std::shared_ptr<PortObject> GetComObject() override {
        ComPtr<IDispatch> port = AsObject(m_Object.Call(on::kGetComObject), "GetComObject");
        if (!port) return nullptr;
        return std::make_shared<ComPortObject>(std::move(port));
    }
    Signal<std::string&>& OnUnitSychronized() override {
        if (!m_Events.Connected()) {
            m_Events.Connect(
                m_Object,
                [this](const std::wstring& name, DISPPARAMS& params) {
                    if (name == on::kOnUnitSychronizedEvent) RaiseWithText(m_Sync, params);
                },
                [this] { return m_Sync.ConnectionCount() > 0; });
        }
        return m_Sync;
    }
    IDispatch* Dispatch() const { return m_Object.Get(); }

  private:
    Outside m_Object;
    IUnknown* m_Identity;
    Signal<std::string&> m_Sync;
    EventSubscription m_Events;
};

IdentityMap<ComDeviceServer>& Servers() {
    thread_local IdentityMap<ComDeviceServer> map;
    return map;
}

ComDeviceServer::~ComDeviceServer() {
    m_Events.Disconnect();
    Servers().Forget(m_Identity);
}

class ComTransmitter final : public Transmitter {
  public:
    ComTransmitter(ComPtr<IDispatch> object, IUnknown* identity)
        : m_Object(std::move(object), "transmitter"), m_Identity(identity) {}
    ~ComTransmitter() override;

    int32_t TxmType() override { return AsLong(m_Object.Call(on::kTxmType)); }
    void SetTxmType(int32_t type) override { m_Object.Put(on::kTxmType, Long(type)); }
    int16_t Address() override { return AsShort(m_Object.Call(on::kAddress)); }
    void SetAddress(int16_t address) override { m_Object.Put(on::kAddress, Short(address)); }
    int16_t ComPort() override { return AsShort(m_Object.Call(on::kComPort)); }
    void SetComPort(int16_t port) override { m_Object.Put(on::kComPort, Short(port)); }
    std::string ComSettings() override { return AsText(m_Object.Call(on::kComSettings)); }
    void SetComSettings(const std::string& settings) override {
        m_Object.Put(on::kComSettings, Text(settings));
    }
    int32_t Protocol() override { return AsLong(m_Object.Call(on::kProtocol)); }
    void SetProtocol(int32_t protocol) override { m_Object.Put(on::kProtocol, Long(protocol)); }
    std::string Name() override { return AsText(m_Object.Call(on::kName)); }
    void SetName(const std::string& name) override { m_Object.Put(on::kName, Text(name)); }
    std::string Version() override { return AsText(m_Object.Call(on::kVersion)); }
    void SetVersion(const std::string& version) override {
        m_Object.Put(on::kVersion, Text(version));
    }
    std::string TypeText() override { return AsText(m_Object.Call(on::kTypeText)); }
    DeviceServerRef Server() override {
        return WrapServer(AsObject(m_Object.Call(on::kServer), "Server"));
    }
    void SetServer(const DeviceServerRef& server) override {
        m_Object.PutRef(on::kServer, ObjectVariant(DispatchOf(server).Get()));
    }
    PassThroughRef Parent() override { return ToPassThrough(m_Object.Call(on::kParent).Raw()); }
    void SetParent(const PassThroughRef& parent) override;
    int16_t Index() override { return AsShort(m_Object.Call(on::kIndex)); }
    void SetIndex(int16_t index) override { m_Object.Put(on::kIndex, Short(index)); }
    void SetOffLine(VbBool offLine) override { m_Object.Put(on::kOffLine, Bool(offLine)); }
    void SetHistorian(int32_t historian) override { m_Object.Put(on::kHistorian, Long(historian)); }
    VbBool Connected() override { return AsBool(m_Object.Call(on::kConnected)); }
    void SetConnected(VbBool connected) override { m_Object.Put(on::kConnected, Bool(connected)); }
    VbBool Connect(VbBool allBaudRates) override {
        return AsBool(m_Object.Call(on::kConnect, {Bool(allBaudRates)}));
    }
    std::string Describe(int32_t code) override {
        return AsText(m_Object.Call(on::kDescribe, {Long(code)}));
    }
    std::shared_ptr<vq::DeviceInfo> DeviceInfo() override {
        ComPtr<IDispatch> info = AsObject(m_Object.Call(on::kDeviceInfo), "DeviceInfo");
        if (!info) return nullptr;
        return std::make_shared<ComDeviceInfo>(std::move(info));
    }
    VbBool SendCommand(const CommandRef& command, int32_t a, int32_t b) override {
        return AsBool(m_Object.Call(on::kSendCommand,
                                    {ObjectVariant(DispatchOfCommand(command)), Long(a), Long(b)}));
    }
    std::vector<std::shared_ptr<Attachment>> Attachments() override {
        Outside attachments(AsObject(m_Object.Call(on::kAttachments), "Attachments"),
                            "attachment list");
        std::vector<std::shared_ptr<Attachment>> result;
        for (const Variant& element : Elements(attachments)) {
            // Listed as it is: a Nothing element stays null, and the collection fails on it.
            ComPtr<IDispatch> attached = AsObject(element, "an attachment");
            result.push_back(attached ? std::make_shared<ComAttachment>(std::move(attached))
                                      : nullptr);
        }
        return result;
    }

    IDispatch* Dispatch() const { return m_Object.Get(); }
    long Grant() const { return m_Grant; }

  private:
    Outside m_Object;
    IUnknown* m_Identity;
    // References this transmitter took on a collection's object through Parent.
    const CollectionParent* m_GrantOwner = nullptr;
    long m_Grant = 0;
};

IdentityMap<ComTransmitter>& Transmitters() {
    thread_local IdentityMap<ComTransmitter> map;
    return map;
}

ComTransmitter::~ComTransmitter() {
    Transmitters().Forget(m_Identity);
}

void ComTransmitter::SetParent(const PassThroughRef& parent) {
    // A collection's own object given as Parent: count the references the transmitter takes
    // (or gives back, when a counted parent is replaced), so the collection can tell them from
    // its host's references.
    const auto* collection = dynamic_cast<const CollectionParent*>(parent.get());
    const CollectionParent* measured = collection ? collection : m_GrantOwner;
    const ULONG before = measured ? measured->References() : 0;
    {
        Variant value = ToVariant(parent);
        m_Object.PutRef(on::kParent, std::move(value));
    }
    if (measured == nullptr) return;
    m_Grant += static_cast<long>(measured->References()) - static_cast<long>(before);
    if (collection && collection != m_GrantOwner && m_GrantOwner == nullptr)
        m_GrantOwner = collection;
    if (m_Grant <= 0) {
        m_Grant = 0;
        m_GrantOwner = nullptr;
    }
}

}  // namespace

TransmitterRef WrapTransmitter(const ComPtr<IDispatch>& object) {
    return Transmitters().Wrap(object);
}

DeviceServerRef WrapServer(const ComPtr<IDispatch>& object) {
    return Servers().Wrap(object);
}

CommandRef WrapCommand(const ComPtr<IDispatch>& object) {
    if (!object) return nullptr;
    return std::make_shared<ComCommand>(object);
}

ComPtr<IDispatch> DispatchOf(const TransmitterRef& txm) {
    if (!txm) return nullptr;
    const auto* ours = dynamic_cast<const ComTransmitter*>(txm.get());
    if (ours == nullptr)
        throw Failure(Codes::TypeMismatch, "Type mismatch: not a transmitter of the item library");
    return ComPtr<IDispatch>(ours->Dispatch());
}

ComPtr<IDispatch> DispatchOf(const DeviceServerRef& server) {
    if (!server) return nullptr;
    const auto* ours = dynamic_cast<const ComDeviceServer*>(server.get());
    if (ours == nullptr)
        throw Failure(Codes::TypeMismatch, "Type mismatch: not a device server object");
    return ComPtr<IDispatch>(ours->Dispatch());
}

void RaiseWithText(Signal<std::string&>& signal, DISPPARAMS& params) {
    if (params.cArgs < 1) {
        std::string empty;
        signal.Raise(empty);
        return;
    }
    VARIANT& arg = params.rgvarg[params.cArgs - 1];
    std::string text = ToValue(arg).ToText();
    const std::string before = text;
    signal.Raise(text);
    if (V_VT(&arg) == (VT_BSTR | VT_BYREF) && V_BSTRREF(&arg) && text != before)
        AssignInOut(V_BSTRREF(&arg), text);
}

long ParentGrant(const TransmitterRef& txm) {
    const auto* ours = dynamic_cast<const ComTransmitter*>(txm.get());
    return ours ? ours->Grant() : 0;
}

}  // namespace vq::win32
