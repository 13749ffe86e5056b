// The Win32 window host and its binder, on control models made here: twips at the screen's
// DPI, controls and models in step both ways, the modal loop (host windows blocked, failures,
// WM_QUIT) and the mouse pointer. A second thread acts as the user (WindowUser.h).
#include <gtest/gtest.h>

#include <array>

#include "WindowUser.h"
#include "support/Failure.h"
#include "ui/Controls.h"
#include "ui/Screen.h"
#include "win32/windows/Win32WindowHost.h"

namespace vqtest {
namespace {

using vq::Connection;
namespace ui = vq::ui;

// A small window: a text box in a frame, a drop-down list, a three-state check box and a
// cancel button that hides the window.
struct TestForm {
    ui::Form Form{"frmTest", 6030, 5460};
    ui::Frame Frame{Form, "fraTest", -1, nullptr, {120, 1920, 4455, 2895}};
    ui::TextBox Text{Form, "txtTest", -1, &Frame, {2040, 240, 2295, 315}, 0};
    ui::DropDownList List{Form, "cmbTest", -1, nullptr, {2040, 240, 2295, 315}, 1};
    ui::CheckBox Check{Form, "chkTest", -1, nullptr, {120, 4920, 4455, 255}, 2};
    ui::CommandButton Done{
        Form, "cmdDone", -1, nullptr, {4680, 600, 1215, 375}, 3, ui::ButtonStyle{.Cancel = true}};
    std::vector<Connection> Wiring;
    TestForm() {
        Check.SetCaption("&Tag");
        Done.SetCaption("&Done");
        for (const char* entry : {"one", "two", "three"}) List.AddItem(entry);
        Wiring.push_back(Done.OnClick().Connect([this] { Form.Hide(); }));
    }
};

using Rect = std::array<LONG, 4>;

Rect Of(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

struct Layout {
    Rect Client{};
    Rect Text{};
    LONG FontHeight = 0;
};

Layout ShowAt(int dpi) {
    TestForm f;
    Layout seen;
    UserThread user([&](WindowUser& u) {
        HWND window = u.WaitForWindow();
        RECT client{}, box{};
        GetClientRect(window, &client);
        HWND text = u.FirstOfClass(L"Edit");
        GetWindowRect(text, &box);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
        seen.Client = Of(client);
        seen.Text = Of(box);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)), sizeof(font),
                   &font);
        seen.FontHeight = std::abs(font.lfHeight);
        u.Escape();
    });
    vq::win32::windows::Win32WindowHost(dpi).ShowModal(f.Form);
    EXPECT_EQ("", user.Finish());
    return seen;
}

TEST(WindowHost, TwipsBecomePixelsAtTheScreensDpi) {
    const Layout at96 = ShowAt(96), at120 = ShowAt(120);
    // 6030 x 5460 twips; the box at 120 + 2040, 1920 + 240 in its frame, 2295 x 315.
    EXPECT_EQ((Rect{0, 0, 402, 364}), at96.Client);
    EXPECT_EQ((Rect{144, 144, 297, 165}), at96.Text);
    EXPECT_EQ((Rect{0, 0, 503, 455}), at120.Client);
    EXPECT_EQ((Rect{180, 180, 371, 206}), at120.Text);
    EXPECT_EQ(MulDiv(at96.FontHeight, 120, 96), at120.FontHeight);
}

TEST(WindowHost, ControlsAndModelsStayInStepBothWays) {
    TestForm f;
    int checkClicks = 0, listClicks = 0, changes = 0;
    std::vector<int16_t> keys;
    f.Wiring.push_back(f.Check.OnClick().Connect([&] { ++checkClicks; }));
    f.Wiring.push_back(f.List.OnClick().Connect([&] { ++listClicks; }));
    f.Wiring.push_back(f.Text.OnChange().Connect([&] { ++changes; }));
    f.Wiring.push_back(f.Text.OnKeyPress().Connect([&](int16_t& key) {
        keys.push_back(key);
        if (key == 'a') key = 'A';  // a handler replaces a key ...
        if (key == 'x') key = 0;    // ... or swallows it
    }));
    // A refused choice: the handler picks the entry before it again.
    f.Wiring.push_back(f.List.OnClick().Connect([&] {
        if (f.List.ListIndex() == 0) f.List.SetListIndex(2);
    }));
    f.Wiring.push_back(f.Form.OnLoad().Connect([&] {
        f.Check.SetValue(ui::CheckBox::Grayed);
        f.List.SetListIndex(1);  // from code: the model's Click, once
    }));
    std::vector<int> checkShown, listShown;
    std::wstring typed;
    UserThread user([&](WindowUser& u) {
        u.WaitForWindow();
        HWND check = u.Button(L"&Tag"), list = u.FirstOfClass(L"ComboBox");
        checkShown.push_back(WindowUser::CheckState(check));
        u.Click(check);  // grey becomes clear
        checkShown.push_back(WindowUser::CheckState(check));
        u.Click(check);
        checkShown.push_back(WindowUser::CheckState(check));
        listShown.push_back(WindowUser::ChosenIndex(list));
        u.Choose(list, 0);  // refused by the handler
        listShown.push_back(WindowUser::ChosenIndex(list));
        u.Tab();  // from the list round to the text box: check box, button, text box
        u.Tab();
        u.Tab();
        u.Type(L"axb");
        typed = WindowUser::Text(u.FirstOfClass(L"Edit"));
        u.Escape();
    });
    vq::win32::windows::Win32WindowHost().ShowModal(f.Form);
    EXPECT_EQ("", user.Finish());
    EXPECT_EQ((std::vector<int>{BST_INDETERMINATE, BST_UNCHECKED, BST_CHECKED}), checkShown);
    EXPECT_EQ(3, checkClicks);  // the value from code, then one per click
    EXPECT_EQ((std::vector<int>{1, 2}), listShown);
    EXPECT_EQ(3, listClicks);  // 1 from code, 0 by the user, 2 by the handler
    EXPECT_EQ(2, f.List.ListIndex());
    EXPECT_EQ((std::vector<int16_t>{'a', 'x', 'b'}), keys);
    EXPECT_EQ(L"Ab", typed);
    EXPECT_EQ("Ab", f.Text.Text());
    EXPECT_EQ(2, changes);
}

TEST(WindowHost, TheModalLoopBlocksTheHostsWindowsAndHandsOnFailuresAndQuit) {
    HWND hostWindow = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                      nullptr, nullptr, nullptr, nullptr);
    vq::win32::windows::Win32WindowHost host;
    {
        TestForm f;
        f.Wiring.push_back(f.Check.OnClick().Connect(
            [] { throw vq::Failure(vq::Codes::Fail, "The handler failed"); }));
        bool blocked = false;
        UserThread user([&](WindowUser& u) {
            u.WaitForWindow();
            blocked = !IsWindowEnabled(hostWindow);
            u.Click(u.Button(L"&Tag"));
            u.WaitUntilClosed();
        });
        try {
            host.ShowModal(f.Form);
            ADD_FAILURE() << "the handler's failure did not reach the caller";
        } catch (const vq::Failure& failure) {
            EXPECT_EQ("The handler failed", failure.Description());
        }
        EXPECT_EQ("", user.Finish());
        EXPECT_TRUE(blocked);
        EXPECT_EQ(0, f.Form.WindowHandle());  // the window is gone
    }
    EXPECT_TRUE(IsWindowEnabled(hostWindow));
    {
        TestForm f;
        int16_t pointerInLoad = -1;
        HCURSOR cursorInLoad = nullptr;
        f.Wiring.push_back(f.Form.OnLoad().Connect([&] {
            ui::Screen::OfThisThread().SetMousePointer(ui::MousePointers::ArrowHourglass);
            cursorInLoad = GetCursor();
            pointerInLoad = ui::Screen::OfThisThread().MousePointer();
            ui::Screen::OfThisThread().SetMousePointer(ui::MousePointers::Default);
        }));
        const DWORD ui = GetCurrentThreadId();
        UserThread user([&](WindowUser& u) {
            u.WaitForWindow();
            PostThreadMessageW(ui, WM_QUIT, 7, 0);
            u.WaitUntilClosed();
        });
        host.ShowModal(f.Form);  // returns on WM_QUIT with the form still shown
        EXPECT_EQ("", user.Finish());
        EXPECT_TRUE(f.Form.Visible());
        MSG quit{};
        EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(7u, quit.wParam);
        EXPECT_EQ(ui::MousePointers::ArrowHourglass, pointerInLoad);
        EXPECT_EQ(LoadCursorW(nullptr, IDC_APPSTARTING), cursorInLoad);
    }
    DestroyWindow(hostWindow);
}

}  // namespace
}  // namespace vqtest
