#include "Form.h"

#include <algorithm>

#include "Controls.h"
#include "support/Failure.h"

namespace vq::ui {

Form::Form(std::string name, int32_t clientWidth, int32_t clientHeight, FormStyle style)
    : m_Name(std::move(name)),
      m_Style(style),
      m_ClientWidth(clientWidth),
      m_ClientHeight(clientHeight),
      m_Width(clientWidth),
      m_Height(clientHeight) {}

Form::~Form() = default;

void Form::SetCaption(const std::string& caption) {
    if (m_Caption == caption) return;
    m_Caption = caption;
    m_OnChanged.Raise();
}

void Form::SetMousePointer(int16_t pointer) {
    if (m_MousePointer == pointer) return;
    m_MousePointer = pointer;
    m_OnChanged.Raise();
}

// ---- Life of the window

void Form::Load() {
    if (m_Loaded) return;
    m_Loaded = true;
    m_OnLoad.Raise();
}

void Form::Show() {
    Load();
    if (m_Loaded) SetVisible(true);
}

void Form::Hide() {
    SetVisible(false);
}

bool Form::Unload(UnloadMode mode) {
    if (!m_Loaded) return true;
    int16_t cancel = 0;
    m_OnQueryUnload.Raise(cancel, static_cast<int16_t>(mode));
    if (cancel != 0) return false;
    m_OnUnload.Raise(cancel);
    if (cancel != 0) return false;
    m_ActiveControl = nullptr;
    m_Loaded = false;
    SetVisible(false);
    return true;
}

void Form::SetVisible(bool visible) {
    if (m_Visible == visible) return;
    m_Visible = visible;
    m_OnVisibleChanged.Raise(visible);
}

// ---- Controls and focus

void Form::Register(Control* control) {
    m_Controls.push_back(control);
}

void Form::Unregister(Control* control) {
    std::erase(m_Controls, control);
    if (m_ActiveControl == control) m_ActiveControl = nullptr;
}

Control* Form::Find(const std::string& name, int16_t index) const {
    for (Control* c : m_Controls) {
        if (c->Name() == name && c->Index() == index) return c;
    }
    return nullptr;
}

std::vector<Control*> Form::TabOrder() const {
    std::vector<Control*> order;
    std::copy_if(m_Controls.begin(), m_Controls.end(), std::back_inserter(order),
                 [](const Control* c) { return c->CanTakeFocus(); });
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        return a->TabIndex() < b->TabIndex();
    });
    return order;
}

void Form::MoveFocus(Control* control) {
    if (control == m_ActiveControl) return;
    Control* previous = m_ActiveControl;
    m_ActiveControl = nullptr;
    if (previous != nullptr) previous->OnLostFocus().Raise();
    // A LostFocus handler that moved the focus elsewhere wins over this move.
    if (m_ActiveControl != nullptr) return;
    m_ActiveControl = control;
    if (control != nullptr) control->OnGotFocus().Raise();
}

void Form::FocusFirstControl() {
    const std::vector<Control*> order = TabOrder();
    if (!order.empty()) MoveFocus(order.front());
}

Control* Form::NextInTabOrder() const {
    const std::vector<Control*> order = TabOrder();
    if (order.empty()) return nullptr;
    const auto it = std::find(order.begin(), order.end(), m_ActiveControl);
    if (it == order.end() || it + 1 == order.end()) return order.front();
    return *(it + 1);
}

CommandButton* Form::FindButton(bool cancel) const {
    for (Control* c : m_Controls) {
        auto* button = dynamic_cast<CommandButton*>(c);
        if (button == nullptr || !button->CanTakeFocus()) continue;
        if (cancel ? button->IsCancel() : button->IsDefault()) return button;
    }
    return nullptr;
}

CommandButton* Form::DefaultButton() const {
    return FindButton(false);
}

CommandButton* Form::CancelButton() const {
    return FindButton(true);
}

// ---- Placement

void Form::SetLeft(int32_t twips) {
    Place(m_Left, twips);
}

void Form::SetTop(int32_t twips) {
    Place(m_Top, twips);
}

void Form::SetWidth(int32_t twips) {
    Place(m_Width, twips);
}

void Form::SetHeight(int32_t twips) {
    Place(m_Height, twips);
}

void Form::SetWindowState(int32_t state) {
    if (state < 0 || state > 2)
        throw Failure(kInvalidPropertyValue, "Invalid property value: window state " +
                                                 std::to_string(state) + " for " + m_Name);
    Place(m_WindowState, state);
}

void Form::SetClientSize(int32_t width, int32_t height) {
    if (width == m_ClientWidth && height == m_ClientHeight) return;
    m_ClientWidth = width;
    m_ClientHeight = height;
    m_OnChanged.Raise();
}

void Form::Place(int32_t& field, int32_t value) {
    if (field == value) return;
    field = value;
    m_OnChanged.Raise();
}

bool UnloadGoesOn(Form& form, bool finalUnload, int16_t& Cancel) {
    if (finalUnload) return true;
    Cancel = -1;
    form.Hide();
    return false;
}

}  // namespace vq::ui
