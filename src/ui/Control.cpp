#include "Control.h"

#include "Controls.h"
#include "Form.h"

namespace vq::ui {

Control::Control(Form& form, ControlKind kind, std::string name, int16_t index, Control* container,
                 Bounds bounds, int16_t tabIndex)
    : m_Form(form),
      m_Kind(kind),
      m_Name(std::move(name)),
      m_Index(index),
      m_Container(container),
      m_Bounds(bounds),
      m_TabIndex(tabIndex) {
    m_Form.Register(this);
}

Control::~Control() {
    m_Form.Unregister(this);
}

std::string Control::DisplayName() const {
    return m_Index < 0 ? m_Name : m_Name + "(" + std::to_string(m_Index) + ")";
}

void Control::SetEnabled(bool enabled) {
    if (m_Enabled == enabled) return;
    m_Enabled = enabled;
    NotifyChanged();
}

void Control::SetVisible(bool visible) {
    if (m_Visible == visible) return;
    m_Visible = visible;
    NotifyChanged();
}

void Control::SetLayout(const Bounds& bounds) {
    if (m_Bounds.Left == bounds.Left && m_Bounds.Top == bounds.Top &&
        m_Bounds.Width == bounds.Width && m_Bounds.Height == bounds.Height)
        return;
    m_Bounds = bounds;
    NotifyChanged();
}

bool Control::CanTakeFocus() const {
    switch (m_Kind) {
        case ControlKind::Label:
        case ControlKind::Frame:
        case ControlKind::Toolbar:
        case ControlKind::PictureBox:
        case ControlKind::CommonDialog:
            return false;
        default:
            return Reachable();
    }
}

bool Control::Reachable() const {
    for (const Control* c = this; c != nullptr; c = c->Container()) {
        if (!c->Enabled() || !c->Visible()) return false;
    }
    return true;
}

bool Control::HasFocus() const {
    return m_Form.ActiveControl() == this;
}

void Control::SetFocus() {
    m_Form.MoveFocus(this);
}

void CaptionedControl::SetCaption(const std::string& caption) {
    if (Caption() == caption) return;
    m_Caption = caption;
    NotifyChanged();
}

}  // namespace vq::ui
