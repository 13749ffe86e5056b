#include "Host.h"

#include "win32/host/Outside.h"

namespace vqtest {

namespace {

// COM for the whole test program, with both DLLs registered in the (fresh) Wine prefix.
class ComEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_EQ(S_OK, CallExport(L"vqSimProduct.dll", "DllRegisterServer"));
        ASSERT_EQ(S_OK, CallExport(L"vqTransmitters32.dll", "DllRegisterServer"));
    }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] ::testing::Environment* const g_Environment =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace

bool StartHostProgram() {
    return SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) &&
           CallExport(L"vqSimProduct.dll", "DllRegisterServer") == S_OK &&
           CallExport(L"vqTransmitters32.dll", "DllRegisterServer") == S_OK;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

HRESULT CallExport(const wchar_t* dll, const char* name) {
    HMODULE module = LoadLibraryW((ProgramFolder() + dll).c_str());
    if (module == nullptr) return HRESULT_FROM_WIN32(GetLastError());
    using Export = HRESULT(WINAPI*)();
    auto function = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    const HRESULT hr = function ? function() : E_NOINTERFACE;
    FreeLibrary(module);
    return hr;
}

namespace {
ComPtr<IDispatch> Create(const wchar_t* progId) {
    CLSID clsid{};
    EXPECT_EQ(S_OK, CLSIDFromProgID(progId, &clsid));
    ComPtr<IDispatch> object;
    EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     reinterpret_cast<void**>(object.Put())));
    return object;
}
}  // namespace

ComPtr<IDispatch> NewTxms() {
    return Create(L"vqTransmitters32.CTxms");
}

ComPtr<IDispatch> NewObject(const wchar_t* progId) {
    return Create(progId);
}

ComPtr<IDispatch> World() {
    ComPtr<IDispatch> world = Create(L"vqSim.World");
    if (world) {
        EXPECT_EQ(S_OK, CallByName(world.Get(), L"Reset").Hr);
    }
    return world;
}

VARIANT Var::ByRef(bool asVariant) {
    VARIANT ref;
    VariantInit(&ref);
    VARIANT& v = m_Value.Raw();
    if (asVariant) {
        V_VT(&ref) = VT_VARIANT | VT_BYREF;
        V_VARIANTREF(&ref) = &v;
        return ref;
    }
    V_VT(&ref) = static_cast<VARTYPE>(V_VT(&v) | VT_BYREF);
    V_BYREF(&ref) = &V_I4(&v);  // the value part of the VARIANT, whatever its type
    return ref;
}

Variant Str(const std::string& text) {
    return vq::win32::ToVariant(vq::Value(text));
}
Variant I4(int32_t n) {
    return vq::win32::Long(n);
}
Variant I2(int16_t n) {
    return vq::win32::Short(n);
}
Variant Bool(bool b) {
    return vq::win32::Bool(vq::VbBool::From(b));
}
Variant Obj(IDispatch* object) {
    return vq::win32::ObjectVariant(object);
}
Variant NullValue() {
    Variant v;
    V_VT(&v.Raw()) = VT_NULL;
    return v;
}
Variant EmptyValue() {
    return Variant();
}
Variant R8(double d) {
    Variant v;
    V_VT(&v.Raw()) = VT_R8;
    V_R8(&v.Raw()) = d;
    return v;
}
Variant Array() {
    Variant v;
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
    V_VT(&v.Raw()) = VT_ARRAY | VT_I4;
    V_ARRAY(&v.Raw()) = array;
    return v;
}

Outcome CallById(IDispatch* object, DISPID id, std::vector<VARIANT> args, WORD flags) {
    Outcome outcome;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    DISPPARAMS params{reversed.data(), put ? &putId : nullptr, static_cast<UINT>(reversed.size()),
                      put ? 1u : 0u};
    EXCEPINFO info{};
    UINT argError = 0;
    outcome.Hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                put ? nullptr : &outcome.Result.Raw(), &info, &argError);
    if (outcome.Hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
        outcome.Source = vq::win32::FromBstr(info.bstrSource);
        outcome.Description = vq::win32::FromBstr(info.bstrDescription);
        outcome.Code = info.scode;
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return outcome;
}

Outcome CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, WORD flags) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        Outcome outcome;
        outcome.Hr = hr;
        return outcome;
    }
    return CallById(object, id, std::move(args), flags);
}

Outcome PutByName(IDispatch* object, const wchar_t* name, VARIANT value) {
    return CallByName(object, name, {value}, DISPATCH_PROPERTYPUT);
}

Variant Get(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args) {
    Outcome outcome = CallByName(object, name, std::move(args));
    EXPECT_EQ(S_OK, outcome.Hr) << vq::win32::Narrow(name) << ": " << outcome.Description;
    return std::move(outcome.Result);
}

std::string TextOf(const Variant& v) {
    return vq::win32::ToValue(v.Raw()).ToText();
}
long LongOf(const Variant& v) {
    return vq::win32::ToValue(v.Raw()).ToInt32();
}
ComPtr<IDispatch> ObjectOf(const Variant& v) {
    return vq::win32::ToDispatch(v.Raw(), "the result");
}

std::string GetText(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args) {
    return TextOf(Get(object, name, std::move(args)));
}
long GetLong(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args) {
    return LongOf(Get(object, name, std::move(args)));
}
ComPtr<IDispatch> GetObject(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args) {
    return ObjectOf(Get(object, name, std::move(args)));
}

long InitializeTxms(IDispatch* txms, IDispatch* world) {
    const ComPtr<IDispatch> host = GetObject(world, L"CreateHost");
    const Variant folder = Get(world, L"Folder");
    Var history = Var::Of(Obj(nullptr));
    const Outcome outcome =
        CallByName(txms, L"Initialize", {In(folder), In(Obj(host.Get())), history.ByRef(false)});
    EXPECT_EQ(S_OK, outcome.Hr) << outcome.Description;
    return outcome.Hr == S_OK ? LongOf(outcome.Result) : 0;
}

ComPtr<IDispatch> AddSilently(IDispatch* txms, const std::string& key, long type, short address,
                              const std::string& name, short port) {
    Var vKey = Var::Of(Str(key)), vType = Var::Of(I4(type)), vAddress = Var::Of(I2(address)),
        vPort = Var::Of(I2(port)), vSettings = Var::Of(Str("4800,n,8,1")),
        vProtocol = Var::Of(I4(1)), vName = Var::Of(Str(name)), vAuto = Var::Of(Bool(false)),
        vSilent = Var::Of(Bool(true));
    Outcome outcome =
        CallByName(txms, L"Add",
                   {vKey.ByRef(true), vType.ByRef(false), vAddress.ByRef(false), vPort.ByRef(false),
                    vSettings.ByRef(false), vProtocol.ByRef(false), vName.ByRef(false),
                    vAuto.ByRef(false), vSilent.ByRef(false)});
    EXPECT_EQ(S_OK, outcome.Hr) << outcome.Description;
    return outcome.Hr == S_OK ? ObjectOf(outcome.Result) : nullptr;
}

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

}  // namespace vqtest
