#include "win32/server/TxmsObject.h"

#include <new>

#include "support/Failure.h"
#include "support/ThreadContext.h"
#include "win32/com/Enumerator.h"
#include "win32/host/Adapters.h"
#include "win32/host/Entry.h"
#include "win32/platform/Win32Platform.h"
#include "win32/server/Module.h"
#include "win32/windows/Win32WindowHost.h"

namespace vq::win32 {

/// What transmitters receive as Parent: this object, named without a reference of its own.
class TxmsObject::Identity final : public CollectionParent {
  public:
    explicit Identity(TxmsObject& owner) : m_Owner(owner) {}
    IDispatch* Dispatch() const override { return static_cast<_CTxms*>(&m_Owner); }
    ULONG References() const override { return m_Owner.m_Refs.load(); }

  private:
    TxmsObject& m_Owner;
};

namespace {

// Copies a reference parameter that may be null (a vtable caller's mistake).
template <class T>
const T& In(const T* p, const char* name) {
    if (p == nullptr)
        throw Failure(static_cast<int32_t>(E_POINTER),
                      std::string("Invalid pointer: ") + name + " is missing");
    return *p;
}

}  // namespace

HRESULT TxmsObject::Create(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    return Barrier(IID__CTxms, [&] {
        PrepareModule();
        if (!ThisThread().Product) ThisThread().Product = CreateComProduct();
        if (!ThisThread().Platform) ThisThread().Platform = CreateWin32Platform();
        // The windows open as real windows on the thread that uses the collection.
        windows::InstallWindowHost();
        const ComPtr<TxmsObject> created = MakeObject<TxmsObject>();
        const HRESULT hr = created->QueryInterface(riid, object);
        if (FAILED(hr)) throw Failure(hr, "CTxms does not offer the requested interface");
    });
}

TxmsObject::TxmsObject()
    : m_Txms(std::make_unique<Txms>()),
      m_Identity(std::make_shared<Identity>(*this)),
      m_Events(*this, DIID___CTxms, "CTxms") {
    m_Txms->SetIdentity(m_Identity);
    // A window keeps the collection through a reference on this object.
    m_Txms->SetKeeper([this] {
        AddRef();
        return std::shared_ptr<void>(static_cast<_CTxms*>(this),
                                     [](_CTxms* self) { self->Release(); });
    });
    m_SyncRelay = m_Txms->OnTxmSync().Connect([this](std::string& info) { FireOnTxmSync(info); });
}

TxmsObject::~TxmsObject() {
    m_SyncRelay.Reset();
    m_Txms.reset();
    m_Events.DisconnectAll();
}

HRESULT TxmsObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID__CTxms))
        *object = static_cast<_CTxms*>(this);
    else if (IsEqualIID(riid, IID_IConnectionPointContainer))
        *object = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(riid, IID_IProvideClassInfo) || IsEqualIID(riid, IID_IProvideClassInfo2))
        *object = static_cast<IProvideClassInfo2*>(this);
    else if (IsEqualIID(riid, IID_ISupportErrorInfo))
        *object = static_cast<ISupportErrorInfo*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG TxmsObject::AddRef() {
    return ++m_Refs;
}

ULONG TxmsObject::Release() {
    const ULONG refs = --m_Refs;
    if (refs == 0) {
        delete this;
        return 0;
    }
    if (m_Busy == 0 && m_Txms && static_cast<long>(refs) == m_Owned) return TearDown();
    return refs;
}

ULONG TxmsObject::TearDown() {
    ++m_Busy;
    ++m_Refs;  // stays alive until the end of this function
    m_SyncRelay.Reset();
    std::unique_ptr<Txms> core = std::move(m_Txms);
    m_Owned = 0;
    core.reset();  // the transmitters let go of their Parent here
    m_Events.DisconnectAll();
    --m_Busy;
    return Release();  // 0 unless a host still holds one of the transmitters
}

void TxmsObject::ServersObjectGone() {
    m_ServersObject = nullptr;
}

Txms& TxmsObject::Core() {
    if (!m_Txms)
        throw Failure(Codes::Unexpected,
                      "This transmitter collection has been released by its host; only a "
                      "transmitter's reference to it is left");
    return *m_Txms;
}

void TxmsObject::CountOwned() {
    long owned = 0;
    if (m_Txms) {
        for (const auto& entry : m_Txms->List()) owned += ParentGrant(entry.Item);
    }
    m_Owned = owned;
}

// While the list changes, transmitters leaving it give back their references one by one and
// m_Owned is not yet up to date; the caller holds a reference of its own, so no teardown is due.
auto TxmsObject::ListChange(bool recount) {
    ++m_Busy;
    return ScopeExit([this, recount]() noexcept {
        if (recount) CountOwned();
        --m_Busy;
    });
}

void TxmsObject::FireOnTxmSync(std::string& info) {
    const std::string given = TraceOn() ? info : std::string();
    m_Events.FireText(1, info);
    if (TraceOn())
        TraceLine("event out: CTxms.OnTxmSync(" + TraceText(given) + ") -> " + TraceText(info));
}

// ---- _CTxms: the collection

HRESULT TxmsObject::Add(VARIANT* IndexKey, LONG* TxmType, SHORT* Address, SHORT* ComPort,
                        BSTR* ComSettings, LONG* Protocol, BSTR* Name, VARIANT_BOOL* AutoConnect,
                        VARIANT_BOOL* Silent, IDispatch** Result) {
    return Entry(
        IID__CTxms,
        EntryTrace("CTxms.Add", IndexKey, TxmType, Address, ComPort, ComSettings, Protocol, Name,
                   AutoConnect, Silent),
        Result, [&] {
            RequireOut(Result, "the new transmitter");
            *Result = nullptr;
            const auto change = ListChange(false);  // counted below, when the transmitter is in
            const TransmitterRef txm = Core().Add(
                ToValue(In(IndexKey, "IndexKey")), In(TxmType, "TxmType"), In(Address, "Address"),
                In(ComPort, "ComPort"), FromBstr(In(ComSettings, "ComSettings")),
                In(Protocol, "Protocol"), FromBstr(In(Name, "Name")),
                VbBool(In(AutoConnect, "AutoConnect")), Silent ? VbBool(*Silent) : VbFalse);
            if (!txm) return;
            m_Owned += ParentGrant(txm);
            DispatchOf(txm).CopyTo(Result);
        });
}

HRESULT TxmsObject::ActiveTxm(IDispatch** Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.ActiveTxm"), Result, [&] {
        RequireOut(Result, "the active transmitter");
        *Result = nullptr;
        DispatchOf(Core().ActiveTxm()).CopyTo(Result);
    });
}

HRESULT TxmsObject::put_ActiveTxmIndex(SHORT vData) {
    return Entry(IID__CTxms, EntryTrace("CTxms.ActiveTxmIndex =", vData), nullptr,
                 [&] { Core().SetActiveTxmIndex(vData); });
}

HRESULT TxmsObject::get_ActiveTxmIndex(SHORT* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.ActiveTxmIndex"), Result, [&] {
        RequireOut(Result, "the active position");
        *Result = Core().ActiveTxmIndex();
    });
}

HRESULT TxmsObject::get_Item(VARIANT* vntIndexKey, IDispatch** Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.Item", vntIndexKey), Result, [&] {
        RequireOut(Result, "the transmitter");
        *Result = nullptr;
        const Value key = vntIndexKey ? ToValue(*vntIndexKey) : Value::Missing();
        DispatchOf(Core().Item(key)).CopyTo(Result);
    });
}

HRESULT TxmsObject::get_Count(LONG* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.Count"), Result, [&] {
        RequireOut(Result, "the count");
        *Result = Core().Count();
    });
}

HRESULT TxmsObject::Remove(VARIANT* vntIndexKey) {
    return Entry(IID__CTxms, EntryTrace("CTxms.Remove", vntIndexKey), nullptr, [&] {
        const Value key = ToValue(In(vntIndexKey, "vntIndexKey"));
        const auto change = ListChange(true);
        Core().Remove(key);
    });
}

HRESULT TxmsObject::get_NewEnum(IUnknown** Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.NewEnum"), Result, [&] {
        RequireOut(Result, "the enumerator");
        *Result = nullptr;
        VariantEnumerator::Snapshot items;
        for (const auto& entry : Core().List())
            items.push_back(ObjectVariant(DispatchOf(entry.Item).Get()));
        *Result = VariantEnumerator::Create(std::move(items), "CTxms enumerator").Detach();
    });
}

// ---- _CTxms: start-up and properties

HRESULT TxmsObject::Initialize(BSTR Path, IDispatch* Host, IDispatch** ComHistory, SHORT* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.Initialize", Path, Host, ComHistory), Result, [&] {
        RequireOut(Result, "the result");
        PassThroughRef history =
            ComHistory && *ComHistory ? ToPassThrough(*ObjectVariant(*ComHistory)) : nullptr;
        const PassThroughRef given = history;
        // Whatever the servers left in the port history goes back to the caller, also when a
        // later family fails.
        const ScopeExit handBack([&]() noexcept {
            if (ComHistory == nullptr || history == given) return;
            try {
                AssignInOut(ComHistory, ToDispatch(history, "the port history"));
            } catch (...) {
            }
        });
        *Result = Core().Initialize(FromBstr(Path), WrapHost(ComPtr<IDispatch>(Host)), history);
    });
}

HRESULT TxmsObject::get_Servers(IDispatch** Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.Servers"), Result, [&] {
        RequireOut(Result, "the servers");
        *Result = nullptr;
        Core();
        // The same object while the host holds it, so that Servers Is Servers.
        if (m_ServersObject == nullptr) {
            ComPtr<IDispatch> created = CreateServersObject(*this);
            m_ServersObject = created.Get();
            *Result = created.Detach();
            return;
        }
        ComPtr<IDispatch>(m_ServersObject).CopyTo(Result);
    });
}

HRESULT TxmsObject::ComponentVersion(BSTR* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.ComponentVersion"), Result, [&] {
        RequireOut(Result, "the version");
        *Result = nullptr;
        *Result = ToBstr(Core().ComponentVersion());
    });
}

HRESULT TxmsObject::ShowWizard(SHORT* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.ShowWizard"), Result, [&] {
        RequireOut(Result, "the result");
        const auto change = ListChange(true);
        *Result = Core().ShowWizard();
    });
}

HRESULT TxmsObject::Edit(IDispatch** Txm, VARIANT_BOOL* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.Edit", Txm), Result, [&] {
        RequireOut(Result, "the result");
        const TransmitterRef txm = WrapTransmitter(ComPtr<IDispatch>(In(Txm, "Txm")));
        if (!txm) throw Failure(Codes::ObjectRequired, "Object required: Edit needs a transmitter");
        const auto change = ListChange(true);
        *Result = Core().Edit(txm).Value;
    });
}

HRESULT TxmsObject::Save(BSTR FileName, BSTR Section, VARIANT IndexKey, VARIANT_BOOL* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.Save", FileName, Section, IndexKey), Result, [&] {
        RequireOut(Result, "the result");
        *Result = Core().Save(FromBstr(FileName), FromBstr(Section), ToValue(IndexKey)).Value;
    });
}

HRESULT TxmsObject::Load(BSTR FileName, BSTR Section, VARIANT IndexKey, VARIANT_BOOL AutoConnect,
                         SHORT* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.Load", FileName, Section, IndexKey, AutoConnect),
                 Result, [&] {
                     RequireOut(Result, "the result");
                     const auto change = ListChange(true);
                     *Result = Core().Load(FromBstr(FileName), FromBstr(Section), ToValue(IndexKey),
                                           VbBool(AutoConnect));
                 });
}

HRESULT TxmsObject::GetNextTxmName(BSTR* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.GetNextTxmName"), Result, [&] {
        RequireOut(Result, "the name");
        *Result = nullptr;
        *Result = ToBstr(Core().GetNextTxmName());
    });
}

HRESULT TxmsObject::get_IniFilePath(BSTR* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.IniFilePath"), Result, [&] {
        RequireOut(Result, "the path");
        *Result = nullptr;
        *Result = ToBstr(Core().IniFilePath());
    });
}

HRESULT TxmsObject::put_IniFilePath(BSTR NewIniFilePath) {
    return Entry(IID__CTxms, EntryTrace("CTxms.IniFilePath =", NewIniFilePath), nullptr,
                 [&] { Core().SetIniFilePath(FromBstr(NewIniFilePath)); });
}

HRESULT TxmsObject::get_OffLine(VARIANT_BOOL* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.OffLine"), Result, [&] {
        RequireOut(Result, "the value");
        *Result = Core().OffLine().Value;
    });
}

HRESULT TxmsObject::put_OffLine(VARIANT_BOOL NewOffLine) {
    return Entry(IID__CTxms, EntryTrace("CTxms.OffLine =", NewOffLine), nullptr,
                 [&] { Core().SetOffLine(VbBool(NewOffLine)); });
}

HRESULT TxmsObject::get_Historian(LONG* Result) {
    return Entry(IID__CTxms, EntryTrace("CTxms.Historian"), Result, [&] {
        RequireOut(Result, "the value");
        *Result = Core().Historian();
    });
}

HRESULT TxmsObject::put_Historian(LONG NewHistorian) {
    return Entry(IID__CTxms, EntryTrace("CTxms.Historian =", NewHistorian), nullptr,
                 [&] { Core().SetHistorian(NewHistorian); });
}

HRESULT TxmsObject::Clear() {
    return Entry(IID__CTxms, EntryTrace("CTxms.Clear"), nullptr, [&] {
        const auto change = ListChange(true);
        Core().Clear();
    });
}

// ---- Connection points, class information, error information

HRESULT TxmsObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points == nullptr) return E_POINTER;
    *points = nullptr;
    return Barrier(IID_IConnectionPointContainer, [&] {
        ConnectionPointEnumerator::Snapshot snapshot;
        snapshot.emplace_back(&m_Events);
        *points = ConnectionPointEnumerator::Create(std::move(snapshot)).Detach();
    });
}

HRESULT TxmsObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(riid, DIID___CTxms)) return CONNECT_E_NOCONNECTION;
    ComPtr<IConnectionPoint>(&m_Events).CopyTo(point);
    return S_OK;
}

HRESULT TxmsObject::GetClassInfo(ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    return Barrier(IID_IProvideClassInfo, [&] { OwnTypeInfo(CLSID_CTxms).CopyTo(info); });
}

HRESULT TxmsObject::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID___CTxms;
    return S_OK;
}

HRESULT TxmsObject::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, IID__CTxms) ? S_OK : S_FALSE;
}

}  // namespace vq::win32
