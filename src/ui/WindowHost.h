#pragma once
// What shows the windows. A window host shows a form modally: it loads the form when needed,
// shows it, and returns when the form has been hidden or unloaded. The hosts are the native
// scripted host (ScriptedHost.h) and the Win32 binder, which creates real controls for the
// form's models and runs a real modal loop. One host serves each thread.

#include <memory>

namespace vq::ui {

class Form;

class WindowHost {
  public:
    virtual ~WindowHost() = default;
    /// Shows the form modally; returns once it is hidden or unloaded. Failures raised by the
    /// form's handlers while it is shown reach the caller.
    virtual void ShowModal(Form& form) = 0;
};

/// Installs this thread's window host (null removes it) and returns the previous one.
std::shared_ptr<WindowHost> SetWindowHost(std::shared_ptr<WindowHost> host);

/// This thread's window host; throws Failure when none has been installed.
WindowHost& CurrentWindowHost();

/// Installs a window host on this thread for the lifetime of the object, restoring the
/// previous one afterwards.
class ScopedWindowHost {
  public:
    explicit ScopedWindowHost(std::shared_ptr<WindowHost> host)
        : m_Previous(SetWindowHost(std::move(host))) {}
    ~ScopedWindowHost() { SetWindowHost(std::move(m_Previous)); }
    ScopedWindowHost(const ScopedWindowHost&) = delete;
    ScopedWindowHost& operator=(const ScopedWindowHost&) = delete;

  private:
    std::shared_ptr<WindowHost> m_Previous;
};

}  // namespace vq::ui
