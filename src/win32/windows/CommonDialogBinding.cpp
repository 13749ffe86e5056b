// The common file dialog: no window of its own; the model's save request shows the system's
// save dialog (GetSaveFileNameW) owned by the form's window, with the model's title, file
// name, initial folder, filter (description and pattern pairs split at "|"), default
// extension and flags (2 asks before overwriting, 4 hides the read-only box). The chosen path
// or the cancel goes back to the model; a dialog that fails to open is a failure.
#include <windows.h>
// After windows.h, whose types it uses.
#include <commdlg.h>

#include <vector>

#include "support/Failure.h"
#include "support/Signal.h"
#include "ui/CommonDialog.h"
#include "win32/com/Com.h"
#include "win32/windows/BinderRegistry.h"
#include "win32/windows/FormWindow.h"

namespace vq::win32::windows {

/// The filter as GetSaveFileNameW reads it: the "|"-separated texts each ending with a
/// NUL, and a second NUL at the end.
std::wstring FileDialogFilter(const std::string& filter) {
    std::wstring pairs = Widen(filter);
    for (wchar_t& c : pairs)
        if (c == L'|') c = L'\0';
    if (pairs.empty() || pairs.back() != L'\0') pairs.push_back(L'\0');
    pairs.push_back(L'\0');
    return pairs;
}

/// The default extension without the "*." or "." a pattern-like text starts with.
std::wstring FileDialogExtension(const std::string& extension) {
    std::wstring plain = Widen(extension);
    const std::size_t start = plain.find_first_not_of(L"*.");
    return start == std::wstring::npos ? std::wstring() : plain.substr(start);
}

/// The OPENFILENAME flags for the model's flags.
DWORD FileDialogFlags(int32_t flags) {
    DWORD mapped = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (flags & ui::FileDialogFlags::OverwritePrompt) mapped |= OFN_OVERWRITEPROMPT;
    if (flags & ui::FileDialogFlags::HideReadOnly) mapped |= OFN_HIDEREADONLY;
    return mapped;
}

namespace {

constexpr std::size_t kPathRoom = 32768;

class CommonDialogBinding final : public ControlBinding {
  public:
    CommonDialogBinding(FormWindow& form, ui::Control& model)
        : ControlBinding(form, model), m_Dialog(static_cast<ui::CommonDialog&>(model)) {
        m_Request = m_Dialog.OnShowSaveRequested().Connect(
            [this](ui::CommonDialog& dialog) { ShowSave(dialog); });
    }

  private:
    Shape Describe() const override { return {nullptr, 0}; }
    void PushState() override {}

    void ShowSave(ui::CommonDialog& dialog) {
        const std::wstring title = Widen(dialog.DialogTitle());
        const std::wstring folder = Widen(dialog.InitDir());
        const std::wstring filter = FileDialogFilter(dialog.Filter());
        const std::wstring extension = FileDialogExtension(dialog.DefaultExt());
        std::vector<wchar_t> path(kPathRoom, L'\0');
        const std::wstring offered = Widen(dialog.FileName());
        offered.copy(path.data(), std::min(offered.size(), kPathRoom - 1));

        OPENFILENAMEW choice{};
        choice.lStructSize = sizeof(choice);
        choice.hwndOwner = Form().Handle();
        choice.lpstrFilter = dialog.Filter().empty() ? nullptr : filter.c_str();
        choice.nFilterIndex = 1;
        choice.lpstrFile = path.data();
        choice.nMaxFile = static_cast<DWORD>(path.size());
        choice.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        choice.lpstrTitle = title.empty() ? nullptr : title.c_str();
        choice.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
        choice.Flags = FileDialogFlags(dialog.Flags());
        if (GetSaveFileNameW(&choice)) {
            dialog.Accept(Narrow(path.data()));
            return;
        }
        if (const DWORD error = CommDlgExtendedError(); error != 0)
            throw Failure(static_cast<int32_t>(E_FAIL),
                          "The save dialog of " + dialog.DisplayName() +
                              " could not be shown (common dialog error " + std::to_string(error) +
                              ")");
        dialog.Cancel();
    }

    ui::CommonDialog& m_Dialog;
    Connection m_Request;
};

}  // namespace

std::unique_ptr<ControlBinding> BindCommonDialog(FormWindow& form, ui::Control& model) {
    return std::make_unique<CommonDialogBinding>(form, model);
}

}  // namespace vq::win32::windows
