#pragma once
// Nesting levels of the window code (a handler running inside a handler).

#include "win32/com/Com.h"

namespace vq::win32::windows {

/// Counts a nesting level up for the scope: ++level now, --level at its end.
inline auto Nested(int& level) {
    ++level;
    return ScopeExit([&level] { --level; });
}

}  // namespace vq::win32::windows
