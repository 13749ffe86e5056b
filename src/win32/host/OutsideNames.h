#pragma once
// Every name and fixed dispatch id by which the component reaches the host product's
// components. This is the only place they are spelled; the adapters use these constants.

#include <windows.h>

namespace vq::win32::outside {

// ProgIDs of the classes the component creates.
inline constexpr const wchar_t* kTxmClass = L"vqItems32.Txm";
inline constexpr const wchar_t* kServiceClass = L"vqItems32.Service";
inline constexpr const wchar_t* kPathSplitterClass = L"vqItems32.PathSplitter";
inline constexpr const wchar_t* kConfigChooserClass = L"vqItems32.ConfigChooser";
inline constexpr const wchar_t* kCommandClass = L"vqItems32.Command";
/// Device servers of families 1, 2 and 3.
inline constexpr const wchar_t* kServerClasses[3] = {L"vqZandor32.Server", L"vqPellix32.Server",
                                                     L"kxQuorra32.Server"};

// Transmitter.
inline constexpr const wchar_t* kTxmType = L"TxmType";
inline constexpr const wchar_t* kAddress = L"Address";
inline constexpr const wchar_t* kComPort = L"ComPort";
inline constexpr const wchar_t* kComSettings = L"ComSettings";
inline constexpr const wchar_t* kProtocol = L"Protocol";
inline constexpr const wchar_t* kName = L"Name";
inline constexpr const wchar_t* kVersion = L"Version";
inline constexpr const wchar_t* kTypeText = L"TypeText";
inline constexpr const wchar_t* kServer = L"Server";
inline constexpr const wchar_t* kParent = L"Parent";
inline constexpr const wchar_t* kIndex = L"Index";
inline constexpr const wchar_t* kOffLine = L"OffLine";
inline constexpr const wchar_t* kHistorian = L"Historian";
inline constexpr const wchar_t* kConnected = L"Connected";
inline constexpr const wchar_t* kConnect = L"Connect";
inline constexpr const wchar_t* kDescribe = L"Describe";
inline constexpr const wchar_t* kDeviceInfo = L"DeviceInfo";
inline constexpr const wchar_t* kSendCommand = L"SendCommand";
inline constexpr const wchar_t* kAttachments = L"Attachments";
inline constexpr const wchar_t* kDetach = L"Detach";

// Shared service.
inline constexpr const wchar_t* kSettingsFilePath = L"SettingsFilePath";
inline constexpr const wchar_t* kReadSetting = L"ReadSetting";
inline constexpr const wchar_t* kWriteSetting = L"WriteSetting";
inline constexpr const wchar_t* kClearSection = L"ClearSection";
inline constexpr const wchar_t* kListSeparator = L"ListSeparator";
inline constexpr const wchar_t* kToInteger = L"ToInteger";
inline constexpr const wchar_t* kRestorePlacement = L"RestorePlacement";
inline constexpr const wchar_t* kSavePlacement = L"SavePlacement";
inline constexpr const wchar_t* kShowMessage = L"ShowMessage";
inline constexpr const wchar_t* kGetString = L"GetString";
inline constexpr const wchar_t* kDefaultFolder = L"DefaultFolder";
inline constexpr const wchar_t* kServerSettingName = L"ServerSettingName";
inline constexpr const wchar_t* kLanguage = L"Language";
inline constexpr const wchar_t* kRegistry = L"Registry";
inline constexpr const wchar_t* kPathSplitter = L"PathSplitter";

// Transmitter registry.
inline constexpr const wchar_t* kTypeInstalled = L"TypeInstalled";
inline constexpr const wchar_t* kTxmAdded = L"TxmAdded";
inline constexpr const wchar_t* kTxmRemoved = L"TxmRemoved";
inline constexpr const wchar_t* kTxmActivated = L"TxmActivated";
inline constexpr const wchar_t* kAutoConnetEvent = L"AutoConnet";
inline constexpr const wchar_t* kTimeOutEvent = L"TimeOut";
inline constexpr const wchar_t* kTxmConnectedEvent = L"TxmConnected";

// Language object.
inline constexpr const wchar_t* kLanguageIndex = L"LanguageIndex";
inline constexpr const wchar_t* kResources = L"Resources";
inline constexpr const wchar_t* kText = L"Text";
inline constexpr const wchar_t* kOnLanguageChangeEvent = L"OnLanguageChange";

// Path splitter.
inline constexpr const wchar_t* kFullName = L"FullName";
inline constexpr const wchar_t* kFolder = L"Folder";
inline constexpr const wchar_t* kSubFolder = L"SubFolder";
inline constexpr const wchar_t* kFileName = L"FileName";

// Configuration chooser.
inline constexpr const wchar_t* kTxm = L"Txm";
inline constexpr const wchar_t* kRun = L"Run";
inline constexpr const wchar_t* kFinished = L"Finished";
inline constexpr const wchar_t* kAnswer = L"Answer";

// Command object, device description, command definition.
inline constexpr const wchar_t* kReplyValue = L"ReplyValue";
inline constexpr const wchar_t* kVersions = L"Versions";
inline constexpr const wchar_t* kVersionText = L"VersionText";
inline constexpr const wchar_t* kGetCommand = L"GetCommand";
inline constexpr const wchar_t* kPrepareCommand = L"PrepareCommand";

// Device server.
inline constexpr const wchar_t* kTypeName = L"TypeName";
inline constexpr const wchar_t* kLoadSettings = L"LoadSettings";
inline constexpr const wchar_t* kInstallComm = L"InstallComm";
inline constexpr const wchar_t* kProtocols = L"Protocols";
inline constexpr const wchar_t* kProtocolText = L"ProtocolText";
inline constexpr const wchar_t* kGetComObject = L"GetComObject";
inline constexpr const wchar_t* kOnUnitSychronizedEvent = L"OnUnitSychronized";

// Port object: fixed dispatch ids, and the one member set by name.
inline constexpr DISPID kPortNumberId = 4;
inline constexpr DISPID kPortOpenId = 20;
inline constexpr DISPID kHartPortNumberId = 1;
inline constexpr DISPID kHartErrorId = 2;
inline constexpr const wchar_t* kCommPort = L"CommPort";

// Host object.
inline constexpr const wchar_t* kComMisc = L"comMisc";
inline constexpr const wchar_t* kComModem = L"comModem";
inline constexpr const wchar_t* kActiveHART1 = L"ActiveHART1";

// Collections returned by the components.
inline constexpr const wchar_t* kCount = L"Count";
inline constexpr const wchar_t* kItem = L"Item";

}  // namespace vq::win32::outside
