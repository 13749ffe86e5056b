// The per-thread world and the control object tests use to set it up and read its records.
#include "SimWorld.h"

#include <map>
#include <sstream>

#include "support/Failure.h"

namespace sim::win32 {

using vq::win32::ToValue;

namespace {

struct ThreadState {
    ScratchFolder Folder{"vq-simcom"};
    std::shared_ptr<World> TheWorld = std::make_shared<World>(Folder.Path());
    std::shared_ptr<sim::Factory> TheFactory = std::make_shared<sim::Factory>(TheWorld);
    std::map<int32_t, FamilySetup> Defaults;
    ComPtr<IDispatch> Service;
    bool ListsWithoutEnum = false;
    std::string HandedBack;  // what the handlers of the last event raised by a test left
    ThreadState() {
        for (int32_t family = 1; family <= 6; ++family) Defaults[family] = TheWorld->Family(family);
    }
};

ThreadState& State() {
    // Clients may hold the world's objects until the process ends, after the thread's end.
    thread_local vq::win32::NeverReleased<ThreadState> state;
    return *state;
}

Variant Text(const std::string& text) {
    return vq::win32::ToVariant(vq::Value(text));
}
Variant Number(int64_t n) {
    return vq::win32::ToVariant(vq::Value(n));
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

Outcome OutcomeOf(int32_t code) {
    switch (code) {
        case 0:
            return Outcome::Succeed;
        case 1:
            return Outcome::Refuse;
        case 2:
            return Outcome::Fail;
        default:
            throw vq::Failure(vq::Codes::InvalidProcedureCall,
                              "Outcome is 0 succeed, 1 refuse, 2 fail");
    }
}

void Reset() {
    ThreadState& state = State();
    World& world = *state.TheWorld;
    for (const auto& [family, setup] : state.Defaults) world.Family(family) = setup;
    world.Bus.clear();
    world.HeldPorts.clear();
    world.CannotCreateTransmitter = false;
    world.MessageAnswers.clear();
    world.ChooserAnswer.clear();
    world.Messages.clear();
    world.RegistryCalls.clear();
    world.RegistryEvents.clear();
    world.ChooserLog.clear();
    world.ServersCreated.clear();
    if (world.Language().LanguageIndex() != 1) world.Language().SetLanguageIndex(1);
    state.ListsWithoutEnum = false;
    state.HandedBack.clear();
}

// Records the text the other handlers of an event leave in its by-reference argument (this
// handler is connected last, after the COM face's).
vq::Connection RecordHandedBack(vq::Signal<std::string&>& event) {
    return event.Connect([](std::string& text) { State().HandedBack = text; });
}

std::shared_ptr<sim::Transmitter> SimTransmitter(const VARIANT& value) {
    auto txm = std::dynamic_pointer_cast<sim::Transmitter>(NativeTransmitter(value));
    if (!txm)
        throw vq::Failure(vq::Codes::ObjectRequired, "Object required: a simulated transmitter");
    return txm;
}

void AddSetUp(SimObject& o) {
    o.Method(L"Reset", [](Call&) { Reset(); });
    o.Method(L"AddInstrument", [](Call& c) {
        Instrument instrument{c.Short(0), c.Short(1), c.Text(2), c.Long(3),
                              c.Count() > 4 ? c.Text(4) : ""};
        ThisWorld().Bus.push_back(instrument);
    });
    o.Method(L"SetFamily", [](Call& c) {
        FamilySetup& family = ThisWorld().Family(c.Long(0));
        family.LoadSettings = OutcomeOf(c.Long(1));
        family.InstallComm = OutcomeOf(c.Long(2));
        family.CannotCreate = c.Count() > 3 && c.ValueOf(3).ToInt16() != 0;
    });
    o.Method(L"SetHistoryToHandBack",
             [](Call& c) { ThisWorld().Family(c.Long(0)).HistoryToHandBack = ToNative(c.Arg(1)); });
    o.Property(
        L"LanguageIndex", [](Call& c) { c.Return(Number(ThisWorld().Language().LanguageIndex())); },
        [](Call& c) { ThisWorld().Language().SetLanguageIndex(ToValue(c.PutValue()).ToInt32()); });
    // The file the configuration chooser reports ("" for none chosen).
    o.Property(
        L"ChooserAnswer", [](Call& c) { c.Return(Text(ThisWorld().ChooserAnswer)); },
        [](Call& c) { ThisWorld().ChooserAnswer = ToValue(c.PutValue()).ToText(); });
    // A port another program holds: nothing answers there and no port object opens it.
    o.Method(L"HoldPort", [](Call& c) { ThisWorld().HeldPorts.insert(c.Short(0)); });
    o.Method(L"CreateHost", [](Call& c) {
        auto host = std::make_shared<sim::HostObject>();
        if (c.Count() > 0) {
            std::stringstream lacks(c.Text(0));
            for (std::string name; std::getline(lacks, name, ',');)
                if (!name.empty()) host->Lacks.insert(name);
        }
        c.Return(ObjectResult(WrapHost(host)));
    });
    o.Method(L"NamedObject",
             [](Call& c) { c.Return(FromNative(std::make_shared<NamedObject>(c.Text(0)))); });
    o.Method(L"Attach", [](Call& c) {
        auto attachment = std::make_shared<sim::Attachment>();
        attachment->FailOnDetach = c.Count() > 1 && c.ValueOf(1).ToInt16() != 0;
        SimTransmitter(c.Arg(0))->Attach(attachment);
        c.Return(ObjectResult(WrapAttachment(attachment)));
    });
}

void AddEvents(SimObject& o) {
    o.Method(L"RaiseUnitSynchronized", [](Call& c) {
        int32_t raised = 0;
        for (const auto& server : ThisWorld().Servers()) {
            if (server->Family() != c.Long(0)) continue;
            const vq::Connection record = RecordHandedBack(server->OnUnitSychronized());
            server->RaiseUnitSynchronized(c.Text(1));
            ++raised;
        }
        c.Return(Number(raised));
    });
    o.Method(L"RaiseAutoConnet", [](Call& c) {
        const vq::Connection record = RecordHandedBack(ThisWorld().Registry().AutoConnet());
        ThisWorld().Registry().RaiseAutoConnet(c.Text(0));
    });
    o.Method(L"HandedBack", [](Call& c) { c.Return(Text(State().HandedBack)); });
    // Collections handed out from now on offer Count and Item only, no _NewEnum.
    o.Method(L"ListsWithoutEnum", [](Call&) { State().ListsWithoutEnum = true; });
    o.Method(L"RaiseTimeOut", [](Call&) { ThisWorld().Registry().RaiseTimeOut(); });
}

void AddRecords(SimObject& o) {
    o.Method(L"Folder", [](Call& c) { c.Return(Text(ThisWorld().Folder().string())); });
    o.Method(L"RegistryLog", [](Call& c) { c.Return(Text(Joined(ThisWorld().RegistryLog()))); });
    o.Method(L"RegistryEvents",
             [](Call& c) { c.Return(Text(Joined(ThisWorld().RegistryEvents))); });
    o.Method(L"ServersCreated",
             [](Call& c) { c.Return(Number(ThisWorld().ServersCreated[c.Long(0)])); });
    o.Method(L"LiveTransmitters", [](Call& c) {
        c.Return(Number(static_cast<int64_t>(ThisWorld().Transmitters().size())));
    });
    o.Method(L"MessageCount",
             [](Call& c) { c.Return(Number(static_cast<int64_t>(ThisWorld().Messages.size()))); });
    // Message(i), 0-based: "style|title|prompt" of a message box the shared service showed.
    o.Method(L"Message", [](Call& c) {
        const MessageRecord& m = ThisWorld().Messages.at(static_cast<std::size_t>(c.Long(0)));
        c.Return(Text(std::to_string(m.Style) + "|" + m.Title + "|" + m.Prompt));
    });
    o.Method(L"TxmLog", [](Call& c) { c.Return(Text(Joined(SimTransmitter(c.Arg(0))->Log()))); });
    o.Method(L"InstallCommLog", [](Call& c) {
        std::string text;
        for (const auto& server : ThisWorld().Servers()) {
            if (server->Family() != c.Long(0)) continue;
            for (const auto& call : server->InstallCommCalls) {
                text += call.Arguments == 3 ? NameOf(call.ComMisc) + "," + NameOf(call.ComModem)
                                            : NameOf(call.ActiveHart);
                text += ',';
                text += NameOf(call.ComHistory);
                text += '\n';
            }
        }
        c.Return(Text(text));
    });
    o.Method(L"LoadSettingsLog", [](Call& c) {
        std::vector<std::string> names;
        for (const auto& server : ThisWorld().Servers())
            if (server->Family() == c.Long(0))
                names.insert(names.end(), server->LoadSettingsNames.begin(),
                             server->LoadSettingsNames.end());
        c.Return(Text(Joined(names)));
    });
}

ComPtr<IDispatch> CreateWorldControl() {
    ComPtr<SimObject> o = SimObject::Create(Kind::Plain);
    AddSetUp(*o);
    AddEvents(*o);
    AddRecords(*o);
    return ComPtr<IDispatch>(static_cast<IDispatch*>(o.Get()));
}

}  // namespace

World& ThisWorld() {
    return *State().TheWorld;
}
bool ListsWithoutEnum() {
    return State().ListsWithoutEnum;
}
sim::Factory& ThisFactory() {
    return *State().TheFactory;
}

ComPtr<IDispatch> CreateSimObject(SimClass kind) {
    sim::Factory& factory = ThisFactory();
    switch (kind) {
        case SimClass::Txm:
            return WrapTransmitter(factory.CreateTransmitter());
        case SimClass::Service:
            if (!State().Service) State().Service = WrapService(ThisWorld());
            return State().Service;
        case SimClass::PathSplitter:
            return WrapSplitter(factory.CreatePathSplitter());
        case SimClass::ConfigChooser:
            return WrapChooser(factory.ConfigChooser());
        case SimClass::Command:
            return WrapCommand(factory.CreateCommand());
        case SimClass::Server1:
            return WrapServer(factory.CreateDeviceServer(1));
        case SimClass::Server2:
            return WrapServer(factory.CreateDeviceServer(2));
        case SimClass::Server3:
            return WrapServer(factory.CreateDeviceServer(3));
        case SimClass::World:
            return CreateWorldControl();
    }
    return nullptr;
}

}  // namespace sim::win32
