#pragma once
// The window host of the Windows shell: shows a form model modally as a real window.
//
// ShowModal makes the form's window (hidden) and its controls, shows the form - which loads
// it, so its Load handlers run while the window exists but is not yet shown - gives the focus
// to the first control of the tab order, and runs a modal loop until the form hides or
// unloads. The window has no owner among the host's windows; while it is shown the thread's
// other windows are disabled, and the loop dispatches every message of the thread, so the
// host's timers, posted messages and COM calls keep arriving. A WM_QUIT ends the loop and is
// posted again for the host's own loop. The application's mouse pointer shows as the cursor.
// The window is destroyed when ShowModal returns; the form keeps its last placement.

#include "ui/Form.h"
#include "ui/WindowHost.h"

namespace vq::win32::windows {

class Win32WindowHost final : public ui::WindowHost {
  public:
    /// dpi 0: twips are converted at the screen's DPI; another value replaces it.
    explicit Win32WindowHost(int dpi = 0) : m_Dpi(dpi) {}
    /// Failures of the form's handlers while it is shown end the show and reach the caller.
    void ShowModal(ui::Form& form) override;

  private:
    int m_Dpi;
};

/// Makes a Win32WindowHost this thread's window host, unless the thread has one already.
void InstallWindowHost();

}  // namespace vq::win32::windows
