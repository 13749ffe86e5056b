// The counts behind DllCanUnloadNow, kept apart from the rest of the module so that every DLL
// built from these sources (the component and the simulator) has its own.
#include <atomic>

#include "Module.h"

namespace vq::win32 {

namespace {
std::atomic<long> g_Objects{0};
std::atomic<long> g_Locks{0};
}  // namespace

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

}  // namespace vq::win32
