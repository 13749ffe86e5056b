#include "win32/windows/Win32WindowHost.h"

#include <windows.h>

#include <vector>

#include "support/Failure.h"
#include "support/ThreadContext.h"
#include "ui/Screen.h"
#include "win32/windows/FormWindow.h"

namespace vq::win32::windows {

namespace {

/// Disables the thread's shown, enabled top-level windows but one, until restored.
class BlockedWindows {
  public:
    explicit BlockedWindows(HWND except) : m_Except(except) {
        EnumThreadWindows(GetCurrentThreadId(), &BlockedWindows::Block,
                          reinterpret_cast<LPARAM>(this));
    }
    ~BlockedWindows() { Restore(); }
    BlockedWindows(const BlockedWindows&) = delete;
    BlockedWindows& operator=(const BlockedWindows&) = delete;

    /// Enables them again; harmless when done already.
    void Restore() {
        for (HWND window : m_Disabled)
            if (IsWindow(window)) EnableWindow(window, TRUE);
        m_Disabled.clear();
    }

  private:
    static BOOL CALLBACK Block(HWND window, LPARAM self) {
        auto* blocked = reinterpret_cast<BlockedWindows*>(self);
        if (window != blocked->m_Except && IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            blocked->m_Disabled.push_back(window);
        }
        return TRUE;
    }

    HWND m_Except;
    std::vector<HWND> m_Disabled;
};

/// A hidden window that owns a form kept off the task bar; none for a form shown there.
class HiddenOwner {
  public:
    explicit HiddenOwner(bool needed)
        : m_Handle(needed ? CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                            nullptr, nullptr, nullptr)
                          : nullptr) {}
    ~HiddenOwner() {
        if (m_Handle) DestroyWindow(m_Handle);
    }
    HiddenOwner(const HiddenOwner&) = delete;
    HiddenOwner& operator=(const HiddenOwner&) = delete;
    HWND Handle() const { return m_Handle; }

  private:
    HWND m_Handle;
};

void ShowPointerNow(int16_t pointer) {
    HCURSOR cursor = CursorOf(pointer);
    SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
}

void RunLoop(const ui::Form& form, const FormWindow& window) {
    MSG msg{};
    while (form.Visible() && form.Loaded() && !window.Failure()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1)
            throw Failure(static_cast<int32_t>(HRESULT_FROM_WIN32(GetLastError())),
                          "The message loop of " + form.Name() + " failed");
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the host's own loop
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

void Win32WindowHost::ShowModal(ui::Form& form) {
    const Metrics metrics = m_Dpi > 0 ? Metrics(m_Dpi) : Metrics::OfScreen();
    HWND previous = GetActiveWindow();
    const HiddenOwner owner(!form.Style().ShowInTaskbar);
    FormWindow window(form, metrics, owner.Handle());
    BlockedWindows blocked(window.Handle());
    // The host's windows come back before the form's hides, so that one of them is activated.
    window.OnHiding([&blocked] { blocked.Restore(); });
    const Connection pointer =
        ui::Screen::OfThisThread().OnMousePointerChanged().Connect(&ShowPointerNow);

    form.Show();
    if (form.Visible() && !window.Failure()) {
        window.Present();
        RunLoop(form, window);
    }
    blocked.Restore();
    if (previous != nullptr && IsWindow(previous)) SetActiveWindow(previous);
    if (window.Failure()) std::rethrow_exception(window.Failure());
}

void InstallWindowHost() {
    if (!ThisThread().WindowHost) ui::SetWindowHost(std::make_shared<Win32WindowHost>());
}

}  // namespace vq::win32::windows
