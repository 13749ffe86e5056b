// Command buttons. A click (mouse, Space, BM_CLICK) becomes the model's Click once; Enter on a
// focused button presses it when the window has no default button. The default button is
// drawn as such.
#include "ui/Controls.h"
#include "win32/windows/BinderRegistry.h"

namespace vq::win32::windows {

namespace {

class CommandButtonBinding final : public ControlBinding {
  public:
    CommandButtonBinding(FormWindow& form, ui::Control& model)
        : ControlBinding(form, model), m_Button(static_cast<ui::CommandButton&>(model)) {}

    void OnNotify(WORD code) override {
        if (code == BN_CLICKED && !Pushing() && m_Button.CanTakeFocus()) m_Button.Click();
    }

  private:
    Shape Describe() const override {
        return {L"BUTTON", static_cast<DWORD>(WS_TABSTOP | (m_Button.IsDefault() ? BS_DEFPUSHBUTTON
                                                                                 : BS_PUSHBUTTON))};
    }

    void PushState() override { ShowText(m_Button.Caption()); }

    bool OnChar(WPARAM& ch) override {
        if (!ControlBinding::OnChar(ch)) return false;
        if (ch == '\r') {
            m_Button.Click();
            return false;
        }
        return !PlainAccessKey(ch);
    }

    ui::CommandButton& m_Button;
};

}  // namespace

std::unique_ptr<ControlBinding> BindCommandButton(FormWindow& form, ui::Control& model) {
    return std::make_unique<CommandButtonBinding>(form, model);
}

}  // namespace vq::win32::windows
