// The simulator DLL's exports: one class object per exported class, the unload check and
// self-registration under the host product's ProgIDs.
#include <olectl.h>

#include <map>
#include <string>

#include "SimWorld.h"
#include "support/Failure.h"
#include "support/Trace.h"
#include "win32/com/Automation.h"
#include "win32/com/ClassFactory.h"

namespace sim::win32 {

namespace {

struct ExportedClass {
    CLSID Clsid;
    const wchar_t* ProgId;
    SimClass Kind;
};

// {3B5E8D0n-7D44-4E0A-9F16-2C8A5D7E1B90}
constexpr CLSID ClassId(unsigned n) {
    return {0x3b5e8d00u + n, 0x7d44, 0x4e0a, {0x9f, 0x16, 0x2c, 0x8a, 0x5d, 0x7e, 0x1b, 0x90}};
}

const ExportedClass kClasses[] = {
    {ClassId(1), L"vqItems32.Txm", SimClass::Txm},
    {ClassId(2), L"vqItems32.Service", SimClass::Service},
    {ClassId(3), L"vqItems32.PathSplitter", SimClass::PathSplitter},
    {ClassId(4), L"vqItems32.ConfigChooser", SimClass::ConfigChooser},
    {ClassId(5), L"vqItems32.Command", SimClass::Command},
    {ClassId(6), L"vqZandor32.Server", SimClass::Server1},
    {ClassId(7), L"vqPellix32.Server", SimClass::Server2},
    {ClassId(8), L"kxQuorra32.Server", SimClass::Server3},
    {ClassId(9), L"vqSim.World", SimClass::World},
};

// Makes an object of an exported class; failures become their codes.
HRESULT CreateObject(SimClass kind, REFIID riid, void** object) {
    try {
        ComPtr<IDispatch> created = CreateSimObject(kind);
        if (!created) return E_FAIL;
        return created->QueryInterface(riid, object);
    } catch (const vq::Failure& failure) {
        return failure.Code() < 0 ? failure.Code() : E_FAIL;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

bool SetValue(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

}  // namespace sim::win32

using namespace sim::win32;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        vq::win32::SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
        vq::SilenceTrace();  // the trace is the component's, not the simulated product's
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    for (const ExportedClass& c : kClasses) {
        if (!IsEqualCLSID(clsid, c.Clsid)) continue;
        static std::map<SimClass, vq::win32::StaticClassFactory> factories;
        const SimClass kind = c.Kind;
        auto found = factories.try_emplace(
            kind, [kind](REFIID iid, void** made) { return CreateObject(kind, iid, made); });
        return found.first->second.QueryInterface(riid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

// The simulated world is kept for the life of the process, so the DLL stays loaded.
extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return S_FALSE;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    const std::wstring path = vq::win32::ModulePath();
    for (const ExportedClass& c : kClasses) {
        const std::wstring clsid = GuidText(c.Clsid);
        const std::wstring key = L"CLSID\\" + clsid;
        if (!SetValue(key, nullptr, c.ProgId) ||
            !SetValue(key + L"\\InprocServer32", nullptr, path) ||
            !SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") ||
            !SetValue(key + L"\\ProgID", nullptr, c.ProgId) ||
            !SetValue(c.ProgId, nullptr, c.ProgId) ||
            !SetValue(std::wstring(c.ProgId) + L"\\Clsid", nullptr, clsid))
            return SELFREG_E_CLASS;
    }
    return S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    for (const ExportedClass& c : kClasses) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(c.Clsid)).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, c.ProgId);
    }
    return S_OK;
}
