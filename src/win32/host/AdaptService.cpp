// Adapters for the per-thread shared service and its objects, the path splitter, the
// configuration chooser, the host object, and the factory that creates them by ProgID.
#include <cstdio>
#include <unordered_map>

#include "support/Failure.h"
#include "support/Trace.h"
#include "win32/host/Adapters.h"
#include "win32/host/OutsideNames.h"

namespace vq::win32 {

namespace {

namespace on = outside;

class ComRegistry final : public TransmitterRegistry {
  public:
    explicit ComRegistry(ComPtr<IDispatch> object)
        : m_Object(std::move(object), "transmitter registry") {}
    void TypeInstalled(const std::string& typeName) override {
        m_Object.Call(on::kTypeInstalled, {Text(typeName)});
    }
    void TxmAdded(const TransmitterRef& txm) override {
        m_Object.Call(on::kTxmAdded, {ObjectVariant(DispatchOf(txm).Get())});
    }
    void TxmRemoved(int16_t formerIndex) override {
        m_Object.Call(on::kTxmRemoved, {Short(formerIndex)});
    }
    void TxmActivated(const TransmitterRef& txm) override {
        m_Object.Call(on::kTxmActivated, {ObjectVariant(DispatchOf(txm).Get())});
    }
    Signal<std::string&>& AutoConnet() override { return Subscribed(m_AutoConnet); }
    Signal<>& TimeOut() override { return Subscribed(m_TimeOut); }
    Signal<TransmitterRef&>& TxmConnected() override { return Subscribed(m_TxmConnected); }

  private:
    template <class S>
    S& Subscribed(S& signal) {
        if (!m_Events.Connected())
            m_Events.Connect(
                m_Object,
                [this](const std::wstring& name, DISPPARAMS& params) { OnEvent(name, params); },
                [this] {
                    return m_AutoConnet.ConnectionCount() + m_TimeOut.ConnectionCount() +
                               m_TxmConnected.ConnectionCount() >
                           0;
                });
        return signal;
    }
    void OnEvent(const std::wstring& name, DISPPARAMS& params) {
        if (name == on::kAutoConnetEvent) {
            RaiseWithText(m_AutoConnet, params);
        } else if (name == on::kTimeOutEvent) {
            m_TimeOut.Raise();
        } else if (name == on::kTxmConnectedEvent && params.cArgs >= 1) {
            VARIANT& arg = params.rgvarg[params.cArgs - 1];
            const ComPtr<IDispatch> given = ToDispatch(arg, "the connected transmitter");
            TransmitterRef txm = WrapTransmitter(given);
            m_TxmConnected.Raise(txm);
            const ComPtr<IDispatch> after = DispatchOf(txm);
            if (V_VT(&arg) == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(&arg) && after != given)
                AssignInOut(V_DISPATCHREF(&arg), after);
        }
    }

    Outside m_Object;
    Signal<std::string&> m_AutoConnet;
    Signal<> m_TimeOut;
    Signal<TransmitterRef&> m_TxmConnected;
    EventSubscription m_Events;
};

class ComLanguage final : public LanguageObject {
  public:
    explicit ComLanguage(ComPtr<IDispatch> object)
        : m_Object(std::move(object), "language object") {}
    int32_t LanguageIndex() override { return AsLong(m_Object.Call(on::kLanguageIndex)); }
    std::string ResourcesText() override {
        Outside resources(AsObject(m_Object.Call(on::kResources), "Resources"),
                          "language resources");
        return AsText(resources.Call(on::kText));
    }
    Signal<int32_t>& OnLanguageChange() override {
        if (!m_Events.Connected()) {
            m_Events.Connect(
                m_Object,
                [this](const std::wstring& name, DISPPARAMS& params) {
                    if (name == on::kOnLanguageChangeEvent && params.cArgs >= 1)
                        m_Change.Raise(ToValue(params.rgvarg[params.cArgs - 1]).ToInt32());
                },
                [this] { return m_Change.ConnectionCount() > 0; });
        }
        return m_Change;
    }

  private:
    Outside m_Object;
    Signal<int32_t> m_Change;
    EventSubscription m_Events;
};

class ComPathSplitter final : public PathSplitter {
  public:
    explicit ComPathSplitter(ComPtr<IDispatch> object)
        : m_Object(std::move(object), "path splitter") {}
    void SetFullName(const std::string& fullName) override {
        m_Object.Put(on::kFullName, Text(fullName));
    }
    std::string FullName() override { return AsText(m_Object.Call(on::kFullName)); }
    std::string Folder() override { return AsText(m_Object.Call(on::kFolder)); }
    std::string FileName() override { return AsText(m_Object.Call(on::kFileName)); }
    void SetFolder(const std::string& folder) override { m_Object.Put(on::kFolder, Text(folder)); }
    void SetSubFolder(const std::string& subFolder) override {
        m_Object.Put(on::kSubFolder, Text(subFolder));
    }
    void SetFileName(const std::string& fileName) override {
        m_Object.Put(on::kFileName, Text(fileName));
    }

  private:
    Outside m_Object;
};

class ComConfigChooser final : public ConfigChooser {
  public:
    explicit ComConfigChooser(ComPtr<IDispatch> object)
        : m_Object(std::move(object), "configuration chooser") {}
    void SetTxm(const TransmitterRef& txm) override {
        m_Object.PutRef(on::kTxm, ObjectVariant(DispatchOf(txm).Get()));
    }
    void Run(int32_t mode, std::string& fileName, int32_t flags, int32_t owner) override {
        Bstr name(fileName);
        m_Object.Call(on::kRun, {Long(mode), RefText(name.InOut()), Long(flags), Long(owner)});
        fileName = FromBstr(name.Get());
    }
    std::string FileName() override { return AsText(m_Object.Call(on::kFileName)); }
    void SetFinished(VbBool finished) override { m_Object.Put(on::kFinished, Bool(finished)); }
    Value Answer() override { return ToValue(m_Object.Call(on::kAnswer).Raw()); }

  private:
    Outside m_Object;
};

class ComService final : public SharedService {
  public:
    explicit ComService(ComPtr<IDispatch> object) : m_Object(std::move(object), "shared service") {}

    std::string SettingsFilePath() override { return AsText(m_Object.Call(on::kSettingsFilePath)); }
    std::string ReadSetting(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& defaultValue) override {
        return AsText(m_Object.Call(on::kReadSetting,
                                    {Text(file), Text(section), Text(key), Text(defaultValue)}));
    }
    VbBool WriteSetting(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) override {
        return AsBool(
            m_Object.Call(on::kWriteSetting, {Text(file), Text(section), Text(key), Text(value)}));
    }
    void ClearSection(const std::string& file, const std::string& section) override {
        m_Object.Call(on::kClearSection, {Text(file), Text(section)});
    }
    std::string ListSeparator() override { return AsText(m_Object.Call(on::kListSeparator)); }
    int16_t ToInteger(const Value& value) override {
        return AsShort(m_Object.Call(on::kToInteger, {ToVariant(value)}));
    }
    Value RestorePlacement(PlacementWindow& window, const std::string& file,
                           const std::string& section, const std::string& key) override {
        return Placement(on::kRestorePlacement, window, file, section, key);
    }
    Value SavePlacement(PlacementWindow& window, const std::string& file,
                        const std::string& section, const std::string& key) override {
        return Placement(on::kSavePlacement, window, file, section, key);
    }
    int32_t ShowMessage(const std::string& prompt, int32_t buttons, int32_t style,
                        const std::string& title, const PassThroughRef& owner) override {
        return AsLong(m_Object.Call(on::kShowMessage, {Text(prompt), Long(buttons), Long(style),
                                                       Text(title), ToVariant(owner)}));
    }
    std::string GetString(int32_t number) override {
        return AsText(m_Object.Call(on::kGetString, {Long(number)}));
    }
    std::string DefaultFolder() override { return AsText(m_Object.Call(on::kDefaultFolder)); }
    std::string ServerSettingName(int32_t family) override {
        return AsText(m_Object.Call(on::kServerSettingName, {Long(family)}));
    }
    std::shared_ptr<LanguageObject> Language() override {
        return Cached(m_Language, on::kLanguage);
    }
    std::shared_ptr<TransmitterRegistry> Registry() override {
        return Cached(m_Registry, on::kRegistry);
    }
    std::shared_ptr<vq::PathSplitter> PathSplitter() override {
        return Cached(m_Splitter, on::kPathSplitter);
    }

  private:
    Value Placement(const wchar_t* member, PlacementWindow& window, const std::string& file,
                    const std::string& section, const std::string& key) {
        const PlacementHandle handle(window);
        return ToValue(
            m_Object.Call(member, {handle.AsArgument(), Text(file), Text(section), Text(key)})
                .Raw());
    }
    // The service hands out the same sub-object every time; so does this adapter.
    template <class Adapter>
    std::shared_ptr<Adapter> Cached(std::shared_ptr<Adapter>& slot, const wchar_t* member) {
        if (!slot) {
            ComPtr<IDispatch> object = AsObject(m_Object.Call(member), "a shared service member");
            if (!object) return nullptr;
            slot = std::make_shared<Adapter>(std::move(object));
        }
        return slot;
    }

    Outside m_Object;
    std::shared_ptr<ComLanguage> m_Language;
    std::shared_ptr<ComRegistry> m_Registry;
    std::shared_ptr<ComPathSplitter> m_Splitter;
};

class ComHostObject final : public HostObject {
  public:
    explicit ComHostObject(ComPtr<IDispatch> object) : m_Object(std::move(object), "host object") {}
    PassThroughRef ComMisc() override { return ToPassThrough(m_Object.Call(on::kComMisc).Raw()); }
    PassThroughRef ComModem() override { return ToPassThrough(m_Object.Call(on::kComModem).Raw()); }
    PassThroughRef ActiveHART1() override {
        return ToPassThrough(m_Object.Call(on::kActiveHART1).Raw());
    }

  private:
    Outside m_Object;
};

class ComProduct final : public ProductFactory {
  public:
    TransmitterRef CreateTransmitter() override { return WrapTransmitter(Create(on::kTxmClass)); }
    CommandRef CreateCommand() override;
    std::shared_ptr<vq::PathSplitter> CreatePathSplitter() override {
        return std::make_shared<ComPathSplitter>(Create(on::kPathSplitterClass));
    }
    std::shared_ptr<vq::ConfigChooser> ConfigChooser() override {
        if (!m_Kept->Chooser)
            m_Kept->Chooser = std::make_shared<ComConfigChooser>(Create(on::kConfigChooserClass));
        return m_Kept->Chooser;
    }
    DeviceServerRef CreateDeviceServer(int32_t family) override {
        if (family < 1 || family > 3)
            throw Failure(Codes::InvalidProcedureCall,
                          "There is no device server of family " + std::to_string(family));
        return WrapServer(Create(on::kServerClasses[family - 1]));
    }
    std::shared_ptr<SharedService> Service() override {
        if (!m_Kept->Service)
            m_Kept->Service = std::make_shared<ComService>(Create(on::kServiceClass));
        return m_Kept->Service;
    }

  private:
    // Objects are made through each class's factory, looked up once per ProgID.
    ComPtr<IDispatch> Create(const wchar_t* progId) {
        ComPtr<IDispatch> object;
        HRESULT hr = E_FAIL;
        IClassFactory* factory = Factory(progId, hr);  // kept in m_Kept
        if (factory) hr = factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid());
        if (FAILED(hr) || !object) {
            const Failure failure = CannotCreate(progId, hr);
            if (TraceOn())
                TraceLine("call out: create " + Narrow(progId) + " -> failed " +
                          TraceCode(failure.Code()) + ": " + failure.Description());
            throw failure;
        }
        if (TraceOn()) TraceLine("call out: create " + Narrow(progId) + " -> Object");
        return object;
    }
    IClassFactory* Factory(const wchar_t* progId, HRESULT& hr) {
        auto found = m_Kept->Factories.find(progId);
        if (found != m_Kept->Factories.end()) return found->second.Get();
        CLSID clsid{};
        hr = CLSIDFromProgID(progId, &clsid);
        ComPtr<IClassFactory> factory;
        // The in-process server first, a local server only for a class without one: asked for
        // both at once, COM answers "class not registered" also where the registered DLL
        // exists but cannot be loaded (one of the other architecture, say), hiding the cause.
        if (SUCCEEDED(hr))
            hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                  factory.PutVoid());
        if (hr == REGDB_E_CLASSNOTREG)
            hr = CoGetClassObject(clsid, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                                  factory.PutVoid());
        if (FAILED(hr) || !factory) return nullptr;
        return m_Kept->Factories.emplace(progId, std::move(factory)).first->second.Get();
    }
    static Failure CannotCreate(const wchar_t* progId, HRESULT hr) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        return Failure(Codes::CannotCreateObject, "ActiveX component can't create object: " +
                                                      Narrow(progId) + " (" + code + ")");
    }

    // What the thread keeps of the host product: the shared service and the configuration
    // chooser (one per thread, created on first use) and the class factories. The item
    // library expects them to live as long as the host, and releasing them when the thread or
    // the module ends could call into components that CoUninitialize has already unloaded.
    struct Kept {
        std::unordered_map<std::wstring, ComPtr<IClassFactory>> Factories;
        std::shared_ptr<ComService> Service;
        std::shared_ptr<ComConfigChooser> Chooser;
    };
    NeverReleased<Kept> m_Kept;
};

// Commands are made here but their adapter lives with the transmitter's; created through it.
CommandRef ComProduct::CreateCommand() {
    return WrapCommand(Create(on::kCommandClass));
}

}  // namespace

std::shared_ptr<HostObject> WrapHost(const ComPtr<IDispatch>& host) {
    if (!host) return nullptr;
    return std::make_shared<ComHostObject>(host);
}

std::shared_ptr<ProductFactory> CreateComProduct() {
    return std::make_shared<ComProduct>();
}

}  // namespace vq::win32
