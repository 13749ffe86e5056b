#pragma once
// Runs a function when the scope ends, however it ends (return or exception).

#include <utility>

namespace vq::win32::windows {

template <class Fn>
class ScopeExit {
  public:
    explicit ScopeExit(Fn fn) : m_Fn(std::move(fn)) {}
    ~ScopeExit() { m_Fn(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

  private:
    Fn m_Fn;
};

/// Counts a nesting level up for the scope: ++level now, --level at its end.
inline auto Nested(int& level) {
    ++level;
    return ScopeExit([&level] { --level; });
}

}  // namespace vq::win32::windows
