// The simulated device servers, their port objects and the host object.

#include "sim/Objects.h"
#include "support/Failure.h"

namespace sim {

namespace {

// What a late-bound call to a member the object does not have reports.
[[noreturn]] void MissingMember(const std::string& object, const std::string& member) {
    throw vq::Failure(vq::Codes::NotSupported,
                      object + " doesn't support the property or method \"" + member + "\"");
}

// Splits at the last "\" or "/": the part before it ("" when there is none) and after it.
std::pair<std::string, std::string> SplitLast(const std::string& text) {
    const std::size_t at = text.find_last_of("\\/");
    if (at == std::string::npos) return {"", text};
    return {text.substr(0, at), text.substr(at + 1)};
}

// A named stand-in must be the object the contract names; anything else is taken as given.
void CheckArgument(const vq::PassThroughRef& object, const std::string& expected,
                   const std::string& server) {
    const auto* named = dynamic_cast<const NamedObject*>(object.get());
    if (named != nullptr && named->Name != expected)
        throw vq::Failure(
            vq::Codes::TypeMismatch,
            server + ".InstallComm was given " + named->Name + " where " + expected + " belongs");
}

}  // namespace

HostObject::HostObject()
    : Misc(std::make_shared<NamedObject>("comMisc")),
      Modem(std::make_shared<NamedObject>("comModem")),
      Hart(std::make_shared<NamedObject>("ActiveHART1")) {}

vq::PassThroughRef HostObject::Member(const std::string& name,
                                      const vq::PassThroughRef& object) const {
    if (Lacks.count(name) != 0) MissingMember("The host object", name);
    return object;
}

// ---- Device servers

DeviceServer::DeviceServer(std::shared_ptr<World> world, int32_t family)
    : m_World(std::move(world)), m_Family(family) {
    m_World->Family(family);  // checks the number
}

std::string DeviceServer::TypeName() {
    return m_World->Family(m_Family).TypeName;
}

vq::Value DeviceServer::Answer(Outcome outcome, const std::string& call) const {
    switch (outcome) {
        case Outcome::Succeed:
            return vq::Value(vq::VbTrue);
        case Outcome::Refuse:
            return vq::Value(vq::VbFalse);
        case Outcome::Fail:
            break;
    }
    throw vq::Failure(vq::Codes::Fail, m_World->Family(m_Family).TypeName + "." + call + " failed");
}

vq::Value DeviceServer::LoadSettings(const std::string& settingsName) {
    LoadSettingsNames.push_back(settingsName);
    const FamilySetup& family = m_World->Family(m_Family);
    if (family.LoadSettings != Outcome::Succeed) return Answer(family.LoadSettings, "LoadSettings");

    const auto [rest, fileName] = SplitLast(settingsName);
    const auto [folder, subFolder] = SplitLast(rest);
    const bool composed = fileName == family.SettingName &&
                          subFolder == m_World->Language().ResourcesText() &&
                          PathSplitter::Compose(folder, subFolder, fileName) == settingsName;
    const bool inFolder =
        !m_World->RequiredSettingsFolder || folder == *m_World->RequiredSettingsFolder;
    return vq::Value(vq::VbBool::From(composed && inFolder));
}

vq::Value DeviceServer::Installed(const FamilySetup& family, vq::PassThroughRef& comHistory) {
    if (family.InstallComm == Outcome::Fail) return Answer(Outcome::Fail, "InstallComm");
    if (family.HistoryToHandBack) comHistory = family.HistoryToHandBack;
    return Answer(family.InstallComm, "InstallComm");
}

vq::Value DeviceServer::InstallComm(const vq::PassThroughRef& comMisc,
                                    const vq::PassThroughRef& comModem,
                                    vq::PassThroughRef& comHistory) {
    const FamilySetup& family = m_World->Family(m_Family);
    if (m_Family == 3)
        throw vq::Failure(static_cast<int32_t>(0x8002000E),  // DISP_E_BADPARAMCOUNT
                          family.TypeName + ".InstallComm takes two arguments");
    InstallCommCalls.push_back({3, comMisc, comModem, nullptr, comHistory});
    CheckArgument(comMisc, "comMisc", family.TypeName);
    CheckArgument(comModem, "comModem", family.TypeName);
    return Installed(family, comHistory);
}

vq::Value DeviceServer::InstallComm(const vq::PassThroughRef& activeHart,
                                    vq::PassThroughRef& comHistory) {
    const FamilySetup& family = m_World->Family(m_Family);
    if (m_Family != 3)
        throw vq::Failure(static_cast<int32_t>(0x8002000E),  // DISP_E_BADPARAMCOUNT
                          family.TypeName + ".InstallComm takes three arguments");
    InstallCommCalls.push_back({2, nullptr, nullptr, activeHart, comHistory});
    CheckArgument(activeHart, "ActiveHART1", family.TypeName);
    return Installed(family, comHistory);
}

std::vector<std::string> DeviceServer::Protocols() {
    return m_World->Family(m_Family).Protocols;
}

std::shared_ptr<vq::PortObject> DeviceServer::GetComObject() {
    if (m_World->Family(m_Family).NoPortObject) return nullptr;
    return m_World->Port(m_Family);
}

std::string DeviceServer::RaiseUnitSynchronized(std::string info) {
    m_OnUnitSychronized.Raise(info);
    return info;
}

// ---- Port objects

PortObject::PortObject(World& world, int32_t family) : m_World(world), m_Family(family) {}

void PortObject::Expect(bool hart, const std::string& member) const {
    if ((m_Family == 3) != hart)
        MissingMember("The port object of family " + std::to_string(m_Family), member);
}

int16_t PortObject::PortNumber() {
    Calls.push_back("PortNumber");
    Expect(false, "PortNumber");
    return Number;
}

void PortObject::SetPortNumber(int16_t port) {
    Calls.push_back("SetPortNumber(" + std::to_string(port) + ")");
    Expect(false, "PortNumber");
    if (IsOpen)
        throw vq::Failure(vq::Codes::Fail,
                          "Port already open: close it before changing the port number");
    if (port < 1)
        throw vq::Failure(vq::Codes::InvalidProcedureCall,
                          "Invalid port number " + std::to_string(port));
    Number = port;
}

vq::VbBool PortObject::Open() {
    Calls.push_back("Open");
    Expect(false, "PortOpen");
    return vq::VbBool::From(IsOpen);
}

void PortObject::SetOpen(vq::VbBool open) {
    Calls.push_back("SetOpen(" + std::to_string(open.Value) + ")");
    Expect(false, "PortOpen");
    if (!open.IsNonZero()) {
        IsOpen = false;
        return;
    }
    if (IsOpen) throw vq::Failure(vq::Codes::Fail, "Port already open");
    if (m_World.HeldPorts.count(Number) != 0)
        throw vq::Failure(vq::Codes::PathFileAccess,
                          "COM" + std::to_string(Number) + " is in use by another program");
    IsOpen = true;
}

int16_t PortObject::HartPortNumber() {
    Calls.push_back("HartPortNumber");
    Expect(true, "PortNumber");
    return Number;
}

void PortObject::SetHartPort(int16_t port) {
    Number = port;
    Error = m_World.HeldPorts.count(port) != 0 ? 8005 : 0;  // 8005: port already open
}

void PortObject::SetHartPortNumber(int16_t port) {
    Calls.push_back("SetHartPortNumber(" + std::to_string(port) + ")");
    Expect(true, "PortNumber");
    SetHartPort(port);
}

void PortObject::SetCommPortByName(int16_t port) {
    Calls.push_back("SetCommPortByName(" + std::to_string(port) + ")");
    Expect(true, "CommPort");
    SetHartPort(port);
}

int32_t PortObject::ErrorValue() {
    Calls.push_back("ErrorValue");
    Expect(true, "ErrorValue");
    return Error;
}

}  // namespace sim
