#pragma once
// The real top-level window of a form model, with one bound control per control model.
//
// Kept in step with the form both ways: the caption, the placement (outer window in twips) and
// the shown state follow the model; a move by the user is written into the model's placement,
// so that what the shared service stores is where the window really is. The title-bar close
// goes through the form's query-unload and unload, which decide whether the window stays.
//
// Keyboard, as the models define it: Tab and Shift+Tab walk the form's tab order; Enter and
// Esc press the default and cancel buttons when the window has them, and otherwise reach the
// focused control (a text box's KeyPress handlers get the key code and may replace or swallow
// it; a focused button is pressed by Enter); Alt with the letter after '&' in a caption acts
// on that control, and so does the plain letter while a button or check box has the focus.
//
// A failure raised by a model handler while the window handles a message never crosses the
// window procedure: the first one is kept for the modal loop, which then ends.

#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "support/Signal.h"
#include "ui/Form.h"
#include "win32/windows/ControlBinding.h"
#include "win32/windows/Metrics.h"

namespace vq::win32::windows {

class FormWindow {
  public:
    /// Creates the form's real window, hidden, centred on the work area of the screen, with
    /// its controls; the form's placement and window handle then describe it. The owner may
    /// be null. Throws Failure when a control kind has no binder or Windows refuses a window.
    FormWindow(ui::Form& form, const Metrics& metrics, HWND owner);
    /// Destroys the window and its controls; the form's window handle becomes 0.
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND Handle() const { return m_Handle; }
    ui::Form& Model() const { return m_Form; }
    const Metrics& Scale() const { return m_Metrics; }
    HFONT Font() const { return m_Font.Handle(); }

    /// Called just before the window hides because its form was hidden or unloaded.
    void OnHiding(std::function<void()> handler) { m_OnHiding = std::move(handler); }
    /// Brings the shown window to the front and gives the focus to the first control of the
    /// tab order.
    void Present();
    /// The first failure a model handler raised while the window handled a message.
    std::exception_ptr Failure() const { return m_Failure; }

    // ---- For the bindings

    /// The control's rectangle in the window's client area, in pixels.
    RECT PixelRect(const ui::Control& control) const;
    /// The window a control's real window is a child of: the window of the container holding
    /// it when that container holds children, else the form's window.
    HWND ParentWindowOf(const ui::Control& control) const;
    /// The control's rectangle in the client area of ParentWindowOf, in pixels.
    RECT PlaceOf(const ui::Control& control) const;
    /// Runs a call into the models; a failure is kept (the first one) and ends the window's
    /// modal show.
    void Guarded(const std::function<void()>& call) noexcept;
    /// The real focus arrived at a control: the model's focus follows.
    void ControlFocused(ControlBinding& binding);
    /// Tab and Shift+Tab.
    void Tab(bool backwards);
    /// Enter presses the default button, Esc the cancel button; false when there is none.
    bool PressDefaultOrCancel(WPARAM key);
    /// Acts on the control whose caption has ch as access key; false when none has.
    bool AccessKey(WPARAM ch);
    /// Shows the application's mouse pointer when it is not the default; true when shown.
    bool ShowPointer() const;
    /// The brush of an automation colour (owned by the window).
    HBRUSH Brush(uint32_t color);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateFrameWindow(HWND owner);
    /// The outer size in pixels of the window around the form's client area.
    SIZE OuterSize() const;
    void CreateControls();
    void Wire();
    void WireControl(ControlBinding& binding);
    ControlBinding* BindingOf(HWND control) const;
    ControlBinding* BindingOf(const ui::Control* control) const;
    /// The binding of the container window holding a control, null when it stands on the form.
    ControlBinding* HolderOf(const ui::Control& control) const;
    void PushAll();
    void PushCaption();
    void PushPlacement();
    void PullPlacement();
    void PushVisible(bool visible);
    void FocusControl(const ui::Control& control);
    void ClickFromKeyboard(ui::Control& control);
    void Fail(std::exception_ptr failure) noexcept;

    ui::Form& m_Form;
    Metrics m_Metrics;
    DialogFont m_Font;
    HWND m_Handle = nullptr;
    std::vector<std::unique_ptr<ControlBinding>> m_Bindings;
    std::vector<Connection> m_Connections;
    std::map<uint32_t, HBRUSH> m_Brushes;
    std::function<void()> m_OnHiding;
    std::exception_ptr m_Failure;
    int m_Placing = 0;
    /// False while the window is being made or destroyed: messages then reach no model.
    bool m_Ready = false;
};

}  // namespace vq::win32::windows
