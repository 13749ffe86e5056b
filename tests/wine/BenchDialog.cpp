// Measures how long a host waits from calling Edit until the add/edit dialog is on the screen:
// until its window is shown (WM_SHOWWINDOW has returned) and until the last paint of the window
// and its controls is taken from the queue. The dialog is closed 200 ms after it appeared (not
// measured). Not a test: prints the figures. Run under Wine and Xvfb by scripts/bench-windows.sh.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
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

void Print(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("Edit to dialog %-8s median %6.1f ms  min %6.1f ms  max %6.1f ms  (%zu runs)\n",
                what, ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
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
        std::vector<double> shown, painted;
        for (int run = 0; txm && run <= 20; ++run) {
            g_Run = Run{Clock::now()};
            Var edited = Var{Obj(txm.Get())};
            if (CallByName(txms.Get(), L"Edit", {edited.ByRef(false)}).Hr != S_OK ||
                g_Run.Shown < 0) {
                status = 4;
                break;
            }
            if (run == 0) {
                std::printf("first Edit: dialog shown after %.1f ms, painted after %.1f ms\n",
                            g_Run.Shown, g_Run.Painted);
                continue;
            }
            shown.push_back(g_Run.Shown);
            painted.push_back(g_Run.Painted);
        }
        if (!txm) status = 3;
        if (status == 0) {
            Print("shown", shown);
            Print("painted", painted);
        }
    }
    UnhookWindowsHookEx(sentHook);
    UnhookWindowsHookEx(takenHook);
    CoUninitialize();
    return status;
}
