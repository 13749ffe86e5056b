#include "WindowUser.h"

#include <chrono>
#include <cwctype>
#include <stdexcept>
#include <vector>

#include "win32/com/Com.h"

namespace vqtest {

namespace {

constexpr const wchar_t* kFormClass = L"vqTransmittersForm";
constexpr auto kPatience = std::chrono::seconds(10);

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK Collect(HWND window, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

/// The shown windows of a class on a thread.
std::vector<HWND> ShownOfClass(DWORD thread, const wchar_t* className) {
    std::vector<HWND> windows, shown;
    EnumThreadWindows(thread, &Collect, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
        if (ClassOf(window) == className && IsWindowVisible(window)) shown.push_back(window);
    return shown;
}

std::vector<HWND> ShownForms(DWORD thread) {
    return ShownOfClass(thread, kFormClass);
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, &Collect, reinterpret_cast<LPARAM>(&children));
    return children;
}

LRESULT SendOrThrow(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_NORMAL, 10000, &result) &&
        IsWindow(window))
        throw std::runtime_error("no answer from a window to message " + std::to_string(msg));
    return static_cast<LRESULT>(result);
}

std::runtime_error NotFound(const std::string& what) {
    return std::runtime_error("the user cannot find " + what);
}

}  // namespace

HWND ShownForm(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(thread, &info);
    for (HWND form : ShownForms(thread))
        if (GetWindow(form, GW_CHILD) != nullptr && IsChild(form, info.hwndFocus)) return form;
    return nullptr;
}

// ---- Waiting

void WindowUser::WaitUntil(const std::function<bool()>& condition, const std::string& what) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("waited in vain for " + what);
        Sleep(10);
    }
}

HWND WindowUser::WaitForWindow(const std::wstring& caption) {
    WaitUntil(
        [&] {
            m_Window = ShownForm(m_Thread);
            return m_Window != nullptr && (caption.empty() || Text(m_Window) == caption);
        },
        "a window \"" + vq::win32::Narrow(caption) + "\"");
    return m_Window;
}

void WindowUser::WaitUntilClosed() {
    WaitUntil([&] { return !IsWindowVisible(m_Window); }, "the window to close");
}

// ---- Finding controls

HWND WindowUser::Button(const std::wstring& caption) const {
    for (HWND child : Children(m_Window))
        if (ClassOf(child) == L"Button" && Text(child) == caption) return child;
    throw NotFound("a button \"" + vq::win32::Narrow(caption) + "\"");
}

HWND WindowUser::Field(const std::wstring& label) const {
    RECT at{};
    bool labelFound = false;
    for (HWND child : Children(m_Window)) {
        if (ClassOf(child) != L"Static" || Text(child) != label) continue;
        GetWindowRect(child, &at);
        labelFound = true;
    }
    if (!labelFound) throw NotFound("a label \"" + vq::win32::Narrow(label) + "\"");
    HWND nearest = nullptr;
    LONG nearestLeft = LONG_MAX;
    for (HWND child : Children(m_Window)) {
        const std::wstring kind = ClassOf(child);
        if (kind != L"Edit" && kind != L"ComboBox") continue;
        RECT r{};
        GetWindowRect(child, &r);
        const bool sameLine = std::abs((r.top + r.bottom) - (at.top + at.bottom)) <= 16;
        if (sameLine && r.left >= at.right - 2 && r.left < nearestLeft) {
            nearest = child;
            nearestLeft = r.left;
        }
    }
    if (nearest == nullptr) throw NotFound("the field after \"" + vq::win32::Narrow(label) + "\"");
    return nearest;
}

HWND WindowUser::HistoryBox() const {
    for (HWND child : Children(m_Window))
        if (ClassOf(child) == L"Edit" && (GetWindowLongPtrW(child, GWL_STYLE) & ES_MULTILINE))
            return child;
    throw NotFound("a multi-line text box");
}

HWND WindowUser::FirstOfClass(const std::wstring& className) const {
    for (HWND child : Children(m_Window))
        if (ClassOf(child) == className) return child;
    throw NotFound("a control of the class " + vq::win32::Narrow(className));
}

HWND WindowUser::Focused() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(m_Thread, &info) ? info.hwndFocus : nullptr;
}

// ---- What the user sees

std::wstring WindowUser::Text(HWND window) {
    const auto length = static_cast<std::size_t>(SendOrThrow(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendOrThrow(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

int WindowUser::ChosenIndex(HWND list) {
    return static_cast<int>(SendOrThrow(list, CB_GETCURSEL, 0, 0));
}

std::wstring WindowUser::Chosen(HWND list) {
    const int index = ChosenIndex(list);
    if (index < 0) return L"";
    std::wstring text(static_cast<std::size_t>(SendOrThrow(list, CB_GETLBTEXTLEN, index, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendOrThrow(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

int WindowUser::CheckState(HWND box) {
    return static_cast<int>(SendOrThrow(box, BM_GETCHECK, 0, 0));
}

// ---- Actions

LRESULT WindowUser::Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) const {
    if (window == nullptr) throw NotFound("a control with the focus");
    return SendOrThrow(window, msg, wParam, lParam);
}

void WindowUser::Click(HWND button) {
    Send(button, BM_CLICK);
}

void WindowUser::MouseClick(HWND window, POINT at) {
    POINT onScreen = at;
    ClientToScreen(window, &onScreen);
    SetCursorPos(onScreen.x, onScreen.y);  // the pointer stands where the click happens
    const LPARAM point = MAKELPARAM(at.x, at.y);
    Send(window, WM_MOUSEMOVE, 0, point);
    Send(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    Send(window, WM_LBUTTONUP, 0, point);
}

void WindowUser::Choose(HWND list, int entry) {
    RECT box{};
    GetClientRect(list, &box);
    MouseClick(list, POINT{box.right - 4, box.bottom / 2});  // the arrow opens the list
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    GetComboBoxInfo(list, &info);
    WaitUntil([&] { return IsWindowVisible(info.hwndList) != FALSE; }, "the list to open");
    RECT item{}, shown{};
    GetClientRect(info.hwndList, &shown);
    const auto itemRect = [&] {
        if (Send(info.hwndList, LB_GETITEMRECT, entry, reinterpret_cast<LPARAM>(&item)) == LB_ERR)
            throw NotFound("entry " + std::to_string(entry) + " of the list");
    };
    itemRect();
    if (item.top < shown.top || item.bottom > shown.bottom) {  // scrolled out of sight
        Send(info.hwndList, LB_SETTOPINDEX, static_cast<WPARAM>(entry));
        itemRect();
    }
    MouseClick(info.hwndList, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    WaitUntil([&] { return !IsWindowVisible(info.hwndList); }, "the list to close");
}

void WindowUser::Press(WPARAM virtualKey, wchar_t typed) {
    HWND focus = Focused();
    Send(focus, WM_KEYDOWN, virtualKey, 1);
    if (typed != 0) Send(focus, WM_CHAR, typed, 1);
    // The key may have closed the window.
    if (IsWindow(focus)) Send(focus, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void WindowUser::Type(const std::wstring& text) {
    for (wchar_t c : text) Send(Focused(), WM_CHAR, c, 1);
}

void WindowUser::AltKey(wchar_t letter) {
    HWND focus = Focused();
    constexpr LPARAM kAltDown = 0x20000001;
    Send(focus, WM_SYSKEYDOWN, static_cast<WPARAM>(std::towupper(letter)), kAltDown);
    Send(focus, WM_SYSCHAR, letter, kAltDown);
}

void WindowUser::CloseBox() {
    Send(m_Window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void WindowUser::CloseAll() {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        // A system dialog (save dialog, message box) still open keeps the host's thread in its
        // own loop: it is answered with Cancel (or No) before the forms are closed.
        const std::vector<HWND> dialogs = ShownOfClass(m_Thread, L"#32770");
        for (HWND dialog : dialogs) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            PostMessageW(dialog, WM_COMMAND, IDNO, 0);
        }
        const std::vector<HWND> forms = ShownForms(m_Thread);
        if (dialogs.empty() && forms.empty()) return;
        if (dialogs.empty())
            for (HWND form : forms) PostMessageW(form, WM_CLOSE, 0, 0);
        Sleep(50);
    }
}

// ---- UserThread

UserThread::UserThread(std::function<void(WindowUser&)> script) {
    m_Thread = std::thread([this, script = std::move(script), ui = GetCurrentThreadId()] {
        WindowUser user(ui);
        // The screen's pointer stays off the windows: only the script's messages move it.
        SetCursorPos(0, 0);
        try {
            script(user);
            if (!ShownForms(ui).empty()) m_Failure = "the script left a window open";
        } catch (const std::exception& e) {
            m_Failure = e.what();
        }
        // After a failure the host may open further windows: close them until it is done.
        user.CloseAll();
        while (!m_Failure.empty() && !m_HostDone) {
            Sleep(50);
            user.CloseAll();
        }
    });
}

UserThread::~UserThread() {
    Finish();
}

std::string UserThread::Finish() {
    m_HostDone = true;
    if (m_Thread.joinable()) m_Thread.join();
    return m_Failure;
}

}  // namespace vqtest
