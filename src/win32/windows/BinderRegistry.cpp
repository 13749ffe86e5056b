#include "win32/windows/BinderRegistry.h"

#include "support/Failure.h"
#include "ui/Form.h"

namespace vq::win32::windows {

const BinderRegistry& BinderRegistry::Standard() {
    static const BinderRegistry registry = [] {
        BinderRegistry r;
        r.Register(ui::ControlKind::Label, &BindLabel);
        r.Register(ui::ControlKind::Frame, &BindFrame);
        r.Register(ui::ControlKind::TextBox, &BindTextBox);
        r.Register(ui::ControlKind::DropDownList, &BindDropDownList);
        r.Register(ui::ControlKind::CheckBox, &BindCheckBox);
        r.Register(ui::ControlKind::CommandButton, &BindCommandButton);
        r.Register(ui::ControlKind::ListView, &BindListView);
        r.Register(ui::ControlKind::Toolbar, &BindToolbar);
        r.Register(ui::ControlKind::PictureBox, &BindPictureBox);
        r.Register(ui::ControlKind::CommonDialog, &BindCommonDialog);
        return r;
    }();
    return registry;
}

std::unique_ptr<ControlBinding> BinderRegistry::Bind(FormWindow& form, ui::Control& model) const {
    const auto found = m_Factories.find(model.Kind());
    if (found == m_Factories.end())
        throw Failure(Codes::NotSupported, "No real control can show " + model.DisplayName() +
                                               " of " + model.Parent().Name() + " (kind " +
                                               std::to_string(static_cast<int>(model.Kind())) +
                                               ")");
    return found->second(form, model);
}

}  // namespace vq::win32::windows
