// The state of one DLL built from the kit: its instance handle, the counts behind
// DllCanUnloadNow and its own type library. The kit is a static library, so every DLL
// (the component and the simulator) has its own copy.
#include "win32/com/ModuleState.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "support/Failure.h"

namespace vq::win32 {

namespace {
HINSTANCE g_Instance = nullptr;
std::atomic<long> g_Objects{0};
std::atomic<long> g_Locks{0};

std::mutex g_TypeLock;
ComPtr<ITypeLib> g_TypeLib;  // guarded by g_TypeLock
struct CachedTypeInfo {
    GUID Guid;
    ComPtr<ITypeInfo> Info;
};
std::vector<CachedTypeInfo> g_TypeInfos;  // guarded by g_TypeLock
}  // namespace

void SetModuleInstance(HINSTANCE instance) {
    g_Instance = instance;
}

ModuleObject::ModuleObject() {
    ++g_Objects;
}
ModuleObject::~ModuleObject() {
    --g_Objects;
}

long LiveObjects() {
    return g_Objects.load();
}

void LockModule(bool lock) {
    if (lock)
        ++g_Locks;
    else
        --g_Locks;
}

bool ModuleIdle() {
    return g_Objects.load() == 0 && g_Locks.load() <= 0;
}

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

ComPtr<ITypeInfo> OwnTypeInfo(REFGUID guid) {
    std::lock_guard<std::mutex> lock(g_TypeLock);
    for (const CachedTypeInfo& cached : g_TypeInfos) {
        if (IsEqualGUID(cached.Guid, guid)) return cached.Info;
    }
    if (!g_TypeLib) {
        const HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, g_TypeLib.Put());
        if (FAILED(hr))
            throw Failure(hr, "The type library of " + Narrow(ModulePath()) +
                                  " could not be loaded from its resources");
    }
    ComPtr<ITypeInfo> info;
    const HRESULT hr = g_TypeLib->GetTypeInfoOfGuid(guid, info.Put());
    if (FAILED(hr)) throw Failure(hr, "The module's type library lacks a requested type");
    g_TypeInfos.push_back(CachedTypeInfo{guid, info});
    return info;
}

void ReleaseTypeInfo() {
    std::lock_guard<std::mutex> lock(g_TypeLock);
    g_TypeInfos.clear();
    g_TypeLib.Reset();
}

}  // namespace vq::win32
