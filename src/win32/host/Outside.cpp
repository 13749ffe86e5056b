#include "win32/host/Outside.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "support/Failure.h"
#include "support/Trace.h"
#include "win32/com/Automation.h"
#include "win32/host/OutsideNames.h"

namespace vq::win32 {

namespace {

constexpr int32_t kWrongArguments = static_cast<int32_t>(0x800A01C2);  // 450

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const {
        return std::memcmp(&a, &b, sizeof(GUID)) < 0;
    }
};

std::string HexCode(HRESULT hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(hr));
    return buffer;
}

// The Failure for a failed Invoke or GetIDsOfNames.
Failure CallFailure(HRESULT hr, ExcepInfo& info, const std::string& what) {
    if (hr == DISP_E_EXCEPTION) {
        info.Fill();
        std::string description = info.Description();
        const HRESULT code = info.Code() != 0 ? info.Code() : E_FAIL;
        if (description.empty()) description = "failed with " + HexCode(code);
        return Failure(code, what + ": " + description);
    }
    switch (hr) {
        case DISP_E_MEMBERNOTFOUND:
        case DISP_E_UNKNOWNNAME:
            return Failure(Codes::NotSupported,
                           "Object doesn't support this property or method: " + what);
        case DISP_E_TYPEMISMATCH:
            return Failure(Codes::TypeMismatch, "Type mismatch: " + what);
        case DISP_E_OVERFLOW:
            return Failure(Codes::Overflow, "Overflow: " + what);
        case DISP_E_BADPARAMCOUNT:
        case DISP_E_PARAMNOTOPTIONAL:
            return Failure(kWrongArguments,
                           "Wrong number of arguments or invalid property assignment: " + what);
        default:
            return Failure(hr, what + " failed with " + HexCode(hr));
    }
}

// The call as a trace line shows it: "role.Member(arguments)", or "role.Member = value" for a
// property put; empty when tracing is off.
std::string CallText(const char* role, const std::wstring& what, bool put,
                     const std::vector<Variant>& args) {
    if (!TraceOn()) return {};
    std::string text = std::string(role) + "." + Narrow(what);
    const char* separator = put ? " = " : "(";
    for (const Variant& arg : args) {
        text += separator + TraceArg(arg.Raw());
        separator = ", ";
    }
    if (!put && !args.empty()) text += ')';
    return text;
}

void TraceCallOut(const std::string& call, const std::string& outcome) {
    if (!call.empty()) TraceLine("call out: " + call + " -> " + outcome);
}

std::string Failed(const Failure& failure) {
    return "failed " + TraceCode(failure.Code()) + ": " + failure.Description();
}

}  // namespace

Variant Text(const std::string& utf8) {
    Variant v;
    V_VT(&v.Raw()) = VT_BSTR;
    V_BSTR(&v.Raw()) = ToBstr(utf8);
    return v;
}
Variant Long(int32_t n) {
    Variant v;
    V_VT(&v.Raw()) = VT_I4;
    V_I4(&v.Raw()) = n;
    return v;
}
Variant Short(int16_t n) {
    Variant v;
    V_VT(&v.Raw()) = VT_I2;
    V_I2(&v.Raw()) = n;
    return v;
}
Variant Bool(VbBool b) {
    Variant v;
    V_VT(&v.Raw()) = VT_BOOL;
    V_BOOL(&v.Raw()) = b.Value;
    return v;
}
Variant RefText(BSTR* text) {
    Variant v;
    V_VT(&v.Raw()) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&v.Raw()) = text;
    return v;
}
Variant RefObject(IDispatch** object) {
    Variant v;
    V_VT(&v.Raw()) = VT_DISPATCH | VT_BYREF;
    V_DISPATCHREF(&v.Raw()) = object;
    return v;
}

Outside::Outside(ComPtr<IDispatch> object, const char* role)
    : m_Object(std::move(object)), m_Role(role) {
    if (!m_Object) throw Failure(Codes::ObjectRequired, std::string("Object required: no ") + role);
}

std::shared_ptr<Outside::NameTable>& Outside::Names() {
    if (m_Names) return m_Names;
    thread_local std::map<GUID, std::shared_ptr<NameTable>, GuidLess> byType;
    ComPtr<ITypeInfo> info;
    UINT count = 0;
    if (SUCCEEDED(m_Object->GetTypeInfoCount(&count)) && count > 0 &&
        SUCCEEDED(m_Object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Put())) && info) {
        TYPEATTR* attr = nullptr;
        if (SUCCEEDED(info->GetTypeAttr(&attr)) && attr) {
            const GUID type = attr->guid;
            info->ReleaseTypeAttr(attr);
            if (!IsEqualGUID(type, GUID_NULL)) {
                std::shared_ptr<NameTable>& shared = byType[type];
                if (!shared) shared = std::make_shared<NameTable>();
                m_Names = shared;
                return m_Names;
            }
        }
    }
    m_Names = std::make_shared<NameTable>();  // no type identity: this object's own table
    return m_Names;
}

DISPID Outside::IdOf(const wchar_t* name) {
    NameTable& table = *Names();
    const auto found = table.Ids.find(name);
    if (found != table.Ids.end()) return found->second;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    const HRESULT hr = m_Object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        ExcepInfo none;
        const Failure failure = CallFailure(hr, none, std::string(m_Role) + "." + Narrow(name));
        TraceCallOut(CallText(m_Role, name, false, {}), Failed(failure));
        throw failure;
    }
    table.Ids.emplace(name, id);
    return id;
}

Variant Outside::Invoke(DISPID id, WORD flags, std::vector<Variant>& args,
                        const std::wstring& what) {
    std::vector<VARIANT> reversed(args.size());  // views of args, which own the values
    for (std::size_t i = 0; i < args.size(); ++i) reversed[args.size() - 1 - i] = args[i].Raw();
    DISPID putId = DISPID_PROPERTYPUT;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    const std::string call = CallText(m_Role, what, put, args);
    DISPPARAMS params{reversed.data(), put ? &putId : nullptr, static_cast<UINT>(reversed.size()),
                      put ? 1u : 0u};
    Variant result;
    ExcepInfo info;
    UINT argError = 0;
    const HRESULT hr = m_Object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                        put ? nullptr : &result, &info, &argError);
    if (FAILED(hr)) {
        const Failure failure = CallFailure(hr, info, std::string(m_Role) + "." + Narrow(what));
        TraceCallOut(call, Failed(failure));
        throw failure;
    }
    TraceCallOut(call, put ? "ok" : TraceArg(result.Raw()));
    return result;
}

Variant Outside::Call(const wchar_t* name, std::vector<Variant> args) {
    return Invoke(IdOf(name), DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, name);
}

void Outside::Put(const wchar_t* name, Variant value) {
    std::vector<Variant> args;
    args.push_back(std::move(value));
    Invoke(IdOf(name), DISPATCH_PROPERTYPUT, args, name);
}

void Outside::PutRef(const wchar_t* name, Variant value) {
    std::vector<Variant> args;
    args.push_back(std::move(value));
    Invoke(IdOf(name), DISPATCH_PROPERTYPUTREF, args, name);
}

Variant Outside::GetById(DISPID id) {
    std::vector<Variant> none;
    return Invoke(id, DISPATCH_PROPERTYGET | DISPATCH_METHOD, none,
                  L"[" + std::to_wstring(id) + L"]");
}

void Outside::PutById(DISPID id, Variant value) {
    std::vector<Variant> args;
    args.push_back(std::move(value));
    Invoke(id, DISPATCH_PROPERTYPUT, args, L"[" + std::to_wstring(id) + L"]");
}

std::string AsText(const Variant& v) {
    return ToValue(v.Raw()).ToText();
}
int16_t AsShort(const Variant& v) {
    return ToValue(v.Raw()).ToInt16();
}
int32_t AsLong(const Variant& v) {
    return ToValue(v.Raw()).ToInt32();
}
VbBool AsBool(const Variant& v) {
    return VbBool(ToValue(v.Raw()).ToInt16());
}
ComPtr<IDispatch> AsObject(const Variant& v, const char* what) {
    return ToDispatch(v.Raw(), what);
}

std::vector<Variant> Elements(Outside& collection) {
    std::vector<Variant> elements;
    ComPtr<IEnumVARIANT> items;
    try {
        const Variant enumerator = collection.GetById(DISPID_NEWENUM);
        const VARTYPE type = V_VT(&enumerator.Raw());
        if ((type == VT_UNKNOWN || type == VT_DISPATCH) && V_UNKNOWN(&enumerator.Raw()))
            V_UNKNOWN(&enumerator.Raw())->QueryInterface(IID_IEnumVARIANT, items.PutVoid());
    } catch (const Failure&) {
        // No enumerator: fall back to Count and Item below.
    }
    if (items) {
        Variant element;
        ULONG fetched = 0;
        while (items->Next(1, &element, &fetched) == S_OK && fetched == 1)
            elements.push_back(std::move(element));
        return elements;
    }
    const int32_t count = AsLong(collection.Call(outside::kCount));
    for (int32_t i = 1; i <= count; ++i)
        elements.push_back(collection.Call(outside::kItem, {Long(i)}));
    return elements;
}

}  // namespace vq::win32
