#pragma once
// One real Win32 control bound to one control model, kept in step both ways:
// - model to control: Push shows the model's whole state (place, enabled, visible, caption,
//   text, entries, selection, value) and runs whenever the model says it changed; the
//   control's own notifications are ignored meanwhile, so a change made by code never comes
//   back as a user's action;
// - control to model: a notification of the control (a click, a choice, an edit) becomes the
//   model's event exactly once, and the model's state then decides what the control shows.
//
// The bindings subclass their controls, so that focus, Tab, Enter, Esc, access keys and typed
// characters reach the models first (the form window handles what is common to every kind).
// One file per control family implements a kind; BinderRegistry.h maps kinds to them.

#include <windows.h>

#include <string>

#include "ui/Control.h"
#include "win32/windows/Nested.h"

namespace vq::win32::windows {

class FormWindow;

class ControlBinding {
  public:
    ControlBinding(FormWindow& form, ui::Control& model) : m_Form(form), m_Model(model) {}
    virtual ~ControlBinding();
    ControlBinding(const ControlBinding&) = delete;
    ControlBinding& operator=(const ControlBinding&) = delete;

    ui::Control& Model() const { return m_Model; }
    HWND Handle() const { return m_Handle; }

    /// Creates the real control, a child of the form's window (or of the container window
    /// holding it) with control id id, and shows the model's state in it. A kind without a
    /// window of its own (the common dialog) makes none. Throws Failure when Windows refuses
    /// to make it.
    void Create(int id);
    /// Shows the model's state in the control; raises no event of the model.
    void Push();
    /// Paints the control now, without waiting for the message loop.
    void Repaint();

    /// A WM_COMMAND notification of the control: the user's action, passed to the model.
    virtual void OnNotify(WORD /*code*/) {}
    /// A WM_COMMAND with the command id the control sent (a toolbar's button id); by default
    /// the notification code alone counts.
    virtual void OnCommand(WORD /*id*/, WORD code) { OnNotify(code); }
    /// A WM_NOTIFY of the control; true when handled, with the answer in result.
    virtual bool OnNotifyMessage(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    /// True for a container whose window is the parent of the controls it holds.
    virtual bool HoldsChildren() const { return false; }
    /// The brush behind the control (WM_CTLCOLOR...); null lets Windows decide.
    virtual HBRUSH OnColor(HDC /*dc*/) { return nullptr; }
    /// Runs after the model's GotFocus handlers for this control have run.
    virtual void AfterGotFocus() {}

  protected:
    struct Shape {
        const wchar_t* ClassName;
        DWORD Style;
        DWORD ExStyle = 0;
    };
    /// The window class and the styles of the real control.
    virtual Shape Describe() const = 0;
    /// The kind's own part of Push.
    virtual void PushState() = 0;
    /// Where the real window stands in its parent window, in pixels.
    virtual RECT Place() const;
    /// The height in pixels of the real window for the model's height in pixels.
    virtual int WindowHeight(int modelHeight) const { return modelHeight; }
    /// A character about to reach the control (WM_CHAR); it may be replaced, and false
    /// swallows it. By default Enter and Esc press the window's default or cancel button.
    virtual bool OnChar(WPARAM& ch);
    /// The kind's handling of any message before the common one; true when it handled it and
    /// set result.
    virtual bool OnMessage(UINT /*msg*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }

    FormWindow& Form() const { return m_Form; }
    /// True while Push runs: notifications then come from code, not from the user.
    bool Pushing() const { return m_Pushing > 0; }
    /// Marks the scope as showing a change made by code (as Push does).
    auto FromCode() { return Nested(m_Pushing); }
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    std::wstring WindowText() const;
    /// Sets the window text when it differs from the UTF-8 text; true when it was set.
    bool ShowText(const std::string& utf8);
    /// The control's own window procedure (under the subclass).
    LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);
    /// A letter or digit typed on a control that takes no text acts as the access key it
    /// names, if any control has it; true when it did.
    bool PlainAccessKey(WPARAM ch);

  private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void PushPlace();

    FormWindow& m_Form;
    ui::Control& m_Model;
    HWND m_Handle = nullptr;
    int m_Pushing = 0;
    RECT m_Placed{};  // where Push last put the control
};

/// The position of a UTF-16 unit in a text as the models count it (code points), and back.
int32_t CodePointsBefore(const std::wstring& text, int utf16Position);
int Utf16Position(const std::wstring& text, int32_t codePoints);

}  // namespace vq::win32::windows
