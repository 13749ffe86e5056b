#pragma once
// The simulated host product's components: each implements its class of support/Product.h
// natively over a World, behaving as the real component does, and records what tests check.

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/World.h"
#include "support/Product.h"

namespace sim {

/// A stand-in for an outside object that the core only passes on (the host's comMisc,
/// comModem and ActiveHART1, a port history, a window owner), known by its name.
class NamedObject : public vq::PassThrough {
  public:
    explicit NamedObject(std::string name) : Name(std::move(name)) {}
    std::string Name;
};

/// The name of a NamedObject, "Nothing" for null and "an object" for anything else.
std::string NameOf(const vq::PassThroughRef& object);

/// The host object: answers "comMisc", "comModem" and "ActiveHART1" with NamedObjects of
/// those names. A name in Lacks makes its member throw, as a late-bound call to a member
/// the object does not have does.
class HostObject : public vq::HostObject {
  public:
    HostObject();
    vq::PassThroughRef ComMisc() override { return Member("comMisc", Misc); }
    vq::PassThroughRef ComModem() override { return Member("comModem", Modem); }
    vq::PassThroughRef ActiveHART1() override { return Member("ActiveHART1", Hart); }

    std::set<std::string> Lacks;
    std::shared_ptr<NamedObject> Misc, Modem, Hart;

  private:
    vq::PassThroughRef Member(const std::string& name, const vq::PassThroughRef& object) const;
};

/// An attachment a test hangs on a transmitter: counts its Detach calls, can be made to fail,
/// and can run a test's action while it detaches.
class Attachment : public vq::Attachment {
  public:
    void Detach() override;
    int32_t DetachCount = 0;
    bool FailOnDetach = false;
    std::function<void()> OnDetach;
};

/// A command object: PrepareCommand gives it its key, a successful SendCommand its replies.
class Command : public vq::Command {
  public:
    /// Throws vq::Failure when there is no reply at that index.
    vq::Value ReplyValue(int32_t index) override;
    std::string Key;  // "" until prepared
    std::vector<vq::Value> Replies;
};

class Transmitter : public vq::Transmitter, public std::enable_shared_from_this<Transmitter> {
  public:
    /// Enlisted in the world's living transmitters until it dies.
    explicit Transmitter(std::shared_ptr<World> world);
    ~Transmitter() override;

    int32_t TxmType() override { return m_TxmType; }
    void SetTxmType(int32_t type) override;
    int16_t Address() override { return m_Address; }
    void SetAddress(int16_t address) override;
    int16_t ComPort() override { return m_ComPort; }
    void SetComPort(int16_t port) override;
    std::string ComSettings() override { return m_ComSettings; }
    void SetComSettings(const std::string& settings) override;
    int32_t Protocol() override { return m_Protocol; }
    void SetProtocol(int32_t protocol) override;
    std::string Name() override { return m_Name; }
    void SetName(const std::string& name) override;
    std::string Version() override { return m_Version; }
    void SetVersion(const std::string& version) override;
    /// The type name of its device server ("" without one).
    std::string TypeText() override;
    vq::DeviceServerRef Server() override { return m_Server; }
    void SetServer(const vq::DeviceServerRef& server) override;
    vq::PassThroughRef Parent() override { return m_Parent; }
    void SetParent(const vq::PassThroughRef& parent) override;
    int16_t Index() override { return m_Index; }
    void SetIndex(int16_t index) override;
    void SetOffLine(vq::VbBool offLine) override;
    void SetHistorian(int32_t historian) override;
    vq::VbBool Connected() override { return m_Connected; }
    void SetConnected(vq::VbBool connected) override;
    /// Tries its ComSettings, then (only when allBaudRates is non-zero) the other defined
    /// settings not yet tried: "4800,n,8,1", "1200,n,8,1", "2400,n,8,1". Each attempt raises
    /// the registry's AutoConnet, then TxmConnected (and the search ends, Connected -1 and
    /// ComSettings the settings that answered) or TimeOut. Connected is 0 when nothing
    /// answered. Throws while the world's ConnectFails is set or for a name in its
    /// FailingConnects.
    vq::VbBool Connect(vq::VbBool allBaudRates) override;
    /// "<type> transmitter at address <n> on COM<p>" ("on the modem connection" for port 9),
    /// whatever the code; the call is logged as "Describe(<code>)".
    std::string Describe(int32_t code) override;
    std::shared_ptr<vq::DeviceInfo> DeviceInfo() override;
    /// True when the command was prepared, the transmitter is connected and its instrument
    /// answers; the command's replies then hold the instrument's tag.
    vq::VbBool SendCommand(const vq::CommandRef& command, int32_t a, int32_t b) override;
    std::vector<std::shared_ptr<vq::Attachment>> Attachments() override { return m_Attachments; }

    // For tests.
    vq::VbBool OffLine() const { return m_OffLine; }
    int32_t Historian() const { return m_Historian; }
    void Attach(std::shared_ptr<vq::Attachment> attachment);
    /// Every property put (while the world records puts) and operation, in order: "Address=5",
    /// "Index=2", "OffLine=-1", "Server=Zandor", "Parent=Nothing", "Connect(-1)", "SendCommand(223,
    /// 0, 0)", ...
    const std::vector<std::string>& Log() const { return m_Log; }

  private:
    const Instrument* Answering() const;

    std::shared_ptr<World> m_World;
    uint64_t m_Enlisted = 0;
    int32_t m_TxmType = 1;
    int16_t m_Address = 0;
    int16_t m_ComPort = 1;
    std::string m_ComSettings = "4800,n,8,1";
    int32_t m_Protocol = 1;
    std::string m_Name;
    std::string m_Version;
    vq::DeviceServerRef m_Server;
    vq::PassThroughRef m_Parent;
    int16_t m_Index = 0;
    vq::VbBool m_OffLine = vq::VbFalse;
    int32_t m_Historian = 0;
    vq::VbBool m_Connected = vq::VbFalse;
    std::vector<std::shared_ptr<vq::Attachment>> m_Attachments;
    std::vector<std::string> m_Log;
};

class DeviceServer : public vq::DeviceServer {
  public:
    DeviceServer(std::shared_ptr<World> world, int32_t family);
    int32_t Family() const { return m_Family; }

    std::string TypeName() override;
    /// Exactly true for a settings name composed by the path splitter from a folder, the
    /// language's ResourcesText and this family's setting name; false for any other name.
    vq::Value LoadSettings(const std::string& settingsName) override;
    /// Families other than 3; family 3 takes the two-argument form. Throws for the wrong form.
    vq::Value InstallComm(const vq::PassThroughRef& comMisc, const vq::PassThroughRef& comModem,
                          vq::PassThroughRef& comHistory) override;
    vq::Value InstallComm(const vq::PassThroughRef& activeHart,
                          vq::PassThroughRef& comHistory) override;
    std::vector<std::string> Protocols() override;
    std::shared_ptr<vq::PortObject> GetComObject() override;
    vq::Signal<std::string&>& OnUnitSychronized() override { return m_OnUnitSychronized; }

    /// Raises OnUnitSychronized with info; the text as the handlers left it.
    std::string RaiseUnitSynchronized(std::string info);

    struct InstallCommCall {
        int32_t Arguments = 0;  // 3 or 2
        vq::PassThroughRef ComMisc, ComModem, ActiveHart, ComHistory;
    };
    std::vector<std::string> LoadSettingsNames;
    std::vector<InstallCommCall> InstallCommCalls;

  private:
    vq::Value Answer(Outcome outcome, const std::string& call) const;
    vq::Value Installed(const FamilySetup& family, vq::PassThroughRef& comHistory);

    std::shared_ptr<World> m_World;
    int32_t m_Family;
    vq::Signal<std::string&> m_OnUnitSychronized;
};

/// The port object of a family. Families other than 3: a port number and an open flag;
/// opening a port held by another program throws and leaves the flag false; the port number
/// cannot change while the port is open. Family 3: a port number whose every change sets the
/// error value (non-zero when the port is held, else 0). Members of the other kind throw.
class PortObject : public vq::PortObject {
  public:
    PortObject(World& world, int32_t family);

    int16_t PortNumber() override;
    void SetPortNumber(int16_t port) override;
    vq::VbBool Open() override;
    void SetOpen(vq::VbBool open) override;
    int16_t HartPortNumber() override;
    void SetHartPortNumber(int16_t port) override;
    void SetCommPortByName(int16_t port) override;
    int32_t ErrorValue() override;

    /// The calls in order: "PortNumber", "SetPortNumber(3)", "Open", "SetOpen(-1)",
    /// "HartPortNumber", "SetHartPortNumber(3)", "SetCommPortByName(1)", "ErrorValue".
    std::vector<std::string> Calls;
    int16_t Number = 1;
    bool IsOpen = false;
    int32_t Error = 0;

  private:
    void Expect(bool hart, const std::string& member) const;
    void SetHartPort(int16_t port);

    World& m_World;
    int32_t m_Family;
};

/// Records every call in the world's RegistryCalls; a call the world names in
/// FailingRegistryCalls then throws.
class Registry : public vq::TransmitterRegistry {
  public:
    explicit Registry(World& world) : m_World(world) {}
    void TypeInstalled(const std::string& typeName) override;
    void TxmAdded(const vq::TransmitterRef& txm) override;
    void TxmRemoved(int16_t formerIndex) override;
    void TxmActivated(const vq::TransmitterRef& txm) override;
    vq::Signal<std::string&>& AutoConnet() override { return m_AutoConnet; }
    vq::Signal<>& TimeOut() override { return m_TimeOut; }
    vq::Signal<vq::TransmitterRef&>& TxmConnected() override { return m_TxmConnected; }

    /// Raise the events (and record them in the world's RegistryEvents).
    void RaiseAutoConnet(std::string settings);
    void RaiseTimeOut();
    void RaiseTxmConnected(vq::TransmitterRef txm);

  private:
    void Record(RegistryCall call);

    World& m_World;
    vq::Signal<std::string&> m_AutoConnet;
    vq::Signal<> m_TimeOut;
    vq::Signal<vq::TransmitterRef&> m_TxmConnected;
};

class Language : public vq::LanguageObject {
  public:
    int32_t LanguageIndex() override { return m_LanguageIndex; }
    /// Stores the index and raises OnLanguageChange with it.
    void SetLanguageIndex(int32_t index);
    /// The language's resources folder name: "English", "Magyar", "Deutsch", "Italiano",
    /// "Francais", "Nederlands" (English for any other index).
    std::string ResourcesText() override;
    vq::Signal<int32_t>& OnLanguageChange() override { return m_OnLanguageChange; }

  private:
    int32_t m_LanguageIndex = 1;
    vq::Signal<int32_t> m_OnLanguageChange;
};

/// Splits a full name at its last "\" or "/" and composes Folder, SubFolder and FileName with
/// the separator the folder uses (the platform's when it has none), never doubling one.
class PathSplitter : public vq::PathSplitter {
  public:
    void SetFullName(const std::string& fullName) override;
    std::string FullName() override;
    std::string Folder() override { return m_Folder; }
    std::string FileName() override { return m_FileName; }
    void SetFolder(const std::string& folder) override { m_Folder = folder; }
    void SetSubFolder(const std::string& subFolder) override { m_SubFolder = subFolder; }
    void SetFileName(const std::string& fileName) override { m_FileName = fileName; }

    static std::string Compose(const std::string& folder, const std::string& subFolder,
                               const std::string& fileName);

  private:
    std::string m_Folder;
    std::string m_SubFolder;
    std::string m_FileName;
};

/// The configuration chooser: records its calls in the world's ChooserLog and reports the
/// world's ChooserAnswer (also written into Run's file-name argument when not empty).
class Chooser : public vq::ConfigChooser {
  public:
    explicit Chooser(World& world) : m_World(world) {}
    void SetTxm(const vq::TransmitterRef& txm) override;
    void Run(int32_t mode, std::string& fileName, int32_t flags, int32_t owner) override;
    std::string FileName() override;
    void SetFinished(vq::VbBool finished) override;
    vq::Value Answer() override;

    std::weak_ptr<vq::Transmitter> Txm;

  private:
    World& m_World;
    std::string m_Chosen;
};

/// The shared service, with settings in real INI files (see IniStore). Relative file names
/// are taken relative to the world's folder.
class Service : public vq::SharedService {
  public:
    explicit Service(World& world) : m_World(world) {}
    std::string SettingsFilePath() override { return m_World.SettingsFilePath; }
    std::string ReadSetting(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& defaultValue) override;
    vq::VbBool WriteSetting(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override;
    /// Throws vq::Failure when the file cannot be written.
    void ClearSection(const std::string& file, const std::string& section) override;
    std::string ListSeparator() override { return "|"; }
    int16_t ToInteger(const vq::Value& value) override;
    /// Stored as "left,top,width,height,state"; a missing or malformed entry changes nothing
    /// and answers false.
    vq::Value RestorePlacement(vq::PlacementWindow& window, const std::string& file,
                               const std::string& section, const std::string& key) override;
    vq::Value SavePlacement(vq::PlacementWindow& window, const std::string& file,
                            const std::string& section, const std::string& key) override;
    int32_t ShowMessage(const std::string& prompt, int32_t buttons, int32_t style,
                        const std::string& title, const vq::PassThroughRef& owner) override;
    /// Throws vq::Failure for a number the world's Strings lack.
    std::string GetString(int32_t number) override;
    std::string DefaultFolder() override { return m_World.DefaultFolder; }
    std::string ServerSettingName(int32_t family) override;
    std::shared_ptr<vq::LanguageObject> Language() override;
    std::shared_ptr<vq::TransmitterRegistry> Registry() override;
    std::shared_ptr<vq::PathSplitter> PathSplitter() override;

  private:
    World& m_World;
};

}  // namespace sim
