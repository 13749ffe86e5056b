#pragma once
// The host product's components as the core sees them. The core never knows how an outside
// object is reached: the Windows shell implements these classes over IDispatch, the simulator
// natively. Every member may throw Failure when the outside call fails; each caller decides
// whether to absorb it.
//
// Booleans are VbBool (true = -1). Results that outside components may give in any type
// (the answer of "LoadSettings" and "InstallComm", a reply value, ...) are Value.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PlacementWindow.h"
#include "Signal.h"
#include "Value.h"
#include "VbBool.h"

namespace vq {

/// An outside object that the core only hands on: the host's communication objects, the port
/// history, a transmitter's parent, a message box owner. Implementations decide what it holds.
class PassThrough {
  public:
    virtual ~PassThrough() = default;
};
using PassThroughRef = std::shared_ptr<PassThrough>;

class DeviceServer;
class Transmitter;
using DeviceServerRef = std::shared_ptr<DeviceServer>;
using TransmitterRef = std::shared_ptr<Transmitter>;

/// An object attached to a transmitter; detached before the transmitter leaves the collection.
class Attachment {
  public:
    virtual ~Attachment() = default;
    virtual void Detach() = 0;
};

/// A command object of the item library: filled in by a command definition, sent by a
/// transmitter, then read.
class Command {
  public:
    virtual ~Command() = default;
    /// The reply value at a 1-based index.
    virtual Value ReplyValue(int32_t index) = 0;
};
using CommandRef = std::shared_ptr<Command>;

class CommandDefinition {
  public:
    virtual ~CommandDefinition() = default;
    /// Fills in a command object; may replace or clear the reference. The result is not used.
    virtual void PrepareCommand(CommandRef& command) = 0;
};

/// The device description of a transmitter.
class DeviceInfo {
  public:
    virtual ~DeviceInfo() = default;
    /// The VersionText of every entry of Versions, in order.
    virtual std::vector<std::string> Versions() = 0;
    /// The command definition under a key (such as "223"); may be null.
    virtual std::shared_ptr<CommandDefinition> GetCommand(const std::string& key) = 0;
};

/// The port object of a device server ("GetComObject"), reached by fixed dispatch ids.
class PortObject {
  public:
    virtual ~PortObject() = default;
    // Families other than 3: port number (dispatch id 4) and open flag (dispatch id 20).
    virtual int16_t PortNumber() = 0;
    virtual void SetPortNumber(int16_t port) = 0;
    virtual VbBool Open() = 0;
    virtual void SetOpen(VbBool open) = 0;
    // Family 3: port number (dispatch id 1, also settable by the name "CommPort") and the
    // error value (dispatch id 2, 0 = no error) read after setting the port.
    virtual int16_t HartPortNumber() = 0;
    virtual void SetHartPortNumber(int16_t port) = 0;
    virtual void SetCommPortByName(int16_t port) = 0;
    virtual int32_t ErrorValue() = 0;
};

/// A device server: one per transmitter family.
class DeviceServer {
  public:
    virtual ~DeviceServer() = default;
    virtual std::string TypeName() = 0;
    /// Loads the server's settings; success is exactly true.
    virtual Value LoadSettings(const std::string& settingsName) = 0;
    /// Families 1 and 2: binds the host's communication objects; success is exactly true.
    /// The server may replace the port history.
    virtual Value InstallComm(const PassThroughRef& comMisc, const PassThroughRef& comModem,
                              PassThroughRef& comHistory) = 0;
    /// Family 3: binds the host's HART object; success is exactly true.
    virtual Value InstallComm(const PassThroughRef& activeHart, PassThroughRef& comHistory) = 0;
    /// The ProtocolText of every entry of "Protocols", in order.
    virtual std::vector<std::string> Protocols() = 0;
    /// The family's port object, or null.
    virtual std::shared_ptr<PortObject> GetComObject() = 0;
    /// Raised when a unit has been synchronised.
    virtual Signal<std::string&>& OnUnitSychronized() = 0;
};

/// A transmitter of the item library.
class Transmitter {
  public:
    virtual ~Transmitter() = default;
    virtual int32_t TxmType() = 0;
    virtual void SetTxmType(int32_t type) = 0;
    virtual int16_t Address() = 0;
    virtual void SetAddress(int16_t address) = 0;
    virtual int16_t ComPort() = 0;
    virtual void SetComPort(int16_t port) = 0;
    virtual std::string ComSettings() = 0;
    virtual void SetComSettings(const std::string& settings) = 0;
    virtual int32_t Protocol() = 0;
    virtual void SetProtocol(int32_t protocol) = 0;
    virtual std::string Name() = 0;
    virtual void SetName(const std::string& name) = 0;
    virtual std::string Version() = 0;
    virtual void SetVersion(const std::string& version) = 0;
    virtual std::string TypeText() = 0;
    virtual DeviceServerRef Server() = 0;
    virtual void SetServer(const DeviceServerRef& server) = 0;
    virtual PassThroughRef Parent() = 0;
    virtual void SetParent(const PassThroughRef& parent) = 0;
    virtual int16_t Index() = 0;
    virtual void SetIndex(int16_t index) = 0;
    virtual void SetOffLine(VbBool offLine) = 0;
    virtual void SetHistorian(int32_t historian) = 0;
    virtual VbBool Connected() = 0;
    virtual void SetConnected(VbBool connected) = 0;
    /// Searches the instrument; raises the registry's events while it runs; true when found.
    virtual VbBool Connect(VbBool allBaudRates) = 0;
    virtual std::string Describe(int32_t code) = 0;
    virtual std::shared_ptr<vq::DeviceInfo> DeviceInfo() = 0;
    virtual VbBool SendCommand(const CommandRef& command, int32_t a, int32_t b) = 0;
    virtual std::vector<std::shared_ptr<Attachment>> Attachments() = 0;
};

/// Told of installed types and of added, removed and activated transmitters; raises the
/// connection progress events while a transmitter connects.
class TransmitterRegistry {
  public:
    virtual ~TransmitterRegistry() = default;
    virtual void TypeInstalled(const std::string& typeName) = 0;
    virtual void TxmAdded(const TransmitterRef& txm) = 0;
    virtual void TxmRemoved(int16_t formerIndex) = 0;
    /// txm is null when no transmitter is active.
    virtual void TxmActivated(const TransmitterRef& txm) = 0;
    virtual Signal<std::string&>& AutoConnet() = 0;
    virtual Signal<>& TimeOut() = 0;
    virtual Signal<TransmitterRef&>& TxmConnected() = 0;
};

class LanguageObject {
  public:
    virtual ~LanguageObject() = default;
    /// 1 English, 2 Hungarian, 3 German, 4 Italian, 5 French, 6 Dutch.
    virtual int32_t LanguageIndex() = 0;
    /// The text of the language's resources object: the second part of a settings name.
    virtual std::string ResourcesText() = 0;
    virtual Signal<int32_t>& OnLanguageChange() = 0;
};

/// Splits a full file name into folder and file name, or composes one from three parts.
class PathSplitter {
  public:
    virtual ~PathSplitter() = default;
    virtual void SetFullName(const std::string& fullName) = 0;
    virtual std::string FullName() = 0;
    /// "" when the full name has no folder part.
    virtual std::string Folder() = 0;
    virtual std::string FileName() = 0;
    virtual void SetFolder(const std::string& folder) = 0;
    virtual void SetSubFolder(const std::string& subFolder) = 0;
    virtual void SetFileName(const std::string& fileName) = 0;
};

/// Lets the user choose a configuration file.
class ConfigChooser {
  public:
    virtual ~ConfigChooser() = default;
    virtual void SetTxm(const TransmitterRef& txm) = 0;
    virtual void Run(int32_t mode, std::string& fileName, int32_t flags, int32_t owner) = 0;
    /// The chosen file name, "" when nothing was chosen.
    virtual std::string FileName() = 0;
    virtual void SetFinished(VbBool finished) = 0;
    virtual Value Answer() = 0;
};

/// The item library's per-thread service.
class SharedService {
  public:
    virtual ~SharedService() = default;
    virtual std::string SettingsFilePath() = 0;
    /// The stored value, or defaultValue when the key is absent.
    virtual std::string ReadSetting(const std::string& file, const std::string& section,
                                    const std::string& key, const std::string& defaultValue) = 0;
    virtual VbBool WriteSetting(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& value) = 0;
    /// Removes every key of the section.
    virtual void ClearSection(const std::string& file, const std::string& section) = 0;
    /// "|" in the host product.
    virtual std::string ListSeparator() = 0;
    /// The integer conversion: a text (or a value holding text) to a 16-bit integer.
    virtual int16_t ToInteger(const Value& value) = 0;
    virtual Value RestorePlacement(PlacementWindow& window, const std::string& file,
                                   const std::string& section, const std::string& key) = 0;
    virtual Value SavePlacement(PlacementWindow& window, const std::string& file,
                                const std::string& section, const std::string& key) = 0;
    /// A modal message box; owner null means none.
    virtual int32_t ShowMessage(const std::string& prompt, int32_t buttons, int32_t style,
                                const std::string& title, const PassThroughRef& owner) = 0;
    /// Texts by number: 200 the list window's OK caption, 208 the default configuration name.
    virtual std::string GetString(int32_t number) = 0;
    virtual std::string DefaultFolder() = 0;
    /// Third part of the settings name of the device server of a family (1 to 3).
    virtual std::string ServerSettingName(int32_t family) = 0;
    /// The same object on every request.
    virtual std::shared_ptr<LanguageObject> Language() = 0;
    virtual std::shared_ptr<TransmitterRegistry> Registry() = 0;
    virtual std::shared_ptr<vq::PathSplitter> PathSplitter() = 0;
};

/// The host object handed to Initialize.
class HostObject {
  public:
    virtual ~HostObject() = default;
    virtual PassThroughRef ComMisc() = 0;
    virtual PassThroughRef ComModem() = 0;
    virtual PassThroughRef ActiveHART1() = 0;
};

/// Everything the core creates or obtains from the host product. One per thread.
class ProductFactory {
  public:
    virtual ~ProductFactory() = default;
    virtual TransmitterRef CreateTransmitter() = 0;
    virtual CommandRef CreateCommand() = 0;
    virtual std::shared_ptr<vq::PathSplitter> CreatePathSplitter() = 0;
    /// The per-thread configuration chooser (the same object every time).
    virtual std::shared_ptr<vq::ConfigChooser> ConfigChooser() = 0;
    /// A new device server of family 1, 2 or 3; throws Failure when it cannot be created.
    virtual DeviceServerRef CreateDeviceServer(int32_t family) = 0;
    /// The per-thread shared service, created on first use and then always the same.
    virtual std::shared_ptr<SharedService> Service() = 0;
};

}  // namespace vq
