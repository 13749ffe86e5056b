#include "sim/World.h"

#include <atomic>
#include <chrono>
#include <system_error>

#include "sim/Objects.h"
#include "support/Failure.h"

namespace fs = std::filesystem;

namespace sim {

namespace {

FamilySetup MakeFamily(std::string typeName, std::vector<std::string> protocols,
                       std::vector<std::string> versions) {
    FamilySetup family;
    family.SettingName = typeName + ".ini";
    family.TypeName = std::move(typeName);
    family.Protocols = std::move(protocols);
    family.Versions = std::move(versions);
    return family;
}

// Serial settings compared as a port driver reads them: letter case and blanks aside.
std::string NormalSettings(const std::string& settings) {
    std::string normal;
    for (char c : settings) {
        if (c == ' ' || c == '\t') continue;
        normal += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return normal;
}

}  // namespace

World::World(fs::path folder) : m_Folder(std::move(folder)) {
    std::error_code ec;
    fs::create_directories(m_Folder, ec);
    SettingsFilePath = (m_Folder / "Vistrel.ini").string();
    DefaultFolder = m_Folder.string();
    Strings = {{200, "OK"}, {208, "Transmitters"}};

    m_Families[1] =
        MakeFamily("Zandor", {"Zandor ASCII", "Zandor Binary"}, {"V1.00", "V1.10", "V2.00"});
    m_Families[2] =
        MakeFamily("Pellix", {"Pellix Standard", "Pellix Extended"}, {"P-100", "P-200"});
    m_Families[3] = MakeFamily("Quorra", {"HART"}, {"Rev 5", "Rev 6", "Rev 7"});
    m_Families[4] = MakeFamily("Vestra", {"Vestra Modbus", "Vestra ASCII", "Vestra Fast"},
                               {"VX1", "VX2", "VX3"});
    m_Families[5] = MakeFamily("Orbel", {"Orbel Native"}, {"O5"});
    m_Families[6] = MakeFamily("Kalmo", {"Kalmo Standard", "Kalmo Legacy"}, {"K6.1", "K6.2"});

    m_Service = std::make_shared<sim::Service>(*this);
    m_Registry = std::make_shared<sim::Registry>(*this);
    m_Language = std::make_shared<sim::Language>();
    m_Splitter = std::make_shared<sim::PathSplitter>();
    m_Chooser = std::make_shared<sim::Chooser>(*this);
}

World::~World() = default;

FamilySetup& World::Family(int32_t family) {
    const auto found = m_Families.find(family);
    if (found == m_Families.end())
        throw vq::Failure(vq::Codes::InvalidProcedureCall,
                          "There is no device-server family " + std::to_string(family) +
                              "; the simulated product has families 1 to 6");
    return found->second;
}

std::shared_ptr<PortObject> World::Port(int32_t family) {
    Family(family);  // checks the number
    std::shared_ptr<sim::PortObject>& port = m_Ports[family];
    if (!port) port = std::make_shared<sim::PortObject>(*this, family);
    return port;
}

std::vector<std::shared_ptr<Transmitter>> World::Transmitters() const {
    std::vector<std::shared_ptr<Transmitter>> living;
    for (const auto& [number, txm] : m_Transmitters) {
        if (auto alive = txm->weak_from_this().lock()) living.push_back(std::move(alive));
    }
    return living;
}

uint64_t World::Enlist(Transmitter* txm) {
    m_Transmitters.emplace(++m_TransmittersCreated, txm);
    return m_TransmittersCreated;
}

void World::Discharge(uint64_t number) {
    m_Transmitters.erase(number);
}

std::vector<std::shared_ptr<DeviceServer>> World::Servers() const {
    std::vector<std::shared_ptr<DeviceServer>> living;
    for (const auto& weak : m_Servers) {
        if (auto server = weak.lock()) living.push_back(std::move(server));
    }
    return living;
}

std::vector<std::string> World::RegistryLog() const {
    std::vector<std::string> log;
    log.reserve(RegistryCalls.size());
    for (const RegistryCall& call : RegistryCalls) log.push_back(call.Text);
    return log;
}

const Instrument* World::FindInstrument(int16_t comPort, int16_t address,
                                        const std::string& comSettings, int32_t txmType) const {
    if (HeldPorts.count(comPort) != 0) return nullptr;
    const std::string settings = NormalSettings(comSettings);
    for (const Instrument& instrument : Bus) {
        if (instrument.ComPort == comPort && instrument.Address == address &&
            NormalSettings(instrument.ComSettings) == settings &&
            (instrument.TxmType == 0 || instrument.TxmType == txmType))
            return &instrument;
    }
    return nullptr;
}

fs::path World::Resolve(const std::string& file) const {
    const fs::path path(file);
    return path.is_absolute() || file.empty() ? path : m_Folder / path;
}

int32_t World::NextMessageAnswer(const MessageRecord& message) {
    if (!MessageAnswers.empty()) {
        const int32_t answer = MessageAnswers.front();
        MessageAnswers.pop_front();
        return answer;
    }
    if (OnMessage) return OnMessage(message);
    return DefaultMessageAnswer;
}

ScratchFolder::ScratchFolder(const std::string& prefix) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    for (;;) {
        m_Path = fs::temp_directory_path() / (prefix + "-" + std::to_string(ticks % 100000000) +
                                              "-" + std::to_string(++counter));
        if (fs::create_directories(m_Path)) break;
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(m_Path, ec);
}

}  // namespace sim
