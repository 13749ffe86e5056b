#pragma once
// The simulated host product's state: what tests set up (the bus of instruments, ports held by
// other programs, device-server families that misbehave, scripted answers) and what the
// simulated components record (message boxes, registry calls and events, chooser calls).
//
// One World serves one thread. The objects it hands out refer to it: transmitters and device
// servers keep it alive; the shared service, registry, language object, path splitter,
// chooser and port objects belong to it and must not be used after it is gone.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/IniStore.h"
#include "support/Product.h"

namespace sim {

class Chooser;
class DeviceServer;
class Factory;
class Language;
class PathSplitter;
class PortObject;
class Registry;
class Service;
class Transmitter;

/// An instrument on the simulated bus. It answers a transmitter searching at its port,
/// address and serial settings (parity letter case and blanks aside) - unless the port is
/// held by another program - and, when TxmType is not 0, only a transmitter of that type.
struct Instrument {
    int16_t ComPort = 1;
    int16_t Address = 1;
    std::string ComSettings = "4800,n,8,1";
    int32_t TxmType = 0;
    /// The instrument's tag: reply value 1 of command "223".
    std::string Tag;
};

/// What a device-server call that a test can spoil does.
enum class Outcome {
    Succeed,  // answers exactly true
    Refuse,   // answers false
    Fail      // throws vq::Failure
};

/// Fails one call of a counted kind: the calls are numbered from 1 as they come, and the call
/// numbered FailAt (0: none) throws vq::Failure (path/file access) before it touches a file.
struct CountedFault {
    int64_t FailAt = 0;
    /// Calls counted so far; set FailAt and Calls = 0 together to start a new count.
    int64_t Calls = 0;
};

/// One device-server family (1 to 6; the type number of its transmitters is the same).
struct FamilySetup {
    std::string TypeName;
    /// The shared service's ServerSettingName: the last part of the settings name.
    std::string SettingName;
    std::vector<std::string> Protocols;
    /// The VersionText entries of the device description of a transmitter of this type.
    std::vector<std::string> Versions;
    bool CannotCreate = false;
    Outcome LoadSettings = Outcome::Succeed;
    Outcome InstallComm = Outcome::Succeed;
    /// "GetComObject" answers nothing.
    bool NoPortObject = false;
    /// When set, InstallComm hands this object back through its port-history argument (also
    /// when it refuses, not when it fails).
    vq::PassThroughRef HistoryToHandBack;
};

struct MessageRecord {
    std::string Prompt;
    int32_t Buttons = 0;
    int32_t Style = 0;
    std::string Title;
    vq::PassThroughRef Owner;
};

struct RegistryCall {
    enum class Kind { TypeInstalled, TxmAdded, TxmRemoved, TxmActivated };
    Kind Call = Kind::TypeInstalled;
    /// The readable form: "TypeInstalled(Zandor)", "TxmAdded(Untitled1)", "TxmRemoved(2)",
    /// "TxmActivated(Untitled1)", "TxmActivated(Nothing)".
    std::string Text;
    std::string TypeName;                // TypeInstalled
    std::weak_ptr<vq::Transmitter> Txm;  // TxmAdded, TxmActivated (empty for nothing)
    int16_t FormerIndex = 0;             // TxmRemoved
};

class World {
  public:
    /// A world whose files live in folder (created when missing).
    explicit World(std::filesystem::path folder);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    const std::filesystem::path& Folder() const { return m_Folder; }

    // ---- Set-up (change freely between calls)

    /// The shared service's SettingsFilePath; by default "Vistrel.ini" in the folder.
    std::string SettingsFilePath;
    /// The shared service's default folder; by default the folder.
    std::string DefaultFolder;
    /// When set, device servers accept settings names only under this folder.
    std::optional<std::string> RequiredSettingsFolder;

    std::vector<Instrument> Bus;
    /// Ports held by another program: nothing answers there and port objects cannot open them.
    std::set<int16_t> HeldPorts;

    /// Families 1 to 6; throws vq::Failure for any other number.
    FamilySetup& Family(int32_t family);

    bool CannotCreateTransmitter = false;
    /// Transmitters record every property put in their Log. Benchmarks turn this off: a
    /// renumbering of n transmitters is n puts, and the logs would grow without bound.
    bool RecordPuts = true;
    /// A command definition's PrepareCommand clears the command reference.
    bool PrepareClearsCommand = false;
    /// A transmitter's SendCommand throws.
    bool SendCommandFails = false;
    /// Transmitters of these names throw from Connect, as when the port driver fails.
    std::set<std::string> FailingConnects;

    // Failures on request: the calls named here throw vq::Failure (or answer false where
    // said), so that tests can see what the core does with a failing outside component.

    /// Transmitter property puts that throw, by property name ("Address", "Index", "Parent",
    /// ...): the property keeps its value and the put is not logged.
    std::set<std::string> FailingPuts;
    /// A transmitter's Connect throws after logging the call, before it searches.
    bool ConnectFails = false;
    /// Registry calls that throw once they have been recorded.
    std::set<RegistryCall::Kind> FailingRegistryCalls;
    /// What the shared service's WriteSetting does for a key (exact spelling): Refuse answers
    /// false and writes nothing, Fail throws. Keys not named are written.
    std::map<std::string, Outcome> WriteOutcomes;
    /// The k-th ReadSetting fails.
    CountedFault ReadFault;
    /// The k-th call that changes a settings file (WriteSetting or ClearSection) fails.
    CountedFault WriteFault;

    /// Texts by number of the shared service (200 "OK", 208 "Transmitters").
    std::map<int32_t, std::string> Strings;

    /// Answers to message boxes, used first to last; then OnMessage, then DefaultMessageAnswer.
    std::deque<int32_t> MessageAnswers;
    std::function<int32_t(const MessageRecord&)> OnMessage;
    int32_t DefaultMessageAnswer = 1;

    /// The file name the configuration chooser reports ("" = nothing chosen).
    std::string ChooserAnswer;

    // ---- Records

    std::vector<MessageRecord> Messages;
    std::vector<RegistryCall> RegistryCalls;
    /// The readable forms of RegistryCalls, in order.
    std::vector<std::string> RegistryLog() const;
    /// The registry's events in order: "AutoConnet(4800,n,8,1)", "TimeOut()",
    /// "TxmConnected(Untitled1)".
    std::vector<std::string> RegistryEvents;
    /// "SetTxm(Untitled1)", "Run(8, C:\\x.txm, -1, 0)", "FileName()", "SetFinished(-1)",
    /// "Answer()".
    std::vector<std::string> ChooserLog;
    /// Device servers created per family (including those that failed to be created).
    std::map<int32_t, int32_t> ServersCreated;
    /// Path splitters the factory created.
    int32_t PathSplittersCreated = 0;

    // ---- The simulated objects

    std::shared_ptr<sim::Service> Service() const { return m_Service; }
    sim::Registry& Registry() const { return *m_Registry; }
    sim::Language& Language() const { return *m_Language; }
    sim::Chooser& Chooser() const { return *m_Chooser; }
    /// The port object of a family (1 to 6), the one its servers' GetComObject give.
    std::shared_ptr<sim::PortObject> Port(int32_t family);
    /// The transmitters and device servers created so far that are still alive.
    std::vector<std::shared_ptr<sim::Transmitter>> Transmitters() const;
    std::vector<std::shared_ptr<sim::DeviceServer>> Servers() const;
    IniStore& Ini() { return m_Ini; }

    /// The instrument that answers at these settings, or null.
    const Instrument* FindInstrument(int16_t comPort, int16_t address,
                                     const std::string& comSettings, int32_t txmType) const;
    /// A settings or chooser file name made absolute against the folder.
    std::filesystem::path Resolve(const std::string& file) const;

  private:
    friend class sim::Factory;
    friend class sim::Service;
    friend class sim::Transmitter;

    // The living transmitters in order of creation. They are held by address, so that a dead
    // transmitter leaves nothing behind (a weak reference would keep its memory).
    uint64_t Enlist(sim::Transmitter* txm);
    void Discharge(uint64_t number);

    int32_t NextMessageAnswer(const MessageRecord& message);

    std::filesystem::path m_Folder;
    IniStore m_Ini;
    std::map<int32_t, FamilySetup> m_Families;
    std::map<int32_t, std::shared_ptr<sim::PortObject>> m_Ports;
    std::shared_ptr<sim::Service> m_Service;
    std::shared_ptr<sim::Registry> m_Registry;
    std::shared_ptr<sim::Language> m_Language;
    std::shared_ptr<sim::PathSplitter> m_Splitter;
    std::shared_ptr<sim::Chooser> m_Chooser;
    std::map<uint64_t, sim::Transmitter*> m_Transmitters;
    uint64_t m_TransmittersCreated = 0;
    std::vector<std::weak_ptr<sim::DeviceServer>> m_Servers;
};

/// A fresh folder under the system's temporary folder, removed with everything in it when the
/// object dies.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& prefix = "vq-sim");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return m_Path; }

  private:
    std::filesystem::path m_Path;
};

}  // namespace sim
