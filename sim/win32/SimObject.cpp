#include "SimObject.h"

#include "support/Failure.h"
#include "win32/com/Enumerator.h"

namespace sim::win32 {

namespace {

// {3B5E8CF0-7D44-4E0A-9F16-2C8A5D7E1B90}: answered only by SimObjects, with the object itself.
const IID kSimObjectIid = {
    0x3b5e8cf0, 0x7d44, 0x4e0a, {0x9f, 0x16, 0x2c, 0x8a, 0x5d, 0x7e, 0x1b, 0x90}};
constexpr int32_t kWrongArguments = static_cast<int32_t>(0x800A01C2);
constexpr DISPID kFirstId = 0x60020000;

// Wine's own fill-in of EXCEPINFO from a vq::Failure thrown by a handler.
HRESULT Report(EXCEPINFO* info, const vq::Failure& failure) {
    if (info == nullptr) return failure.Code() < 0 ? failure.Code() : E_FAIL;
    *info = EXCEPINFO{};
    info->bstrSource = SysAllocString(L"vqSimProduct");
    info->bstrDescription = vq::win32::ToBstr(failure.Description());
    info->scode = failure.Code() < 0 ? failure.Code() : E_FAIL;
    return DISP_E_EXCEPTION;
}

}  // namespace

Call::Call(WORD flags, DISPPARAMS& params, VARIANT* result)
    : m_Flags(flags),
      m_Params(params),
      m_Result(result),
      m_Count(params.cArgs - params.cNamedArgs) {}

VARIANT& Call::Arg(std::size_t i) {
    if (i >= m_Count)
        throw vq::Failure(kWrongArguments,
                          "Wrong number of arguments or invalid property assignment");
    return m_Params.rgvarg[m_Params.cArgs - 1 - i];
}

VARIANT& Call::PutValue() {
    if (m_Params.cArgs < 1)
        throw vq::Failure(kWrongArguments,
                          "Wrong number of arguments or invalid property assignment");
    return m_Params.rgvarg[0];
}

void Call::Return(Variant value) {
    if (m_Result) {
        VariantClear(m_Result);
        value.MoveTo(m_Result);
    }
}

ComPtr<SimObject> SimObject::Create(Kind kind, const GUID* coclass, const IID* events) {
    return vq::win32::MakeObject<SimObject>(kind, coclass, events);
}

SimObject::SimObject(Kind kind, const GUID* coclass, const IID* events) : m_Kind(kind) {
    if (coclass) {
        m_Class = *coclass;
        m_HasClass = true;
    }
    if (events) m_Events = std::make_unique<vq::win32::ConnectionPoint>(*this, *events);
}

SimObject::~SimObject() {
    if (m_Events) m_Events->DisconnectAll();
    if (OnDestroy) OnDestroy();
}

SimObject* SimObject::From(IUnknown* object) {
    if (object == nullptr) return nullptr;
    void* self = nullptr;
    if (FAILED(object->QueryInterface(kSimObjectIid, &self))) return nullptr;
    return static_cast<SimObject*>(self);
}

void SimObject::Method(const wchar_t* name, Handler handler, DISPID id) {
    m_Members.push_back(
        {name,
         id != DISPID_UNKNOWN ? id : kFirstId + static_cast<DISPID>(m_Members.size()),
         std::move(handler),
         {}});
}

void SimObject::Property(const wchar_t* name, Handler get, Handler put, DISPID id) {
    m_Members.push_back(
        {name, id != DISPID_UNKNOWN ? id : kFirstId + static_cast<DISPID>(m_Members.size()),
         std::move(get), std::move(put)});
}

void SimObject::Fire(DISPID id, DISPPARAMS& params) {
    if (m_Events) m_Events->Fire(id, params);
}

void SimObject::FireText(DISPID id, std::string& text) {
    if (m_Events) m_Events->FireText(id, text);
}

HRESULT SimObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, kSimObjectIid)) {
        *object = this;  // no reference: the caller holds one already
        return S_OK;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch))
        *object = static_cast<IDispatch*>(this);
    else if (m_Events && IsEqualIID(riid, IID_IConnectionPointContainer))
        *object = static_cast<IConnectionPointContainer*>(this);
    else if (m_HasClass && m_Events && OfferClassInfo && IsEqualIID(riid, IID_IProvideClassInfo))
        *object = static_cast<IProvideClassInfo*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT SimObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = m_HasClass ? 1 : 0;
    return S_OK;
}

HRESULT SimObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (!m_HasClass || index != 0) return DISP_E_BADINDEX;
    return vq::win32::Barrier(IID_IDispatch, [&] {
        // The class's default (identity) interface.
        const ComPtr<ITypeInfo> coclass = vq::win32::OwnTypeInfo(m_Class);
        HREFTYPE ref = 0;
        if (FAILED(coclass->GetRefTypeOfImplType(0, &ref)) ||
            FAILED(coclass->GetRefTypeInfo(ref, info)))
            throw vq::Failure(E_FAIL, "No identity type");
    });
}

HRESULT SimObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr || count == 0) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (const Member& member : m_Members) {
        if (_wcsicmp(member.Name.c_str(), names[0]) == 0) {
            ids[0] = member.Id;
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT SimObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* excepInfo, UINT*) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (result) VariantInit(result);
    for (const Member& member : m_Members) {
        if (member.Id != id) continue;
        Call call(flags, params ? *params : none, result);
        const Handler& handler = call.IsPut() ? member.Put : member.Get;
        if (!handler) return DISP_E_MEMBERNOTFOUND;
        try {
            handler(call);
            return S_OK;
        } catch (const vq::Failure& failure) {
            return Report(excepInfo, failure);
        } catch (...) {
            return E_UNEXPECTED;
        }
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT SimObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points == nullptr) return E_POINTER;
    vq::win32::ConnectionPointEnumerator::Snapshot snapshot;
    if (m_Events) snapshot.emplace_back(m_Events.get());
    *points = vq::win32::ConnectionPointEnumerator::Create(std::move(snapshot)).Detach();
    return S_OK;
}

HRESULT SimObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (!m_Events || !IsEqualIID(riid, m_Events->Iid())) return CONNECT_E_NOCONNECTION;
    ComPtr<IConnectionPoint>(m_Events.get()).CopyTo(point);
    return S_OK;
}

HRESULT SimObject::GetClassInfo(ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    return vq::win32::Barrier(IID_IProvideClassInfo,
                              [&] { vq::win32::OwnTypeInfo(m_Class).CopyTo(info); });
}

}  // namespace sim::win32
