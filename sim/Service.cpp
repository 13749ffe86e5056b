// The simulated shared service and the objects it hands out: registry, language object, path
// splitter; and the configuration chooser.

#include <filesystem>
#include <sstream>

#include "sim/Conversion.h"
#include "sim/Objects.h"
#include "support/Failure.h"

namespace sim {

namespace {

std::string TxmText(const vq::TransmitterRef& txm) {
    return txm ? txm->Name() : "Nothing";
}

// Reads "left,top,width,height,state": five whole numbers, nothing else.
bool ParsePlacement(const std::string& text, int32_t (&values)[5]) {
    std::istringstream in(text);
    for (int i = 0; i < 5; ++i) {
        long long value = 0;
        if (!(in >> value) || value < INT32_MIN || value > INT32_MAX) return false;
        values[i] = static_cast<int32_t>(value);
        char comma = 0;
        if (i < 4 && (!(in >> comma) || comma != ',')) return false;
    }
    in >> std::ws;
    return in.eof();
}

}  // namespace

// ---- Shared service

namespace {

void Count(CountedFault& fault, const std::string& call) {
    if (++fault.Calls == fault.FailAt)
        throw vq::Failure(vq::Codes::PathFileAccess, "Path/File access error in " + call +
                                                         " (call " + std::to_string(fault.Calls) +
                                                         " failed on request)");
}

}  // namespace

std::string Service::ReadSetting(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& defaultValue) {
    Count(m_World.ReadFault, "ReadSetting of " + key);
    return m_World.Ini().Read(m_World.Resolve(file), section, key, defaultValue);
}

vq::VbBool Service::WriteSetting(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& value) {
    Count(m_World.WriteFault, "WriteSetting of " + key);
    const auto outcome = m_World.WriteOutcomes.find(key);
    if (outcome != m_World.WriteOutcomes.end() && outcome->second == Outcome::Refuse)
        return vq::VbFalse;
    if (outcome != m_World.WriteOutcomes.end() && outcome->second == Outcome::Fail)
        throw vq::Failure(vq::Codes::PathFileAccess, "Path/File access error writing " + key);
    return vq::VbBool::From(m_World.Ini().Write(m_World.Resolve(file), section, key, value));
}

void Service::ClearSection(const std::string& file, const std::string& section) {
    Count(m_World.WriteFault, "ClearSection of " + section);
    const std::filesystem::path path = m_World.Resolve(file);
    if (!m_World.Ini().ClearSection(path, section))
        throw vq::Failure(vq::Codes::PathFileAccess,
                          "The section \"" + section + "\" of " + path.string() +
                              " cannot be cleared: " + m_World.Ini().LastProblem());
}

int16_t Service::ToInteger(const vq::Value& value) {
    return sim::ToInteger(value);
}

vq::Value Service::RestorePlacement(vq::PlacementWindow& window, const std::string& file,
                                    const std::string& section, const std::string& key) {
    int32_t values[5] = {};
    if (!ParsePlacement(ReadSetting(file, section, key, ""), values)) return vq::Value(vq::VbFalse);
    window.SetLeft(values[0]);
    window.SetTop(values[1]);
    window.SetWidth(values[2]);
    window.SetHeight(values[3]);
    window.SetWindowState(values[4]);
    return vq::Value(vq::VbTrue);
}

vq::Value Service::SavePlacement(vq::PlacementWindow& window, const std::string& file,
                                 const std::string& section, const std::string& key) {
    const std::string text = std::to_string(window.Left()) + "," + std::to_string(window.Top()) +
                             "," + std::to_string(window.Width()) + "," +
                             std::to_string(window.Height()) + "," +
                             std::to_string(window.WindowState());
    return vq::Value(WriteSetting(file, section, key, text));
}

int32_t Service::ShowMessage(const std::string& prompt, int32_t buttons, int32_t style,
                             const std::string& title, const vq::PassThroughRef& owner) {
    MessageRecord message{prompt, buttons, style, title, owner};
    m_World.Messages.push_back(message);
    return m_World.NextMessageAnswer(message);
}

std::string Service::GetString(int32_t number) {
    const auto found = m_World.Strings.find(number);
    if (found == m_World.Strings.end())
        throw vq::Failure(static_cast<int32_t>(0x800A0146),  // 326: resource not found
                          "Resource with identifier " + std::to_string(number) + " not found");
    return found->second;
}

std::string Service::ServerSettingName(int32_t family) {
    return m_World.Family(family).SettingName;
}

std::shared_ptr<vq::LanguageObject> Service::Language() {
    return m_World.m_Language;
}

std::shared_ptr<vq::TransmitterRegistry> Service::Registry() {
    return m_World.m_Registry;
}

std::shared_ptr<vq::PathSplitter> Service::PathSplitter() {
    return m_World.m_Splitter;
}

// ---- Registry

void Registry::Record(RegistryCall call) {
    const RegistryCall::Kind kind = call.Call;
    const std::string text = call.Text;
    m_World.RegistryCalls.push_back(std::move(call));
    if (m_World.FailingRegistryCalls.count(kind) != 0)
        throw vq::Failure(vq::Codes::Fail, "The transmitter registry failed in " + text);
}

void Registry::TypeInstalled(const std::string& typeName) {
    Record({.Call = RegistryCall::Kind::TypeInstalled,
            .Text = "TypeInstalled(" + typeName + ")",
            .TypeName = typeName});
}

void Registry::TxmAdded(const vq::TransmitterRef& txm) {
    Record({.Call = RegistryCall::Kind::TxmAdded,
            .Text = "TxmAdded(" + TxmText(txm) + ")",
            .Txm = txm});
}

void Registry::TxmRemoved(int16_t formerIndex) {
    Record({.Call = RegistryCall::Kind::TxmRemoved,
            .Text = "TxmRemoved(" + std::to_string(formerIndex) + ")",
            .FormerIndex = formerIndex});
}

void Registry::TxmActivated(const vq::TransmitterRef& txm) {
    Record({.Call = RegistryCall::Kind::TxmActivated,
            .Text = "TxmActivated(" + TxmText(txm) + ")",
            .Txm = txm});
}

void Registry::RaiseAutoConnet(std::string settings) {
    m_World.RegistryEvents.push_back("AutoConnet(" + settings + ")");
    m_AutoConnet.Raise(settings);
}

void Registry::RaiseTimeOut() {
    m_World.RegistryEvents.push_back("TimeOut()");
    m_TimeOut.Raise();
}

void Registry::RaiseTxmConnected(vq::TransmitterRef txm) {
    m_World.RegistryEvents.push_back("TxmConnected(" + TxmText(txm) + ")");
    m_TxmConnected.Raise(txm);
}

// ---- Language object

void Language::SetLanguageIndex(int32_t index) {
    m_LanguageIndex = index;
    m_OnLanguageChange.Raise(index);
}

std::string Language::ResourcesText() {
    static const char* const folders[] = {"English",  "Magyar",   "Deutsch",
                                          "Italiano", "Francais", "Nederlands"};
    if (m_LanguageIndex < 1 || m_LanguageIndex > 6) return folders[0];
    return folders[m_LanguageIndex - 1];
}

// ---- Path splitter

void PathSplitter::SetFullName(const std::string& fullName) {
    const std::size_t at = fullName.find_last_of("\\/");
    m_SubFolder.clear();
    if (at == std::string::npos) {
        m_Folder.clear();
        m_FileName = fullName;
        return;
    }
    m_Folder = fullName.substr(0, at == 0 ? 1 : at);  // a root keeps its separator
    m_FileName = fullName.substr(at + 1);
}

std::string PathSplitter::FullName() {
    return Compose(m_Folder, m_SubFolder, m_FileName);
}

std::string PathSplitter::Compose(const std::string& folder, const std::string& subFolder,
                                  const std::string& fileName) {
    const std::size_t last = folder.find_last_of("\\/");
    const char separator = last != std::string::npos
                               ? folder[last]
                               : static_cast<char>(std::filesystem::path::preferred_separator);
    std::string full = folder;
    for (const std::string* part : {&subFolder, &fileName}) {
        if (part->empty()) continue;
        if (!full.empty() && full.back() != '\\' && full.back() != '/') full += separator;
        full += *part;
    }
    return full;
}

// ---- Configuration chooser

void Chooser::SetTxm(const vq::TransmitterRef& txm) {
    Txm = txm;
    m_World.ChooserLog.push_back("SetTxm(" + TxmText(txm) + ")");
}

void Chooser::Run(int32_t mode, std::string& fileName, int32_t flags, int32_t owner) {
    m_World.ChooserLog.push_back("Run(" + std::to_string(mode) + ", " + fileName + ", " +
                                 std::to_string(flags) + ", " + std::to_string(owner) + ")");
    m_Chosen = m_World.ChooserAnswer;
    if (!m_Chosen.empty()) fileName = m_Chosen;
}

std::string Chooser::FileName() {
    m_World.ChooserLog.push_back("FileName()");
    return m_Chosen;
}

void Chooser::SetFinished(vq::VbBool finished) {
    m_World.ChooserLog.push_back("SetFinished(" + std::to_string(finished.Value) + ")");
}

vq::Value Chooser::Answer() {
    m_World.ChooserLog.push_back("Answer()");
    return vq::Value(vq::VbTrue);
}

}  // namespace sim
