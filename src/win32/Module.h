#pragma once
// Module-wide services of the DLL: its instance handle, the counts behind DllCanUnloadNow, the
// type information of its own embedded type library, and the one-time set-up of the core's
// module data (version resource) and text source (string resources).

#include "Com.h"

namespace vq::win32 {

/// The DLL's instance handle.
HINSTANCE ModuleInstance();

/// The DLL's full path.
std::wstring ModulePath();

/// Every COM object implemented in this DLL derives from ModuleObject, so that
/// DllCanUnloadNow answers S_OK only when none is alive and no lock is held.
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
ITypeInfo* OwnTypeInfo(REFGUID guid);
/// Releases the cached type information (when the module becomes idle).
void ReleaseTypeInfo();

/// Sets the core's module data from the version resource and its text source to the string
/// resources. Idempotent; called before the first object is made.
void PrepareModule();

}  // namespace vq::win32
