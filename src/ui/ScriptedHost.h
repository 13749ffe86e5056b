#pragma once
// A native window host whose "user" is a script: a test queues one script per window it
// expects to be shown, and each modal show runs the next script with a User that clicks,
// chooses list entries, types, moves the focus, presses Enter or Esc and closes the window
// with the title-bar button, the way a person at the real window would. The modal show
// returns when the window hides, as a real modal loop does.
//
// A handler that lets window messages through while it runs (a long exchange, for example)
// hands control to the script there: the user queues actions with Meanwhile, and each time
// the handler lets messages through (the platform's message source calls DispatchPending) the
// next queued action runs, in the middle of the handler.

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "Controls.h"
#include "Form.h"
#include "WindowHost.h"
#include "support/Failure.h"

namespace vq::ui {

class FileDialogUser;
class ScriptedHost;

/// The person at a shown window. Every action refuses (throws Failure) what a person could
/// not do: act on a window that is no longer shown, click a disabled or hidden control, type
/// into something that is not a text box.
class User {
  public:
    explicit User(Form& form, ScriptedHost* host = nullptr) : m_Form(form), m_Host(host) {}

    Form& Window() const { return m_Form; }
    /// The control with a name (and control-array index); throws Failure when there is none
    /// or it is of another kind.
    template <class T>
    T& Find(const std::string& name, int16_t index = -1) const {
        T* control = dynamic_cast<T*>(Lookup(name, index));
        if (control == nullptr) throw WrongKind(name);
        return *control;
    }

    /// Clicks a button or a check box with the mouse: the focus moves to it, then it reacts.
    void Click(const std::string& name, int16_t index = -1);
    /// Opens a drop-down list and picks the entry at a 0-based position, or the entry with a
    /// text.
    void Choose(const std::string& list, int32_t entry);
    void Choose(const std::string& list, const std::string& entryText);
    /// Clicks into a control, giving it the focus.
    void Focus(const std::string& name, int16_t index = -1);
    /// Presses Tab: the focus moves to the next control in tab order.
    void Tab();
    /// Types text into the text box that has the focus, one key per character.
    void Type(const std::string& text);
    /// Presses Enter: the default button if the window has one, else the focused control's
    /// key press (a focused button is pressed).
    void PressEnter();
    /// Presses Esc: the cancel button if the window has one, else the focused control's key.
    void PressEscape();
    /// Clicks the title-bar close button: the form's query-unload and unload run and may
    /// refuse to close.
    void CloseWindow();
    /// Clicks a row (1-based) of a list view: the focus moves to the list, then the row is
    /// clicked.
    void ClickItem(const std::string& listView, int32_t row);
    /// Clicks a tool of a toolbar; refuses a disabled tool, a separator and a toolbar that is
    /// disabled or hidden.
    void ClickTool(const std::string& toolbar, const std::string& toolId);
    /// Clicks a tool that opens a save dialog, and answers that dialog with atSaveDialog.
    /// Refuses when the click opened no save dialog, or more than one, or when atSaveDialog
    /// left the dialog open.
    void ClickTool(const std::string& toolbar, const std::string& toolId,
                   const std::function<void(FileDialogUser&)>& atSaveDialog);
    /// Queues an action for the middle of a handler that is still running: it runs, as this
    /// user, at the first DispatchPending of the host for which `when` (if given) holds, after
    /// the actions queued before it. Throws Failure for a user no scripted host made.
    void Meanwhile(std::function<void(User&)> action, std::function<bool()> when = {});

  private:
    Control* Lookup(const std::string& name, int16_t index) const;
    Control& Reachable(const std::string& name, int16_t index) const;
    void RequireShown() const;
    void PressKey(int16_t key);
    static Failure WrongKind(const std::string& name);

    Form& m_Form;
    ScriptedHost* m_Host;
};

class ScriptedHost : public WindowHost {
  public:
    using Script = std::function<void(User&)>;

    /// Queues the user of the next window to be shown.
    void Then(Script script) { m_Scripts.push_back(std::move(script)); }
    /// Scripts not used yet.
    std::size_t Pending() const { return m_Scripts.size(); }
    /// Captions of the windows shown so far, in order.
    const std::vector<std::string>& Shown() const { return m_Shown; }

    /// Loads and shows the form, gives the focus to its first control, runs the next script
    /// and returns. Throws Failure when no script is queued, or when the script ends with
    /// the window still shown (a real user would still be sitting at it).
    void ShowModal(Form& form) override;

    /// The window messages a running handler lets through: runs the first queued Meanwhile
    /// action when its condition holds. Returns whether an action ran. A failure of the action
    /// is kept and raised when the script of the modal show ends.
    bool DispatchPending();

  private:
    friend class User;
    struct QueuedAction {
        Form* Window;
        Script Action;
        std::function<bool()> When;
    };

    std::deque<Script> m_Scripts;
    std::vector<std::string> m_Shown;
    std::deque<QueuedAction> m_Meanwhile;
    std::exception_ptr m_PendingFailure;
};

}  // namespace vq::ui
