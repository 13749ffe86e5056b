#pragma once
// The common part of the control models: identity (name and control-array index), layout in
// twips, tab order, enabled and visible state, focus events, and the signals a window binder
// watches to keep a real control in step with its model. Containers (frames and picture boxes)
// hold other controls, whose positions are relative to them.
//
// A control registers with its form when it is made and leaves it when it dies; the form
// must outlive its controls (declare the form before them).

#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "support/Signal.h"

namespace vq::ui {

class Form;
class Frame;

/// A rectangle in twips, relative to the control's container (the form's client area or a
/// frame).
struct Bounds {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

/// System colours as automation colour values (0x80000000 + the system colour index).
namespace SystemColor {
inline constexpr uint32_t WindowBackground = 0x80000005;
inline constexpr uint32_t ButtonFace = 0x8000000F;
}  // namespace SystemColor

/// Key codes that the control models and the dialogs give a meaning to.
namespace Keys {
inline constexpr int16_t Backspace = 8;
inline constexpr int16_t Enter = 13;
inline constexpr int16_t Escape = 27;
}  // namespace Keys

/// HRESULT-compatible code of a property value a control refuses (run-time error 380).
inline constexpr int32_t kInvalidPropertyValue = static_cast<int32_t>(0x800A017C);

enum class ControlKind {
    Label,
    Frame,
    TextBox,
    DropDownList,
    CheckBox,
    CommandButton,
    ListView,
    Toolbar,
    PictureBox,
    CommonDialog
};

class Control {
  public:
    /// index is the position in a control array, -1 for a control outside any array.
    /// container is the frame or picture box holding the control, null for the form itself.
    /// tabIndex is the place in the tab order, -1 when the window's table gives none.
    Control(Form& form, ControlKind kind, std::string name, int16_t index, Control* container,
            Bounds bounds, int16_t tabIndex);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& Parent() const { return m_Form; }
    ControlKind Kind() const { return m_Kind; }
    const std::string& Name() const { return m_Name; }
    int16_t Index() const { return m_Index; }
    /// The frame or picture box holding the control, null when it stands on the form itself.
    Control* Container() const { return m_Container; }
    const Bounds& Layout() const { return m_Bounds; }
    /// Moves and sizes the control inside its container.
    void SetLayout(const Bounds& bounds);
    int16_t TabIndex() const { return m_TabIndex; }
    /// "name" or "name(index)", as messages name the control.
    std::string DisplayName() const;

    bool Enabled() const { return m_Enabled; }
    void SetEnabled(bool enabled);
    bool Visible() const { return m_Visible; }
    void SetVisible(bool visible);

    /// True for the kinds that take the keyboard focus (text boxes, lists, list views, check
    /// boxes and buttons) while they, and the containers holding them, are enabled and visible.
    bool CanTakeFocus() const;
    /// True while the control and every container holding it are enabled and visible.
    bool Reachable() const;
    /// True while the control has the focus of its form.
    bool HasFocus() const;
    /// Moves the form's focus to this control (raising LostFocus and GotFocus).
    void SetFocus();

    /// Asks the view to repaint the control at once, without waiting for the message loop.
    void Refresh() { m_OnRefresh.Raise(); }

    /// Raised when any property a view shows has changed.
    Signal<>& OnChanged() { return m_OnChanged; }
    Signal<>& OnGotFocus() { return m_OnGotFocus; }
    Signal<>& OnLostFocus() { return m_OnLostFocus; }
    Signal<>& OnRefresh() { return m_OnRefresh; }

  protected:
    void NotifyChanged() { m_OnChanged.Raise(); }

  private:
    Form& m_Form;
    ControlKind m_Kind;
    std::string m_Name;
    int16_t m_Index;
    Control* m_Container;
    Bounds m_Bounds;
    int16_t m_TabIndex;
    bool m_Enabled = true;
    bool m_Visible = true;
    Signal<> m_OnChanged;
    Signal<> m_OnGotFocus;
    Signal<> m_OnLostFocus;
    Signal<> m_OnRefresh;
};

/// A control with a caption (label, frame, check box, button).
class CaptionedControl : public Control {
  public:
    using Control::Control;
    const std::string& Caption() const { return m_Caption; }
    void SetCaption(const std::string& caption);

  private:
    std::string m_Caption;
};

/// A control array: controls of one kind sharing a name, addressed by index as name(index).
/// Elements never move, so their registration with the form stays valid.
template <class T>
class ControlArray {
  public:
    /// Makes the next element; its index is the number of elements before it.
    template <class... Args>
    T& Add(Form& form, const std::string& name, Args&&... args) {
        return m_Items.emplace_back(form, name, static_cast<int16_t>(m_Items.size()),
                                    std::forward<Args>(args)...);
    }
    T& operator()(std::size_t index) { return m_Items.at(index); }
    const T& operator()(std::size_t index) const { return m_Items.at(index); }
    std::size_t Count() const { return m_Items.size(); }

  private:
    std::deque<T> m_Items;
};

}  // namespace vq::ui
