// The user's side of the list view, the toolbar and the system's dialogs (WindowUser.h).
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "WindowUser.h"
#include "win32/com/Com.h"

namespace vqtest {

namespace {

LRESULT Ask(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_NORMAL, 10000, &result))
        throw std::runtime_error("no answer from a control to message " + std::to_string(msg));
    return static_cast<LRESULT>(result);
}

/// Button down and up at a point of a window's client area, posted as the mouse posts them.
void PostClick(HWND window, POINT at) {
    POINT onScreen = at;
    ClientToScreen(window, &onScreen);
    SetCursorPos(onScreen.x, onScreen.y);
    const LPARAM point = MAKELPARAM(at.x, at.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, point);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(window, WM_LBUTTONUP, 0, point);
}

POINT Centre(const RECT& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

struct ToolButton {
    int Position = -1;
    TBBUTTON Button{};
};

std::wstring ButtonText(HWND toolbar, int command) {
    const auto length = Ask(toolbar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(command), 0);
    if (length <= 0) return L"";
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    Ask(toolbar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(command),
        reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

ToolButton FindButton(HWND toolbar, const std::wstring& caption) {
    const auto count = static_cast<int>(Ask(toolbar, TB_BUTTONCOUNT));
    for (int i = 0; i < count; ++i) {
        ToolButton found{i};
        Ask(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&found.Button));
        if (!(found.Button.fsStyle & BTNS_SEP) &&
            ButtonText(toolbar, found.Button.idCommand) == caption)
            return found;
    }
    throw std::runtime_error("the user cannot find a tool \"" + vq::win32::Narrow(caption) + "\"");
}

struct Found {
    std::wstring Caption;
    int Button = 0;
    HWND Window = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    // The one the user can answer: a dialog it opened (a question over a save dialog, both
    // with the same caption) disables it.
    if (std::wstring(className) == L"#32770" && IsWindowVisible(window) &&
        IsWindowEnabled(window) && found->Caption == caption &&
        GetDlgItem(window, found->Button) != nullptr) {
        found->Window = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
    return TRUE;
}

}  // namespace

// ---- List view

int WindowUser::RowCount(HWND list) {
    return static_cast<int>(Ask(list, LVM_GETITEMCOUNT));
}

int WindowUser::SelectedRow(HWND list) {
    return static_cast<int>(Ask(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) + 1;
}

std::wstring WindowUser::Cell(HWND list, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column - 1;
    item.pszText = text;
    item.cchTextMax = 512;
    Ask(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::wstring WindowUser::ColumnHeader(HWND list, int column) {
    wchar_t text[256] = {};
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT;
    header.pszText = text;
    header.cchTextMax = 256;
    Ask(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column - 1), reinterpret_cast<LPARAM>(&header));
    return text;
}

int WindowUser::ColumnWidth(HWND list, int column) {
    return static_cast<int>(Ask(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column - 1)));
}

void WindowUser::ClickRow(HWND list, int row) {
    RECT item{};
    item.left = LVIR_LABEL;
    if (!Ask(list, LVM_GETITEMRECT, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&item)))
        throw std::runtime_error("the user cannot see row " + std::to_string(row));
    PostClick(list, Centre(item));
    WaitUntil([&] { return SelectedRow(list) == row; },
              "row " + std::to_string(row) + " to show selected");
}

// ---- Toolbar

std::vector<std::wstring> WindowUser::ToolCaptions(HWND toolbar) {
    std::vector<std::wstring> captions;
    const auto count = static_cast<int>(Ask(toolbar, TB_BUTTONCOUNT));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        Ask(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
        captions.push_back((button.fsStyle & BTNS_SEP) ? L""
                                                       : ButtonText(toolbar, button.idCommand));
    }
    return captions;
}

bool WindowUser::ToolEnabled(HWND toolbar, const std::wstring& caption) {
    const ToolButton tool = FindButton(toolbar, caption);
    return Ask(toolbar, TB_ISBUTTONENABLED, static_cast<WPARAM>(tool.Button.idCommand)) != 0;
}

void WindowUser::ClickTool(HWND toolbar, const std::wstring& caption) {
    const ToolButton tool = FindButton(toolbar, caption);
    RECT button{};
    Ask(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(tool.Position),
        reinterpret_cast<LPARAM>(&button));
    PostClick(toolbar, Centre(button));
}

int WindowUser::WidestTool(HWND toolbar) {
    int widest = 0;
    const auto count = static_cast<int>(Ask(toolbar, TB_BUTTONCOUNT));
    for (int i = 0; i < count; ++i) {
        RECT button{};
        Ask(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
        widest = std::max<int>(widest, button.right - button.left);
    }
    return widest;
}

std::wstring WindowUser::ToolTip(HWND toolbar, const std::wstring& caption) {
    const ToolButton tool = FindButton(toolbar, caption);
    wchar_t text[256] = {};
    NMTBGETINFOTIPW tip{};
    tip.hdr.hwndFrom = toolbar;
    tip.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(toolbar));
    tip.hdr.code = TBN_GETINFOTIPW;
    tip.pszText = text;
    tip.cchTextMax = 256;
    tip.iItem = tool.Button.idCommand;
    Ask(GetParent(toolbar), WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
    return text;
}

// ---- System dialogs

HWND WindowUser::WaitForDialog(const std::wstring& caption, int button) {
    Found found{caption, button};
    WaitUntil(
        [&] {
            found.Window = nullptr;
            EnumThreadWindows(m_Thread, &FindDialog, reinterpret_cast<LPARAM>(&found));
            return found.Window != nullptr;
        },
        "a dialog \"" + vq::win32::Narrow(caption) + "\"");
    return found.Window;
}

std::vector<std::wstring> WindowUser::FileTypes(HWND dialog) {
    constexpr int kFileTypeList = 0x470;  // cmb1
    HWND list = GetDlgItem(dialog, kFileTypeList);
    if (list == nullptr) throw std::runtime_error("the user cannot find the list of file types");
    std::vector<std::wstring> types;
    const auto count = static_cast<int>(Ask(list, CB_GETCOUNT));
    for (int i = 0; i < count; ++i) {
        std::wstring entry(static_cast<std::size_t>(Ask(list, CB_GETLBTEXTLEN, i)) + 1, L'\0');
        Ask(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry.data()));
        entry.resize(entry.size() - 1);
        types.push_back(entry);
    }
    return types;
}

void WindowUser::SaveAs(HWND dialog, const std::wstring& path) {
    // The file name box: the edit box of the file name combo box (cmb13), or edt1.
    std::vector<HWND> children;
    EnumChildWindows(dialog, &CollectChild, reinterpret_cast<LPARAM>(&children));
    HWND name = nullptr;
    for (HWND child : children) {
        wchar_t kind[16] = {};
        GetClassNameW(child, kind, 16);
        const int id = GetDlgCtrlID(child);
        if (std::wstring(kind) == L"Edit" && IsWindowVisible(child) && (id == 0x47c || id == 0x480))
            name = child;
    }
    if (name == nullptr) throw std::runtime_error("the user cannot find the file name box");
    Ask(name, EM_SETSEL, 0, -1);
    for (wchar_t c : path) Ask(name, WM_CHAR, c, 1);
    PressDialogButton(dialog, IDOK);
}

void WindowUser::PressDialogButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr)
        throw std::runtime_error("the user cannot find button " + std::to_string(id));
    // Posted: the press may open another dialog (the overwrite question) on the host's thread.
    PostMessageW(button, BM_CLICK, 0, 0);
}

}  // namespace vqtest
