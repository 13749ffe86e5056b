#pragma once
// Which binding serves which kind of control model. Each control family lives in its own file
// and offers one factory; the standard registry lists them, so that a new kind (a list view,
// a toolbar) is a new file and one line in BinderRegistry.cpp.

#include <map>
#include <memory>

#include "ui/Control.h"
#include "win32/windows/ControlBinding.h"

namespace vq::win32::windows {

using BinderFactory = std::unique_ptr<ControlBinding> (*)(FormWindow& form, ui::Control& model);

class BinderRegistry {
  public:
    /// The binders of every kind this folder implements.
    static const BinderRegistry& Standard();

    void Register(ui::ControlKind kind, BinderFactory factory) { m_Factories[kind] = factory; }
    /// A new, not yet created binding for a control; throws Failure for a kind without binder.
    std::unique_ptr<ControlBinding> Bind(FormWindow& form, ui::Control& model) const;

  private:
    std::map<ui::ControlKind, BinderFactory> m_Factories;
};

// The factories, one per file.
std::unique_ptr<ControlBinding> BindLabel(FormWindow& form, ui::Control& model);
std::unique_ptr<ControlBinding> BindFrame(FormWindow& form, ui::Control& model);
std::unique_ptr<ControlBinding> BindTextBox(FormWindow& form, ui::Control& model);
std::unique_ptr<ControlBinding> BindDropDownList(FormWindow& form, ui::Control& model);
std::unique_ptr<ControlBinding> BindCheckBox(FormWindow& form, ui::Control& model);
std::unique_ptr<ControlBinding> BindCommandButton(FormWindow& form, ui::Control& model);
std::unique_ptr<ControlBinding> BindListView(FormWindow& form, ui::Control& model);
std::unique_ptr<ControlBinding> BindToolbar(FormWindow& form, ui::Control& model);
std::unique_ptr<ControlBinding> BindPictureBox(FormWindow& form, ui::Control& model);
std::unique_ptr<ControlBinding> BindCommonDialog(FormWindow& form, ui::Control& model);

// What the save dialog's binding hands GetSaveFileNameW (CommonDialogBinding.cpp).
std::wstring FileDialogFilter(const std::string& filter);
std::wstring FileDialogExtension(const std::string& extension);
DWORD FileDialogFlags(int32_t flags);

}  // namespace vq::win32::windows
