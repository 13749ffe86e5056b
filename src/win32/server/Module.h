#pragma once
// The component DLL's one-time set-up of the core's module data (version resource) and text
// source (string resources). Instance handle, path and type information are the kit's
// (win32/com/ModuleState.h).

#include "win32/com/ModuleState.h"

namespace vq::win32 {

/// Sets the core's module data from the version resource, its text source to the string
/// resources and the trace sink to OutputDebugStringW (and standard error when the host has
/// one). Idempotent; called before the first object is made.
void PrepareModule();

}  // namespace vq::win32
