// EventSubscription: the sink object that an outside connection point calls.
#include <unordered_map>

#include "win32/com/Automation.h"
#include "win32/host/Outside.h"

namespace vq::win32 {

class EventSink final : public IDispatch, public RefCounted {
  public:
    EventSink(const IID& iid, ComPtr<ITypeInfo> info, EventSubscription::Handler handler,
              const char* role)
        : m_Iid(iid), m_Info(std::move(info)), m_Handler(std::move(handler)), m_Role(role) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, m_Iid)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (result) VariantInit(result);
        if (!m_Handler) return S_OK;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        DISPPARAMS& given = params ? *params : none;
        const std::wstring& name = NameOf(id);
        if (name.empty()) return S_OK;
        // A copy: the subscription may be ended while the handler runs.
        const EventSubscription::Handler handler = m_Handler;
        const ComponentCall call;
        return TracedBarrier(IID_IDispatch, EventTrace(name, given), nullptr,
                             [&] { handler(name, given); });
    }

    void Detach() { m_Handler = nullptr; }

  private:
    // "role event Name(first argument)".
    EntryTrace EventTrace(const std::wstring& name, const DISPPARAMS& params) const {
        const std::string event = std::string(m_Role) + " event " + Narrow(name);
        if (params.cArgs == 0) return EntryTrace(event.c_str());
        return EntryTrace(event.c_str(), params.rgvarg[params.cArgs - 1]);
    }
    const std::wstring& NameOf(DISPID id) {
        const auto found = m_Names.find(id);
        if (found != m_Names.end()) return found->second;
        std::wstring name;
        Bstr raw;
        UINT count = 0;
        if (m_Info && SUCCEEDED(m_Info->GetNames(id, &raw, 1, &count)) && count == 1)
            name.assign(raw.Get(), SysStringLen(raw.Get()));
        return m_Names.emplace(id, std::move(name)).first->second;
    }

    IID m_Iid;
    ComPtr<ITypeInfo> m_Info;
    EventSubscription::Handler m_Handler;
    std::unordered_map<DISPID, std::wstring> m_Names;
    const char* m_Role;  // a literal
};

namespace {

thread_local EventSubscription* t_Subscriptions = nullptr;  // the first connected one
thread_local int t_CallDepth = 0;

// The default source interface of the object's class, from IProvideClassInfo.
bool SourceFromClassInfo(IDispatch* source, IID& iid, ComPtr<ITypeInfo>& info) {
    ComPtr<IProvideClassInfo> provider = ComPtr<IDispatch>(source).As<IProvideClassInfo>();
    ComPtr<ITypeInfo> coclass;
    if (!provider || FAILED(provider->GetClassInfo(coclass.Put())) || !coclass) return false;
    TYPEATTR* attr = nullptr;
    if (FAILED(coclass->GetTypeAttr(&attr)) || !attr) return false;
    const UINT implTypes = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < implTypes; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        const INT wanted = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || (flags & wanted) != wanted) continue;
        if (FAILED(coclass->GetRefTypeOfImplType(i, &ref)) ||
            FAILED(coclass->GetRefTypeInfo(ref, info.Put())) || !info)
            return false;
        TYPEATTR* sourceAttr = nullptr;
        if (FAILED(info->GetTypeAttr(&sourceAttr)) || !sourceAttr) return false;
        iid = sourceAttr->guid;
        info->ReleaseTypeAttr(sourceAttr);
        return true;
    }
    return false;
}

// The only connection point of the container, with its interface's type information looked
// up in the object's own type library.
ComPtr<IConnectionPoint> OnlyConnectionPoint(IDispatch* source,
                                             IConnectionPointContainer& container, IID& iid,
                                             ComPtr<ITypeInfo>& info) {
    ComPtr<IEnumConnectionPoints> points;
    if (FAILED(container.EnumConnectionPoints(points.Put())) || !points) return nullptr;
    ComPtr<IConnectionPoint> first, second;
    ULONG fetched = 0;
    if (points->Next(1, first.Put(), &fetched) != S_OK || !first) return nullptr;
    if (points->Next(1, second.Put(), &fetched) == S_OK && second) return nullptr;
    if (FAILED(first->GetConnectionInterface(&iid))) return nullptr;
    ComPtr<ITypeInfo> objectInfo;
    ComPtr<ITypeLib> library;
    UINT index = 0;
    if (SUCCEEDED(source->GetTypeInfo(0, LOCALE_USER_DEFAULT, objectInfo.Put())) && objectInfo &&
        SUCCEEDED(objectInfo->GetContainingTypeLib(library.Put(), &index)) && library)
        library->GetTypeInfoOfGuid(iid, info.Put());
    return first;
}

}  // namespace

EventSubscription::EventSubscription() = default;

EventSubscription::~EventSubscription() {
    Disconnect();
}

bool EventSubscription::Connect(const Outside& outside, Handler handler,
                                std::function<bool()> listening) {
    Disconnect();
    IDispatch* source = outside.Get();
    if (source == nullptr) return false;
    ComPtr<IConnectionPointContainer> container =
        ComPtr<IDispatch>(source).As<IConnectionPointContainer>();
    if (!container) return false;
    IID iid{};
    ComPtr<ITypeInfo> info;
    ComPtr<IConnectionPoint> point;
    if (SourceFromClassInfo(source, iid, info))
        container->FindConnectionPoint(iid, point.Put());
    else
        point = OnlyConnectionPoint(source, *container.Get(), iid, info);
    if (!point) return false;

    ComPtr<EventSink> sink = MakeObject<EventSink>(iid, info, std::move(handler), outside.Role());
    DWORD cookie = 0;
    if (FAILED(point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie)) || cookie == 0) {
        sink->Detach();
        return false;
    }
    m_Point = std::move(point);
    m_Sink = std::move(sink);
    m_Cookie = cookie;
    m_Listening = std::move(listening);
    m_Next = std::exchange(t_Subscriptions, this);
    if (m_Next) m_Next->m_Previous = this;
    return true;
}

void EventSubscription::Disconnect() {
    if (m_Cookie == 0) return;
    (m_Previous ? m_Previous->m_Next : t_Subscriptions) = m_Next;
    if (m_Next) m_Next->m_Previous = m_Previous;
    m_Previous = m_Next = nullptr;
    const ComPtr<IConnectionPoint> point = std::move(m_Point);
    const ComPtr<EventSink> sink = std::move(m_Sink);
    const DWORD cookie = std::exchange(m_Cookie, 0);
    m_Listening = nullptr;
    sink->Detach();
    point->Unadvise(cookie);
}

void DropIdleSubscriptions() noexcept {
    try {
        // Ending one may end others (their objects let go), so each round starts afresh.
        for (bool dropped = true; dropped;) {
            dropped = false;
            for (EventSubscription* s = t_Subscriptions; s != nullptr; s = s->m_Next) {
                if (s->m_Listening && s->m_Listening()) continue;
                s->Disconnect();
                dropped = true;
                break;
            }
        }
    } catch (...) {
    }
}

ComponentCall::ComponentCall() {
    ++t_CallDepth;
}

ComponentCall::~ComponentCall() {
    if (--t_CallDepth == 0) DropIdleSubscriptions();
}

}  // namespace vq::win32
