// The DLL's four exports: the class object, the unload check and self-registration.
#include <olectl.h>

#include <string>
#include <vector>

#include "vqTransmitters32.h"
#include "win32/com/Automation.h"
#include "win32/com/ClassFactory.h"
#include "win32/host/Adapters.h"
#include "win32/server/Module.h"
#include "win32/server/TxmsObject.h"

namespace vq::win32 {

namespace {

constexpr const wchar_t* kProgId = L"vqTransmitters32.CTxms";
constexpr const wchar_t* kClassName = L"vqTransmitters32.CTxms";

StaticClassFactory g_Factory(&TxmsObject::Create);

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

LONG SetValue(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    const LONG status =
        RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    const ScopeExit close([key]() noexcept { RegCloseKey(key); });
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

HRESULT WriteKeys() {
    const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_CTxms);
    const std::wstring libid = GuidText(LIBID_vqTransmitters32);
    struct Entry {
        std::wstring Path;
        const wchar_t* Name;
        std::wstring Value;
    };
    const std::vector<Entry> entries = {
        {clsid, nullptr, kClassName},
        {clsid + L"\\InprocServer32", nullptr, ModulePath()},
        {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid + L"\\ProgID", nullptr, kProgId},
        {clsid + L"\\VersionIndependentProgID", nullptr, kProgId},
        {clsid + L"\\TypeLib", nullptr, libid},
        {clsid + L"\\Version", nullptr, L"1.0"},
        {std::wstring(kProgId), nullptr, kClassName},
        {std::wstring(kProgId) + L"\\Clsid", nullptr, GuidText(CLSID_CTxms)},
    };
    for (const Entry& entry : entries) {
        const LONG status = SetValue(HKEY_CLASSES_ROOT, entry.Path, entry.Name, entry.Value);
        if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

void DeleteKeys() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(CLSID_CTxms)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
}

}  // namespace

}  // namespace vq::win32

using namespace vq::win32;

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_CTxms)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_Factory.QueryInterface(riid, object);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    DropIdleSubscriptions();
    if (!ModuleIdle()) return S_FALSE;
    ReleaseTypeInfo();
    return S_OK;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    HRESULT hr = WriteKeys();
    if (FAILED(hr)) {
        DeleteKeys();
        return SELFREG_E_CLASS;
    }
    ComPtr<ITypeLib> library;
    const std::wstring path = ModulePath();
    hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put());
    if (SUCCEEDED(hr))
        hr = RegisterTypeLib(library.Get(), const_cast<OLECHAR*>(path.c_str()), nullptr);
    return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    DeleteKeys();
    // A type library that is not registered (any more) is not an error here.
    UnRegisterTypeLib(LIBID_vqTransmitters32, 1, 0, LOCALE_NEUTRAL,
                      sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    return S_OK;
}
