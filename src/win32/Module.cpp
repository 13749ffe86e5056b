#include "Module.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>
#include <vector>

#include "support/Failure.h"
#include "support/Texts.h"
#include "support/ThreadContext.h"

namespace vq::win32 {

namespace {

HINSTANCE g_Instance = nullptr;

std::mutex g_TypeLock;
ITypeLib* g_TypeLib = nullptr;  // guarded by g_TypeLock
struct CachedTypeInfo {
    GUID Guid;
    ITypeInfo* Info;  // one reference each
};
std::vector<CachedTypeInfo> g_TypeInfos;  // guarded by g_TypeLock

// The string table compiled into the DLL's resources.
class ResourceTexts final : public TextSource {
  public:
    std::optional<std::string> Find(int32_t id) const override {
        if (id < 0 || id > 0xFFFF) return std::nullopt;
        const wchar_t* text = nullptr;
        const int length =
            LoadStringW(g_Instance, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
        if (length <= 0 || text == nullptr) return std::nullopt;
        return Narrow(text, static_cast<std::size_t>(length));
    }
};

std::wstring QueryVersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    struct Translation {
        WORD Language;
        WORD CodePage;
    };
    Translation* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation))
        return {};
    wchar_t path[64];
    std::swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translations->Language,
                  translations->CodePage, name);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&text), &size) || !text)
        return {};
    return std::wstring(text);
}

// The module data as the version resource holds it; nothing when there is no resource.
std::optional<ModuleInfo> ReadVersionResource() {
    HRSRC resource = FindResourceW(g_Instance, MAKEINTRESOURCEW(VS_VERSION_INFO),
                                   MAKEINTRESOURCEW(16) /* RT_VERSION */);
    if (resource == nullptr) return std::nullopt;
    HGLOBAL loaded = LoadResource(g_Instance, resource);
    const DWORD size = SizeofResource(g_Instance, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr || size == 0) return std::nullopt;
    // VerQueryValue may write into the block, so it works on a copy.
    std::vector<BYTE> block(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        !fixed)
        return std::nullopt;

    ModuleInfo info;
    std::wstring path = ModulePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.find_last_of(L'.');
    info.FileTitle = Narrow(dot == std::wstring::npos ? file : file.substr(0, dot));
    info.Major = HIWORD(fixed->dwFileVersionMS);
    info.Minor = LOWORD(fixed->dwFileVersionMS);
    info.Revision = LOWORD(fixed->dwFileVersionLS);
    info.Comments = Narrow(QueryVersionString(block, L"Comments"));
    return info;
}

}  // namespace

HINSTANCE ModuleInstance() {
    return g_Instance;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(g_Instance, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

ITypeInfo* OwnTypeInfo(REFGUID guid) {
    std::lock_guard<std::mutex> lock(g_TypeLock);
    for (const CachedTypeInfo& cached : g_TypeInfos) {
        if (IsEqualGUID(cached.Guid, guid)) return cached.Info;
    }
    if (g_TypeLib == nullptr) {
        const HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &g_TypeLib);
        if (FAILED(hr))
            throw Failure(hr,
                          "The component's type library could not be loaded from its resources");
    }
    ITypeInfo* info = nullptr;
    const HRESULT hr = g_TypeLib->GetTypeInfoOfGuid(guid, &info);
    if (FAILED(hr)) throw Failure(hr, "The component's type library lacks a requested type");
    g_TypeInfos.push_back(CachedTypeInfo{guid, info});
    return info;
}

void ReleaseTypeInfo() {
    std::lock_guard<std::mutex> lock(g_TypeLock);
    for (const CachedTypeInfo& cached : g_TypeInfos) cached.Info->Release();
    g_TypeInfos.clear();
    if (g_TypeLib) g_TypeLib->Release();
    g_TypeLib = nullptr;
}

void PrepareModule() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (std::optional<ModuleInfo> info = ReadVersionResource()) SetModule(std::move(*info));
        SetTextSource(std::make_shared<ResourceTexts>());
    });
}

}  // namespace vq::win32

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        vq::win32::g_Instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
