#pragma once
// The platform on Windows: files through the Win32 file functions in the system's ANSI code
// page, the local time of day, CreateProcessW for a minimized start that takes no focus,
// GetUserNameA, and a message pump that waits in MsgWaitForMultipleObjectsEx on the thread's
// input and a change notification of the watched folder.

#include <memory>

#include "support/Platform.h"

namespace vq::win32 {

/// A platform for the calling thread (its message pump serves that thread's windows).
std::shared_ptr<Platform> CreateWin32Platform();

}  // namespace vq::win32
