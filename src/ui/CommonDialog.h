#pragma once
// The common file dialog as a control of a window: the settings of the save dialog (title,
// file name, initial folder, filter, default extension, flags, cancel-as-failure) and its
// modal show. The control shows nothing itself: ShowSave raises ShowSaveRequested, and
// whoever shows the window (the Win32 binder with the system's save dialog, the scripted host
// with a test's answer) runs the dialog inside that signal and answers with Accept or Cancel.

#include <cstdint>
#include <string>

#include "Control.h"

namespace vq::ui {

/// Flags of the file dialogs, as the system's dialog reads them.
namespace FileDialogFlags {
/// Ask before overwriting an existing file.
inline constexpr int32_t OverwritePrompt = 2;
/// Hide the read-only check box.
inline constexpr int32_t HideReadOnly = 4;
}  // namespace FileDialogFlags

/// HRESULT-compatible code of a cancelled file dialog when cancel is a failure (32755).
inline constexpr int32_t kCancelSelected = static_cast<int32_t>(0x800A7FF3);

class CommonDialog : public Control {
  public:
    CommonDialog(Form& form, std::string name, int16_t index = -1);

    const std::string& DialogTitle() const { return m_DialogTitle; }
    void SetDialogTitle(const std::string& title) { m_DialogTitle = title; }
    /// Before the show: the name offered; after a confirmed show: the full path chosen.
    const std::string& FileName() const { return m_FileName; }
    void SetFileName(const std::string& fileName) { m_FileName = fileName; }
    const std::string& InitDir() const { return m_InitDir; }
    void SetInitDir(const std::string& folder) { m_InitDir = folder; }
    /// Pairs of description and pattern, all separated by "|".
    const std::string& Filter() const { return m_Filter; }
    void SetFilter(const std::string& filter) { m_Filter = filter; }
    const std::string& DefaultExt() const { return m_DefaultExt; }
    void SetDefaultExt(const std::string& extension) { m_DefaultExt = extension; }
    bool CancelError() const { return m_CancelError; }
    void SetCancelError(bool cancelError) { m_CancelError = cancelError; }
    /// FileDialogFlags combined.
    int32_t Flags() const { return m_Flags; }
    void SetFlags(int32_t flags) { m_Flags = flags; }

    /// Shows the save dialog modally and returns when the user has answered. Throws Failure
    /// (cancel selected) for a cancel when CancelError is set; a cancel otherwise leaves
    /// FileName as it was. Throws Failure when nobody answered (no window host shows it).
    void ShowSave();
    /// Raised by ShowSave; the handler runs the dialog and calls Accept or Cancel.
    Signal<CommonDialog&>& OnShowSaveRequested() { return m_OnShowSaveRequested; }

    /// The user chose a file: its full path.
    void Accept(const std::string& path);
    /// The user cancelled.
    void Cancel();

  private:
    enum class Answer { None, Accepted, Cancelled };

    std::string m_DialogTitle;
    std::string m_FileName;
    std::string m_InitDir;
    std::string m_Filter;
    std::string m_DefaultExt;
    bool m_CancelError = false;
    int32_t m_Flags = 0;
    Answer m_Answer = Answer::None;
    std::string m_Chosen;
    Signal<CommonDialog&> m_OnShowSaveRequested;
};

}  // namespace vq::ui
