// Three-state check boxes. The real box never changes its own state: a click (mouse, Space,
// BM_CLICK) becomes the model's Click, whose rule (clear becomes ticked, ticked or grey become
// clear) sets the value the box then shows. A value set by code shows without a click.
#include "ui/Controls.h"
#include "win32/windows/BinderRegistry.h"

namespace vq::win32::windows {

namespace {

class CheckBoxBinding final : public ControlBinding {
  public:
    CheckBoxBinding(FormWindow& form, ui::Control& model)
        : ControlBinding(form, model), m_Box(static_cast<ui::CheckBox&>(model)) {}

    void OnNotify(WORD code) override {
        if (code == BN_CLICKED && !Pushing() && m_Box.CanTakeFocus()) m_Box.Click();
    }

  private:
    Shape Describe() const override { return {L"BUTTON", WS_TABSTOP | BS_3STATE}; }

    void PushState() override {
        ShowText(m_Box.Caption());
        const WPARAM state = m_Box.Value() == ui::CheckBox::Checked  ? BST_CHECKED
                             : m_Box.Value() == ui::CheckBox::Grayed ? BST_INDETERMINATE
                                                                     : BST_UNCHECKED;
        if (static_cast<WPARAM>(Send(BM_GETCHECK)) != state) Send(BM_SETCHECK, state);
    }

    bool OnChar(WPARAM& ch) override { return ControlBinding::OnChar(ch) && !PlainAccessKey(ch); }

    ui::CheckBox& m_Box;
};

}  // namespace

std::unique_ptr<ControlBinding> BindCheckBox(FormWindow& form, ui::Control& model) {
    return std::make_unique<CheckBoxBinding>(form, model);
}

}  // namespace vq::win32::windows
