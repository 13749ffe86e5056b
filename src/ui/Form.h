#pragma once
// The form model: a window with a caption, a client area and a placement in twips, its
// controls in the order they were made, the keyboard focus, and the life of a window: load,
// show and hide, and unload with query-unload and unload events that may cancel it.
//
// The form implements PlacementWindow, so the shared service can store and restore its
// placement directly.

#include <cstdint>
#include <string>
#include <vector>

#include "Control.h"
#include "support/PlacementWindow.h"
#include "support/Signal.h"

namespace vq::ui {

class CommandButton;

/// Why a form is being unloaded (the UnloadMode of the query-unload event).
enum class UnloadMode : int16_t {
    /// The user closed the window with the title-bar button or the system menu.
    FormControlMenu = 0,
    /// Code unloaded the window.
    FormCode = 1,
};

enum class BorderStyle { FixedDialog, Sizable };

struct FormStyle {
    BorderStyle Border = BorderStyle::FixedDialog;
    bool MinButton = false;
    bool MaxButton = false;
    bool ShowInTaskbar = false;
};

class Form : public PlacementWindow {
  public:
    /// clientWidth and clientHeight are the client area in twips; the outer size starts equal
    /// to it until a window host knows the frame it draws around it.
    Form(std::string name, int32_t clientWidth, int32_t clientHeight, FormStyle style = {});
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return m_Name; }
    const FormStyle& Style() const { return m_Style; }
    int32_t ClientWidth() const { return m_ClientWidth; }
    int32_t ClientHeight() const { return m_ClientHeight; }
    /// Resizes the client area (twips); the outer size of a fixed window follows it.
    void SetClientSize(int32_t width, int32_t height);
    const std::string& Caption() const { return m_Caption; }
    void SetCaption(const std::string& caption);
    /// The mouse pointer shown over the window (ui::MousePointers; 0 the default).
    int16_t MousePointer() const { return m_MousePointer; }
    void SetMousePointer(int16_t pointer);

    // Life of the window.
    bool Loaded() const { return m_Loaded; }
    bool Visible() const { return m_Visible; }
    /// Raises Load unless the form is loaded already.
    void Load();
    /// Loads the form when needed and shows it. Shows nothing when a Load handler unloaded it.
    void Show();
    /// Hides the form; it stays loaded.
    void Hide();
    /// Raises QueryUnload and then Unload; either may cancel. Returns true when the form was
    /// unloaded (it is then hidden and no longer loaded, and the focus is gone).
    bool Unload(UnloadMode mode = UnloadMode::FormCode);

    // Controls and focus.
    /// Every control of the form, in the order they were made.
    const std::vector<Control*>& Controls() const { return m_Controls; }
    /// The control with a name and control-array index (-1 outside arrays), or null.
    Control* Find(const std::string& name, int16_t index = -1) const;
    /// The controls that can take the focus now, in tab order.
    std::vector<Control*> TabOrder() const;
    Control* ActiveControl() const { return m_ActiveControl; }
    /// Moves the focus: the old control's LostFocus, then the new one's GotFocus. Nothing
    /// happens when the control has the focus already. Null removes the focus.
    void MoveFocus(Control* control);
    /// Gives the focus to the first control in tab order (as when the window appears).
    void FocusFirstControl();
    /// The next control in tab order after the active one (wrapping), or null.
    Control* NextInTabOrder() const;
    /// The enabled, visible button marked Default (or Cancel), null when there is none.
    CommandButton* DefaultButton() const;
    CommandButton* CancelButton() const;

    // PlacementWindow
    int32_t Left() override { return m_Left; }
    int32_t Top() override { return m_Top; }
    int32_t Width() override { return m_Width; }
    int32_t Height() override { return m_Height; }
    int32_t WindowState() override { return m_WindowState; }
    void SetLeft(int32_t twips) override;
    void SetTop(int32_t twips) override;
    void SetWidth(int32_t twips) override;
    void SetHeight(int32_t twips) override;
    /// Throws Failure (invalid property value) for a state other than 0, 1 and 2.
    void SetWindowState(int32_t state) override;
    /// The real window's handle, 0 while no window host has made one.
    int64_t WindowHandle() override { return m_WindowHandle; }
    void SetWindowHandle(int64_t handle) { m_WindowHandle = handle; }

    Signal<>& OnLoad() { return m_OnLoad; }
    /// cancel (set non-zero to keep the form loaded) and the unload mode as a number.
    Signal<int16_t&, int16_t>& OnQueryUnload() { return m_OnQueryUnload; }
    /// cancel: set non-zero to keep the form loaded.
    Signal<int16_t&>& OnUnload() { return m_OnUnload; }
    /// Raised with the new state when the form is shown or hidden.
    Signal<bool>& OnVisibleChanged() { return m_OnVisibleChanged; }
    /// Raised when the caption, the placement or the mouse pointer changes.
    Signal<>& OnChanged() { return m_OnChanged; }

  private:
    friend class Control;
    void Register(Control* control);
    void Unregister(Control* control);
    CommandButton* FindButton(bool cancel) const;
    void SetVisible(bool visible);
    void Place(int32_t& field, int32_t value);

    std::string m_Name;
    FormStyle m_Style;
    int32_t m_ClientWidth;
    int32_t m_ClientHeight;
    std::string m_Caption;
    int16_t m_MousePointer = 0;
    bool m_Loaded = false;
    bool m_Visible = false;
    int32_t m_Left = 0;
    int32_t m_Top = 0;
    int32_t m_Width;
    int32_t m_Height;
    int32_t m_WindowState = 0;
    int64_t m_WindowHandle = 0;
    std::vector<Control*> m_Controls;
    Control* m_ActiveControl = nullptr;
    Signal<> m_OnLoad;
    Signal<int16_t&, int16_t> m_OnQueryUnload;
    Signal<int16_t&> m_OnUnload;
    Signal<bool> m_OnVisibleChanged;
    Signal<> m_OnChanged;
};

/// The unload handler of a window its opener keeps between showings: anything but the
/// opener's final unload (`finalUnload`) is cancelled and only hides the window. True when
/// the unload goes on.
bool UnloadGoesOn(Form& form, bool finalUnload, int16_t& Cancel);

}  // namespace vq::ui
