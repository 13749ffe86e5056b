#include "Host.h"

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

DWORD RunChildProgram(const std::wstring& arguments) {
    std::wstring command = L"\"" + ProgramFolder() + L"vq_tests_wine.exe\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

static ComPtr<IDispatch> Create(const wchar_t* progId) {
    CLSID clsid{};
    ComPtr<IDispatch> object;
    EXPECT_EQ(S_OK, CLSIDFromProgID(progId, &clsid));
    EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     object.PutVoid()));
    return object;
}

ComPtr<IDispatch> NewTxms() {
    return Create(L"vqTransmitters32.CTxms");
}

ComPtr<IDispatch> NewObject(const wchar_t* progId) {
    return Create(progId);
}

ComPtr<IDispatch> World() {
    ComPtr<IDispatch> world = Create(L"vqSim.World");
    if (world) Get(world.Get(), L"Reset");
    return world;
}

VARIANT Var::ByRef(bool asVariant) {
    VARIANT ref;
    VARIANT& v = Value.Raw();
    V_VT(&ref) = asVariant ? VT_VARIANT | VT_BYREF : static_cast<VARTYPE>(V_VT(&v) | VT_BYREF);
    // The whole VARIANT, or the value part of it, whatever its type.
    V_BYREF(&ref) = asVariant ? static_cast<void*>(&v) : static_cast<void*>(&V_I4(&v));
    return ref;
}

Variant Array() {
    Variant v;
    V_VT(&v.Raw()) = VT_ARRAY | VT_I4;
    V_ARRAY(&v.Raw()) = SafeArrayCreateVector(VT_I4, 0, 2);
    return v;
}

Outcome CallById(IDispatch* object, DISPID id, std::vector<VARIANT> args, WORD flags) {
    Outcome outcome;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    DISPPARAMS params{reversed.data(), put ? &putId : nullptr, static_cast<UINT>(reversed.size()),
                      put ? 1u : 0u};
    vq::win32::ExcepInfo info;
    UINT argError = 0;
    outcome.Hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                put ? nullptr : &outcome.Result, &info, &argError);
    if (outcome.Hr == DISP_E_EXCEPTION) {
        info.Fill();
        outcome.Source = info.Source();
        outcome.Description = info.Description();
        outcome.Code = info.Code();
    }
    return outcome;
}

Outcome CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, WORD flags) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(hr)) return CallById(object, id, std::move(args), flags);
    Outcome outcome;
    outcome.Hr = hr;
    return outcome;
}

Outcome PutByName(IDispatch* object, const wchar_t* name, VARIANT value) {
    return CallByName(object, name, {value}, DISPATCH_PROPERTYPUT);
}

Variant Get(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args) {
    Outcome outcome = CallByName(object, name, std::move(args));
    EXPECT_EQ(S_OK, outcome.Hr) << vq::win32::Narrow(name) << ": " << outcome.Description;
    return std::move(outcome.Result);
}

long InitializeTxms(IDispatch* txms, IDispatch* world) {
    const ComPtr<IDispatch> host = GetObject(world, L"CreateHost");
    const Variant folder = Get(world, L"Folder");
    Var history = Var{Obj(nullptr)};
    const Outcome outcome =
        CallByName(txms, L"Initialize", {In(folder), In(Obj(host.Get())), history.ByRef(false)});
    EXPECT_EQ(S_OK, outcome.Hr) << outcome.Description;
    return outcome.Hr == S_OK ? LongOf(outcome.Result) : 0;
}

WindowSession::WindowSession(const char* section) {
    EXPECT_EQ(3, InitializeTxms(Txms.Get(), World.Get()));
    const Variant file = Get(Service.Get(), L"SettingsFilePath");
    EXPECT_EQ(S_OK, CallByName(Service.Get(), L"ClearSection", {In(file), In(Str(section))}).Hr);
}

Outcome AddByName(IDispatch* txms, std::vector<Var> args) {
    std::vector<VARIANT> refs;
    for (Var& arg : args) refs.push_back(arg.ByRef(refs.empty()));  // IndexKey is a Variant
    return CallByName(txms, L"Add", std::move(refs));
}

ComPtr<IDispatch> AddSilently(IDispatch* txms, const std::string& key, long type, short address,
                              const std::string& name, short port) {
    const Outcome outcome = AddByName(txms, {Var{Str(key)}, Var{I4(type)}, Var{I2(address)},
                                             Var{I2(port)}, Var{Str("4800,n,8,1")}, Var{I4(1)},
                                             Var{Str(name)}, Var{Bool(false)}, Var{Bool(true)}});
    EXPECT_EQ(S_OK, outcome.Hr) << outcome.Description;
    return outcome.Hr == S_OK ? ObjectOf(outcome.Result) : nullptr;
}

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

long Connections(IDispatch* object) {
    ComPtr<IEnumConnectionPoints> points;
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> connections;
    const auto container = ComPtr<IDispatch>(object).As<IConnectionPointContainer>();
    ULONG fetched = 0;
    if (!container || FAILED(container->EnumConnectionPoints(points.Put())) ||
        points->Next(1, point.Put(), &fetched) != S_OK ||
        FAILED(point->EnumConnections(connections.Put())))
        return -1;
    long count = 0;
    for (CONNECTDATA data{}; connections->Next(1, &data, &fetched) == S_OK; ++count)
        ComPtr<IUnknown>::Adopt(data.pUnk);
    return count;
}

HRESULT FakeDispatch::QueryInterface(REFIID riid, void** object) {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, m_Also)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

}  // namespace vqtest
