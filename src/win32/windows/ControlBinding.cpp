#include "win32/windows/ControlBinding.h"

#include <commctrl.h>

#include "support/Failure.h"
#include "ui/Controls.h"
#include "win32/com/Com.h"
#include "win32/windows/FormWindow.h"
#include "win32/windows/Nested.h"

namespace vq::win32::windows {

namespace {

bool ShownWithContainers(const ui::Control& control) {
    for (const ui::Control* c = &control; c != nullptr; c = c->Container())
        if (!c->Visible()) return false;
    return true;
}

bool EnabledWithContainers(const ui::Control& control) {
    for (const ui::Control* c = &control; c != nullptr; c = c->Container())
        if (!c->Enabled()) return false;
    return true;
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

}  // namespace

int32_t CodePointsBefore(const std::wstring& text, int utf16Position) {
    int32_t count = 0;
    for (int i = 0; i < utf16Position && i < static_cast<int>(text.size()); ++i) {
        if (IsHighSurrogate(text[static_cast<std::size_t>(i)])) ++i;
        ++count;
    }
    return count;
}

int Utf16Position(const std::wstring& text, int32_t codePoints) {
    int position = 0;
    for (int32_t n = 0; n < codePoints && position < static_cast<int>(text.size()); ++n)
        position += IsHighSurrogate(text[static_cast<std::size_t>(position)]) ? 2 : 1;
    return position;
}

ControlBinding::~ControlBinding() {
    if (m_Handle == nullptr) return;
    RemoveWindowSubclass(m_Handle, &SubclassProc, 0);
    DestroyWindow(m_Handle);
}

RECT ControlBinding::Place() const {
    RECT place = m_Form.PlaceOf(m_Model);
    place.bottom = place.top + WindowHeight(place.bottom - place.top);
    return place;
}

void ControlBinding::Create(int id) {
    const Shape shape = Describe();
    if (shape.ClassName == nullptr) return;
    const RECT place = Place();
    // Made as the model stands, so that the first Push has little left to do.
    DWORD style = shape.Style | WS_CHILD | WS_CLIPSIBLINGS;
    if (ShownWithContainers(m_Model)) style |= WS_VISIBLE;
    if (!EnabledWithContainers(m_Model)) style |= WS_DISABLED;
    std::string text;
    if (const auto* captioned = dynamic_cast<const ui::CaptionedControl*>(&m_Model))
        text = captioned->Caption();
    else if (const auto* box = dynamic_cast<const ui::TextBox*>(&m_Model))
        text = box->Text();
    HWND parent = m_Form.ParentWindowOf(m_Model);
    auto* instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    m_Handle =
        CreateWindowExW(shape.ExStyle, shape.ClassName, Widen(text).c_str(), style, place.left,
                        place.top, place.right - place.left, place.bottom - place.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (m_Handle == nullptr)
        throw Failure(static_cast<int32_t>(HRESULT_FROM_WIN32(GetLastError())),
                      "Windows could not make the control " + m_Model.DisplayName());
    m_Placed = place;
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_Form.Font()), FALSE);
    SetWindowSubclass(m_Handle, &SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    Push();
}

void ControlBinding::Push() {
    if (m_Handle == nullptr) return;
    const auto pushing = Nested(m_Pushing);
    PushState();
    PushPlace();
}

void ControlBinding::PushPlace() {
    const RECT place = Place();
    if (!EqualRect(&place, &m_Placed)) {
        SetWindowPos(m_Handle, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        m_Placed = place;
    }

    const bool enabled = EnabledWithContainers(m_Model);
    if ((IsWindowEnabled(m_Handle) != FALSE) != enabled) EnableWindow(m_Handle, enabled);
    const bool shown = ShownWithContainers(m_Model);
    const bool shownNow = (GetWindowLongPtrW(m_Handle, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shownNow != shown) ShowWindow(m_Handle, shown ? SW_SHOWNA : SW_HIDE);
    // A control that lost its focus by being disabled or hidden leaves the keyboard to the
    // window, so that Tab still finds the next control.
    if ((!enabled || !shown) && GetFocus() == m_Handle) SetFocus(m_Form.Handle());
}

void ControlBinding::Repaint() {
    if (m_Handle) RedrawWindow(m_Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

LRESULT ControlBinding::Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return SendMessageW(m_Handle, msg, wParam, lParam);
}

std::wstring ControlBinding::WindowText() const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(m_Handle)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(m_Handle, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool ControlBinding::ShowText(const std::string& utf8) {
    const std::wstring text = Widen(utf8);
    if (WindowText() == text) return false;
    SetWindowTextW(m_Handle, text.c_str());
    return true;
}

LRESULT ControlBinding::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(m_Handle, msg, wParam, lParam);
}

bool ControlBinding::PlainAccessKey(WPARAM ch) {
    return IsCharAlphaNumericW(static_cast<WCHAR>(ch)) && m_Form.AccessKey(ch);
}

bool ControlBinding::OnChar(WPARAM& ch) {
    return !((ch == '\r' || ch == 27) && m_Form.PressDefaultOrCancel(ch));
}

LRESULT CALLBACK ControlBinding::SubclassProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR self) {
    auto* binding = reinterpret_cast<ControlBinding*>(self);
    LRESULT result = 0;  // what a message whose handling failed answers
    binding->m_Form.Guarded([&] { result = binding->HandleMessage(msg, wParam, lParam); });
    return result;
}

LRESULT ControlBinding::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_SETFOCUS:
            result = CallDefault(msg, wParam, lParam);
            if (!Pushing()) m_Form.ControlFocused(*this);
            return result;
        case WM_KEYDOWN:
            if (wParam != VK_TAB) break;
            m_Form.Tab(GetKeyState(VK_SHIFT) < 0);
            return 0;
        case WM_CHAR:
            // Tab was handled as a key; every other character goes to the model first.
            if (wParam == '\t' || !OnChar(wParam)) return 0;
            break;
        case WM_SYSCHAR:
            if (m_Form.AccessKey(wParam)) return 0;
            break;
        case WM_SETCURSOR:
            if (m_Form.ShowPointer()) return TRUE;
            break;
        default:
            break;
    }
    return CallDefault(msg, wParam, lParam);
}

}  // namespace vq::win32::windows
