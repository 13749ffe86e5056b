// Keeps a Wine session (and the background services it started) alive while programs run
// one after another: one hidden window and a message loop. It ends when its window is closed,
// when Wine's server ends, or after the number of minutes given as its argument (default 60).
#include <windows.h>

#include <cstdlib>

namespace {
LRESULT CALLBACK KeepAliveProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER || message == WM_CLOSE) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    int minutes = std::atoi(commandLine);
    if (minutes <= 0) minutes = 60;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = KeepAliveProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"vqKeepAlive";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"vqKeepAlive", L"vqKeepAlive", 0, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
    if (window == nullptr) return 1;
    SetTimer(window, 1, static_cast<UINT>(minutes) * 60000u, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
