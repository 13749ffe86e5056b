// The form window's focus and keyboard: the model's focus follows the real one, Tab walks the
// form's tab order, Enter and Esc press the default and cancel buttons, access keys act on
// their controls, and the application's mouse pointer shows over the window.
#include <algorithm>

#include "ui/Controls.h"
#include "ui/Screen.h"
#include "win32/com/Com.h"
#include "win32/windows/FormWindow.h"

namespace vq::win32::windows {

namespace {

/// A character in upper case (as the access keys compare).
wchar_t Upper(WPARAM ch) {
    const auto single = static_cast<uintptr_t>(ch & 0xFFFF);
    return static_cast<wchar_t>(
        reinterpret_cast<uintptr_t>(CharUpperW(reinterpret_cast<LPWSTR>(single))) & 0xFFFF);
}

/// The access key of a caption: the character after a single '&', upper case; 0 when none.
wchar_t AccessKeyOf(const std::string& caption) {
    const std::wstring text = Widen(caption);
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] != L'&') return Upper(text[i + 1]);
        ++i;  // "&&" shows one '&'
    }
    return 0;
}

/// True when a label or frame (or any control) and every frame around it are shown and enabled.
bool Reachable(const ui::Control& control) {
    for (const ui::Control* c = &control; c != nullptr; c = c->Container())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

}  // namespace

void FormWindow::ControlFocused(ControlBinding& binding) {
    ui::Control& model = binding.Model();
    if (m_Form.ActiveControl() == &model || !model.CanTakeFocus()) return;
    m_Form.MoveFocus(&model);
}

void FormWindow::FocusControl(const ui::Control& control) {
    ControlBinding* binding = BindingOf(&control);
    if (binding == nullptr) return;
    if (GetFocus() == binding->Handle())
        ControlFocused(*binding);  // the real focus is there already; the model catches up
    else
        SetFocus(binding->Handle());  // WM_SETFOCUS moves the model's focus
}

void FormWindow::Tab(bool backwards) {
    const std::vector<ui::Control*> order = m_Form.TabOrder();
    if (order.empty()) return;
    const auto at = std::find(order.begin(), order.end(), m_Form.ActiveControl());
    ui::Control* next = nullptr;
    if (at == order.end())
        next = backwards ? order.back() : order.front();
    else if (backwards)
        next = at == order.begin() ? order.back() : *(at - 1);
    else
        next = at + 1 == order.end() ? order.front() : *(at + 1);
    FocusControl(*next);
}

bool FormWindow::PressDefaultOrCancel(WPARAM key) {
    ui::CommandButton* button = key == '\r' ? m_Form.DefaultButton()
                                : key == 27 ? m_Form.CancelButton()
                                            : nullptr;
    if (button == nullptr) return false;
    button->Click();
    return true;
}

bool FormWindow::AccessKey(WPARAM ch) {
    const wchar_t key = Upper(ch);
    if (key == 0) return false;
    for (ui::Control* control : m_Form.Controls()) {
        const auto* captioned = dynamic_cast<const ui::CaptionedControl*>(control);
        if (captioned == nullptr || !Reachable(*control)) continue;
        if (AccessKeyOf(captioned->Caption()) != key) continue;
        ClickFromKeyboard(*control);
        return true;
    }
    return false;
}

void FormWindow::ClickFromKeyboard(ui::Control& control) {
    auto* button = dynamic_cast<ui::CommandButton*>(&control);
    auto* checkBox = dynamic_cast<ui::CheckBox*>(&control);
    if (button == nullptr && checkBox == nullptr) {
        // A label or frame passes the focus to the next control in tab order after it.
        for (ui::Control* next : m_Form.TabOrder()) {
            if (next->TabIndex() <= control.TabIndex()) continue;
            FocusControl(*next);
            return;
        }
        return;
    }
    FocusControl(control);
    // A focus handler may have hidden the window or disabled the control.
    if (!m_Form.Visible() || !control.CanTakeFocus()) return;
    if (button != nullptr)
        button->Click();
    else
        checkBox->Click();
}

bool FormWindow::ShowPointer() const {
    HCURSOR cursor = CursorOf(ui::Screen::OfThisThread().MousePointer());
    if (cursor == nullptr) return false;
    SetCursor(cursor);
    return true;
}

}  // namespace vq::win32::windows
