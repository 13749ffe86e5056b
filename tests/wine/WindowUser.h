#pragma once
// A person at the component's real windows, acting from a second thread while the host's
// thread waits in a call that shows a window (Edit, Add, ...). It finds controls as a person
// does - a button or check box by its caption, a text box or list by the label in front of it
// - and acts only through window messages to the real controls: BM_CLICK, mouse clicks into a
// drop-down list and onto an entry of its open list, key presses and typed characters to the
// control that has the focus, access keys, the title-bar close.
//
// Every wait is bounded; a step that cannot be done throws std::runtime_error, and the script
// running it is then ended by closing the windows still shown, so the host's call returns.

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vqtest {

/// A shown window of the component on a thread, with the focus in one of its controls (ready
/// for a user); null when there is none.
HWND ShownForm(DWORD thread);

class WindowUser {
  public:
    /// A user of the windows of a thread (the host's).
    explicit WindowUser(DWORD uiThread) : m_Thread(uiThread) {}

    /// Waits until a window of the component is shown on the thread, with its controls made
    /// and the focus in one of them; with a caption, one with that caption.
    HWND WaitForWindow(const std::wstring& caption = L"");
    /// Waits until the window found last is no longer shown.
    void WaitUntilClosed();
    /// Polls a condition until it holds; throws when it does not within the time limit.
    void WaitUntil(const std::function<bool()>& condition, const std::string& what);
    HWND Window() const { return m_Window; }

    // ---- Finding controls of the window found last
    /// A button or check box by its caption (with its '&').
    HWND Button(const std::wstring& caption) const;
    /// The text box or list that stands on the same line right of a label ("Port:").
    HWND Field(const std::wstring& label) const;
    /// The multi-line text box.
    HWND HistoryBox() const;
    /// The first control of a window class ("Edit", "ComboBox", ...).
    HWND FirstOfClass(const std::wstring& className) const;
    /// The control that has the keyboard focus of the thread.
    HWND Focused() const;

    // ---- What the user sees
    static std::wstring Text(HWND window);
    /// The shown entry of a drop-down list ("" when none).
    static std::wstring Chosen(HWND list);
    static int ChosenIndex(HWND list);
    static int CheckState(HWND box);

    // ---- Actions
    void Click(HWND button);
    /// Opens a drop-down list with the mouse and clicks one of its entries.
    void Choose(HWND list, int entry);
    /// A key press (down, the character it types if any, up) to the focused control.
    void Press(WPARAM virtualKey, wchar_t typed = 0);
    void Tab() { Press(VK_TAB, L'\t'); }
    void Enter() { Press(VK_RETURN, L'\r'); }
    void Escape() { Press(VK_ESCAPE, 27); }
    /// Types text, one character at a time, into the focused control.
    void Type(const std::wstring& text);
    /// Alt and a letter.
    void AltKey(wchar_t letter);
    /// The title-bar close (as the close box or Alt+F4 sends it).
    void CloseBox();

    /// Closes every window of the component still shown on the thread (title-bar close).
    void CloseAll();

    // ---- The list view, the toolbar and the system's dialogs (WindowUserLists.cpp)
    /// The number of rows, the 1-based selected row (0 for none) and a cell's text.
    static int RowCount(HWND list);
    static int SelectedRow(HWND list);
    static std::wstring Cell(HWND list, int row, int column);
    static std::wstring ColumnHeader(HWND list, int column);
    static int ColumnWidth(HWND list, int column);
    /// A mouse click on a row (button down and up on it, posted as the mouse posts them);
    /// waits until the row shows selected.
    void ClickRow(HWND list, int row);
    /// The captions of the toolbar's buttons in order ("" for a separator).
    static std::vector<std::wstring> ToolCaptions(HWND toolbar);
    static bool ToolEnabled(HWND toolbar, const std::wstring& caption);
    /// A mouse click on the toolbar button with the caption. Posted: the host's thread may
    /// stay inside the click (a dialog it opens) while the user goes on.
    void ClickTool(HWND toolbar, const std::wstring& caption);
    /// The width in pixels of the widest button of the toolbar.
    static int WidestTool(HWND toolbar);
    /// What the toolbar's parent answers for the tip of a button.
    static std::wstring ToolTip(HWND toolbar, const std::wstring& caption);
    /// Waits for a shown system dialog (a file dialog, a message box) of the thread with the
    /// caption and a button with the id (IDOK, IDYES, ...), ready for the user.
    HWND WaitForDialog(const std::wstring& caption, int button = IDCANCEL);
    /// The entries of a file dialog's list of file types.
    static std::vector<std::wstring> FileTypes(HWND dialog);
    /// Types a file name into a shown save dialog and presses its Save button.
    void SaveAs(HWND dialog, const std::wstring& path);
    /// Presses a button of a system dialog by its id (IDYES, IDCANCEL, ...).
    void PressDialogButton(HWND dialog, int id);

  private:
    /// Moves the screen's pointer to a point of a window and clicks there.
    void MouseClick(HWND window, POINT at);
    LRESULT Send(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;

    DWORD m_Thread;
    HWND m_Window = nullptr;
};

/// Runs a user script on a second thread for the duration of a host call on this thread.
class UserThread {
  public:
    /// Starts the script; the user acts on this thread's windows.
    explicit UserThread(std::function<void(WindowUser&)> script);
    ~UserThread();
    UserThread(const UserThread&) = delete;
    UserThread& operator=(const UserThread&) = delete;
    /// Waits for the script to end; what went wrong in it ("" when nothing did).
    std::string Finish();

  private:
    std::string m_Failure;
    std::atomic<bool> m_HostDone{false};
    std::thread m_Thread;
};

}  // namespace vqtest
