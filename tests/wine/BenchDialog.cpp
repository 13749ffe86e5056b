// Measures how long a host waits from calling Edit until the add/edit dialog is on the screen,
// and from calling ShowWizard until the list window is, with 100 and 1 000 transmitters:
// until its window is shown (WM_SHOWWINDOW has returned) and until the last paint of the window
// and its controls is taken from the queue. The window is closed 200 ms after it appeared (not
// measured). Not a test: prints the figures. Run under Wine and Xvfb by scripts/bench-windows.sh.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "Host.h"

using namespace vqtest;

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    Clock::time_point Start;
    double Shown = -1;
    double Painted = -1;
    HWND Form = nullptr;
};
Run g_Run;

double Elapsed() {
    return std::chrono::duration<double, std::milli>(Clock::now() - g_Run.Start).count();
}

bool IsDialog(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return std::wcscmp(name, L"vqTransmittersForm") == 0;
}

void CALLBACK CloseDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostMessageW(g_Run.Form, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK AfterSent(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_SHOWWINDOW && sent->wParam && g_Run.Shown < 0 &&
        IsDialog(sent->hwnd)) {
        g_Run.Shown = Elapsed();
        g_Run.Form = sent->hwnd;
        SetTimer(nullptr, 0, 200, &CloseDialog);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK Taken(int code, WPARAM wParam, LPARAM lParam) {
    const auto* taken = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && taken->message == WM_PAINT && g_Run.Form != nullptr &&
        (taken->hwnd == g_Run.Form || IsChild(g_Run.Form, taken->hwnd)))
        g_Run.Painted = Elapsed();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Print(const char* call, const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s %-8s median %6.1f ms  min %6.1f ms  max %6.1f ms  (%zu runs)\n", call, what,
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
}

/// Runs a call that shows a window runs + 1 times (the first, which loads the code and the
/// fonts, printed on its own) and prints the medians; false when a run failed or showed no
/// window.
bool Measure(const char* name, int runs, const std::function<HRESULT()>& call) {
    std::vector<double> shown, painted;
    for (int run = 0; run <= runs; ++run) {
        g_Run = Run{Clock::now()};
        if (call() != S_OK || g_Run.Shown < 0) return false;
        if (run == 0) {
            std::printf("%-28s first: shown after %.1f ms, painted after %.1f ms\n", name,
                        g_Run.Shown, g_Run.Painted);
            continue;
        }
        shown.push_back(g_Run.Shown);
        painted.push_back(g_Run.Painted);
    }
    Print(name, "shown", shown);
    Print(name, "painted", painted);
    return true;
}

}  // namespace

int main() {
    if (!StartHostProgram()) return 2;
    const DWORD thread = GetCurrentThreadId();
    HHOOK sentHook = SetWindowsHookExW(WH_CALLWNDPROCRET, &AfterSent, nullptr, thread);
    HHOOK takenHook = SetWindowsHookExW(WH_GETMESSAGE, &Taken, nullptr, thread);
    int status = 0;
    {
        const ComPtr<IDispatch> world = World();
        const ComPtr<IDispatch> txms = NewTxms();
        const ComPtr<IDispatch> txm = InitializeTxms(txms.Get(), world.Get()) == 3
                                          ? AddSilently(txms.Get(), "", 2, 12, "Boiler", 2)
                                          : nullptr;
        if (!txm) status = 3;
        if (status == 0 && !Measure("Edit to dialog", 20, [&] {
                Var edited = Var{Obj(txm.Get())};
                return CallByName(txms.Get(), L"Edit", {edited.ByRef(false)}).Hr;
            }))
            status = 4;
        // The list window with 100, then 1 000 transmitters.
        for (int rows = 100, added = 1; status == 0 && rows <= 1000; rows *= 10) {
            for (; added < rows; ++added)
                if (!AddSilently(txms.Get(), "", 1, static_cast<short>(1 + added % 200),
                                 "Transmitter " + std::to_string(added), 1))
                    status = 3;
            const std::string name = "ShowWizard, " + std::to_string(rows) + " rows";
            if (status == 0 && !Measure(name.c_str(), 10,
                                        [&] { return CallByName(txms.Get(), L"ShowWizard").Hr; }))
                status = 4;
        }
    }
    UnhookWindowsHookEx(sentHook);
    UnhookWindowsHookEx(takenHook);
    CoUninitialize();
    return status;
}
