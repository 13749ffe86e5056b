#pragma once
// The state of the DLL built from this kit (each DLL links its own copy): its instance handle,
// the counts behind DllCanUnloadNow and the type information of its own embedded type
// library, which DispatchFromTypeInfo answers from.

#include "win32/com/Com.h"

#include <string>

namespace vq::win32 {

/// Called by the DLL's DllMain on process attach.
void SetModuleInstance(HINSTANCE instance);
/// The DLL's instance handle.
HINSTANCE ModuleInstance();
/// The DLL's full path.
std::wstring ModulePath();

/// Every COM object implemented in a DLL derives from ModuleObject, so that DllCanUnloadNow
/// answers S_OK only when none is alive and no lock is held.
class ModuleObject {
  public:
    ModuleObject();
    ModuleObject(const ModuleObject&) = delete;
    ModuleObject& operator=(const ModuleObject&) = delete;
    virtual ~ModuleObject();
};

/// Number of living ModuleObjects.
long LiveObjects();
/// IClassFactory::LockServer.
void LockModule(bool lock);
/// True when no object is alive and no lock is held.
bool ModuleIdle();

/// The type information of an interface or class of the DLL's own type library, loaded from
/// the embedded TYPELIB resource on first use and cached. Throws Failure when unavailable.
ComPtr<ITypeInfo> OwnTypeInfo(REFGUID guid);
/// Releases the cached type information (when the module becomes idle).
void ReleaseTypeInfo();

}  // namespace vq::win32
