#include "win32/windows/FormWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "support/Failure.h"
#include "ui/Controls.h"
#include "win32/com/Com.h"
#include "win32/windows/BinderRegistry.h"
#include "win32/windows/Nested.h"

namespace vq::win32::windows {

namespace {

constexpr const wchar_t* kClassName = L"vqTransmittersForm";

/// The module holding this code (the component's DLL, or a test program linking it).
HINSTANCE CodeModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&CodeModule), &module);
    return module;
}

struct FrameStyle {
    DWORD Style;
    DWORD ExStyle;
};

FrameStyle StyleOf(const ui::FormStyle& form) {
    FrameStyle style{WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    if (form.Border == ui::BorderStyle::Sizable)
        style.Style |= WS_THICKFRAME;
    else
        style.ExStyle |= WS_EX_DLGMODALFRAME;
    if (form.MinButton) style.Style |= WS_MINIMIZEBOX;
    if (form.MaxButton) style.Style |= WS_MAXIMIZEBOX;
    if (form.ShowInTaskbar) style.ExStyle |= WS_EX_APPWINDOW;
    return style;
}

/// The ShowWindow command for a window state the window's buttons allow (0 normal, 1
/// minimised, 2 maximised).
int ShowCommandFor(int32_t state, DWORD style) {
    if (state == 1 && (style & WS_MINIMIZEBOX)) return SW_SHOWMINIMIZED;
    if (state == 2 && (style & WS_MAXIMIZEBOX)) return SW_SHOWMAXIMIZED;
    return SW_SHOWNORMAL;
}

}  // namespace

SIZE FormWindow::OuterSize() const {
    const FrameStyle style = StyleOf(m_Form.Style());
    RECT outer{0, 0, m_Metrics.Pixels(m_Form.ClientWidth()),
               m_Metrics.Pixels(m_Form.ClientHeight())};
    AdjustWindowRectEx(&outer, style.Style, FALSE, style.ExStyle);
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

FormWindow::FormWindow(ui::Form& form, const Metrics& metrics, HWND owner)
    : m_Form(form), m_Metrics(metrics), m_Font(metrics) {
    try {
        CreateFrameWindow(owner);
        CreateControls();
        Wire();
    } catch (...) {
        m_Bindings.clear();
        if (m_Handle) DestroyWindow(m_Handle);
        m_Form.SetWindowHandle(0);
        throw;
    }
    m_Ready = true;
    if (form.Loaded())
        PushPlacement();  // a form shown before comes back where it was
    else
        PullPlacement();  // a new one starts where Windows put it
}

FormWindow::~FormWindow() {
    m_Ready = false;
    m_Connections.clear();
    m_Bindings.clear();
    DestroyWindow(m_Handle);
    m_Form.SetWindowHandle(0);
    for (const auto& [color, brush] : m_Brushes) DeleteObject(brush);
    // A DLL's classes outlive it unless unregistered; this fails while windows of it exist.
    UnregisterClassW(kClassName, CodeModule());
}

void FormWindow::CreateFrameWindow(HWND owner) {
    HINSTANCE module = CodeModule();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(module, kClassName, &windowClass)) {
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = &FormWindow::WindowProc;
        windowClass.hInstance = module;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        RegisterClassExW(&windowClass);
    }
    const FrameStyle style = StyleOf(m_Form.Style());
    const SIZE outer = OuterSize();
    const int width = outer.cx;
    const int height = outer.cy;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int left = std::max<int>(work.left, work.left + (work.right - work.left - width) / 2);
    const int top = std::max<int>(work.top, work.top + (work.bottom - work.top - height) / 2);
    CreateWindowExW(style.ExStyle, kClassName, Widen(m_Form.Caption()).c_str(), style.Style, left,
                    top, width, height, owner, nullptr, module, this);
    if (m_Handle == nullptr)
        throw vq::Failure(static_cast<int32_t>(HRESULT_FROM_WIN32(GetLastError())),
                          "Windows could not make the window " + m_Form.Name());
    m_Form.SetWindowHandle(static_cast<int64_t>(reinterpret_cast<intptr_t>(m_Handle)));
}

void FormWindow::CreateControls() {
    // The list view's and the toolbar's classes are registered on request.
    static const bool commonControls = [] {
        INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        return InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)commonControls;
    const BinderRegistry& registry = BinderRegistry::Standard();
    for (ui::Control* control : m_Form.Controls())
        m_Bindings.push_back(registry.Bind(*this, *control));
    // Child windows made later stand behind those made earlier: the frames come last, so that
    // the controls inside a frame are painted in front of it.
    std::stable_partition(m_Bindings.begin(), m_Bindings.end(), [](const auto& binding) {
        return binding->Model().Kind() != ui::ControlKind::Frame;
    });
    int id = 1000;
    for (const auto& binding : m_Bindings) binding->Create(id++);
}

void FormWindow::Wire() {
    m_Connections.push_back(m_Form.OnChanged().Connect([this] {
        PushCaption();
        PushPlacement();
    }));
    m_Connections.push_back(
        m_Form.OnVisibleChanged().Connect([this](bool visible) { PushVisible(visible); }));
    for (const auto& binding : m_Bindings) WireControl(*binding);
}

void FormWindow::WireControl(ControlBinding& binding) {
    ui::Control& model = binding.Model();
    const bool frame = model.Kind() == ui::ControlKind::Frame;
    const bool container = frame || model.Kind() == ui::ControlKind::PictureBox;
    m_Connections.push_back(model.OnChanged().Connect([this, &binding, container] {
        if (container)
            PushAll();  // what a container shows, enables and places holds for its controls
        else
            binding.Push();
    }));
    m_Connections.push_back(model.OnRefresh().Connect([&binding] { binding.Repaint(); }));
    // Connected after the presenter's own handlers, so it runs after them.
    m_Connections.push_back(model.OnGotFocus().Connect([this, &binding] {
        if (IsWindowVisible(m_Handle) && GetFocus() != binding.Handle()) SetFocus(binding.Handle());
        binding.AfterGotFocus();
    }));
}

ControlBinding* FormWindow::BindingOf(HWND control) const {
    for (const auto& binding : m_Bindings)
        if (binding->Handle() == control) return binding.get();
    return nullptr;
}

ControlBinding* FormWindow::BindingOf(const ui::Control* control) const {
    for (const auto& binding : m_Bindings)
        if (&binding->Model() == control) return binding.get();
    return nullptr;
}

void FormWindow::PushAll() {
    for (const auto& binding : m_Bindings) binding->Push();
}

void FormWindow::Present() {
    SetForegroundWindow(m_Handle);
    m_Form.FocusFirstControl();
}

RECT FormWindow::PixelRect(const ui::Control& control) const {
    const ui::Bounds& bounds = control.Layout();
    int32_t left = bounds.Left;
    int32_t top = bounds.Top;
    for (const ui::Control* c = control.Container(); c != nullptr; c = c->Container()) {
        left += c->Layout().Left;
        top += c->Layout().Top;
    }
    return RECT{m_Metrics.Pixels(left), m_Metrics.Pixels(top),
                m_Metrics.Pixels(left + bounds.Width), m_Metrics.Pixels(top + bounds.Height)};
}

ControlBinding* FormWindow::HolderOf(const ui::Control& control) const {
    for (const ui::Control* c = control.Container(); c != nullptr; c = c->Container())
        if (ControlBinding* holder = BindingOf(c); holder && holder->HoldsChildren()) return holder;
    return nullptr;
}

HWND FormWindow::ParentWindowOf(const ui::Control& control) const {
    const ControlBinding* holder = HolderOf(control);
    return holder ? holder->Handle() : m_Handle;
}

RECT FormWindow::PlaceOf(const ui::Control& control) const {
    RECT place = PixelRect(control);
    if (const ControlBinding* holder = HolderOf(control)) {
        const RECT outer = PixelRect(holder->Model());
        OffsetRect(&place, -outer.left, -outer.top);
    }
    return place;
}

// ---- The form's own state

void FormWindow::PushCaption() {
    const std::wstring caption = Widen(m_Form.Caption());
    std::wstring shown(static_cast<std::size_t>(GetWindowTextLengthW(m_Handle)) + 1, L'\0');
    shown.resize(static_cast<std::size_t>(
        GetWindowTextW(m_Handle, shown.data(), static_cast<int>(shown.size()))));
    if (shown != caption) SetWindowTextW(m_Handle, caption.c_str());
}

void FormWindow::PushPlacement() {
    if (m_Placing > 0 || !m_Ready) return;
    {
        const auto placing = Nested(m_Placing);
        RECT now{};
        GetWindowRect(m_Handle, &now);
        const int left = m_Metrics.Pixels(m_Form.Left());
        const int top = m_Metrics.Pixels(m_Form.Top());
        // A fixed dialog keeps the size its client area needs.
        const bool sizable = m_Form.Style().Border == ui::BorderStyle::Sizable;
        const SIZE fixed = OuterSize();
        const int width = sizable ? m_Metrics.Pixels(m_Form.Width()) : fixed.cx;
        const int height = sizable ? m_Metrics.Pixels(m_Form.Height()) : fixed.cy;
        RECT wanted{left, top, left + width, top + height};
        // A place on no screen (stored on a larger desktop) leaves the window where it is.
        if (MonitorFromRect(&wanted, MONITOR_DEFAULTTONULL) != nullptr && !EqualRect(&wanted, &now))
            SetWindowPos(m_Handle, nullptr, left, top, width, height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        if (IsWindowVisible(m_Handle)) {
            const auto style = static_cast<DWORD>(GetWindowLongPtrW(m_Handle, GWL_STYLE));
            const int command = ShowCommandFor(m_Form.WindowState(), style);
            if ((command == SW_SHOWMINIMIZED) != (IsIconic(m_Handle) != FALSE) ||
                (command == SW_SHOWMAXIMIZED) != (IsZoomed(m_Handle) != FALSE))
                ShowWindow(m_Handle, command);
        }
    }
    PullPlacement();  // the model holds where the window really is
}

void FormWindow::PullPlacement() {
    if (!m_Ready) return;
    const auto placing = Nested(m_Placing);
    if (IsIconic(m_Handle)) {
        m_Form.SetWindowState(1);
        return;
    }
    RECT now{};
    GetWindowRect(m_Handle, &now);
    if (!IsZoomed(m_Handle)) {
        m_Form.SetLeft(m_Metrics.Twips(now.left));
        m_Form.SetTop(m_Metrics.Twips(now.top));
        m_Form.SetWidth(m_Metrics.Twips(now.right - now.left));
        m_Form.SetHeight(m_Metrics.Twips(now.bottom - now.top));
    }
    m_Form.SetWindowState(IsZoomed(m_Handle) ? 2 : 0);
}

void FormWindow::PushVisible(bool visible) {
    if (visible) {
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_Handle, GWL_STYLE));
        ShowWindow(m_Handle, ShowCommandFor(m_Form.WindowState(), style));
        return;
    }
    if (m_OnHiding) m_OnHiding();
    ShowWindow(m_Handle, SW_HIDE);
    // The modal loop may be waiting for a message (the form was hidden by a message sent
    // from another thread): wake it.
    PostMessageW(m_Handle, WM_NULL, 0, 0);
}

HBRUSH FormWindow::Brush(uint32_t color) {
    if (IsSystemColor(color)) return GetSysColorBrush(static_cast<int>(color & 0xFF));
    HBRUSH& brush = m_Brushes[color];
    if (brush == nullptr) brush = CreateSolidBrush(ColorOf(color));
    return brush;
}

// ---- Messages

void FormWindow::Guarded(const std::function<void()>& call) noexcept {
    try {
        call();
    } catch (...) {
        Fail(std::current_exception());
    }
}

void FormWindow::Fail(std::exception_ptr failure) noexcept {
    if (!m_Failure) m_Failure = std::move(failure);
    if (m_Handle) PostMessageW(m_Handle, WM_NULL, 0, 0);
}

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_Handle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || !self->m_Ready) return DefWindowProcW(window, msg, wParam, lParam);
    LRESULT result = 0;  // what a message whose handling failed answers
    self->Guarded([&] { result = self->HandleMessage(msg, wParam, lParam); });
    return result;
}

LRESULT FormWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            if (ControlBinding* binding = BindingOf(reinterpret_cast<HWND>(lParam)))
                binding->OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            LRESULT result = 0;
            if (ControlBinding* binding = BindingOf(header->hwndFrom))
                if (binding->OnNotifyMessage(*header, result)) return result;
            break;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (ControlBinding* binding = BindingOf(reinterpret_cast<HWND>(lParam)))
                if (HBRUSH brush = binding->OnColor(reinterpret_cast<HDC>(wParam)))
                    return reinterpret_cast<LRESULT>(brush);
            break;
        case WM_CLOSE:
            // The title-bar close asks the form; its handlers decide between hiding and
            // unloading, and either ends the modal show.
            m_Form.Unload(ui::UnloadMode::FormControlMenu);
            return 0;
        case WM_WINDOWPOSCHANGED:
            if (m_Placing == 0) PullPlacement();
            break;
        case WM_SETFOCUS:
            // Activation gives the focus to the window itself: hand it to the model's control.
            if (ControlBinding* binding = BindingOf(m_Form.ActiveControl()))
                if (binding->Model().CanTakeFocus()) SetFocus(binding->Handle());
            return 0;
        case WM_KEYDOWN:
            if (wParam != VK_TAB) break;
            Tab(GetKeyState(VK_SHIFT) < 0);
            return 0;
        case WM_CHAR:
            if (wParam == '\t') return 0;  // handled as a key
            if (wParam == '\r' || wParam == 27) {
                PressDefaultOrCancel(wParam);
                return 0;
            }
            break;
        case WM_SYSCHAR:
            if (AccessKey(wParam)) return 0;
            break;
        case WM_SETCURSOR:
            if (ShowPointer()) return TRUE;
            break;
        default:
            break;
    }
    return DefWindowProcW(m_Handle, msg, wParam, lParam);
}

}  // namespace vq::win32::windows
