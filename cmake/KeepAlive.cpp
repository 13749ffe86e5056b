// Keeps a Wine session (and the background services it started) alive while programs run one
// after another. It needs no display: it only waits, until the named event "vqKeepAliveStop"
// is set, Wine's server ends, or the number of minutes given as its argument (default 60) has
// passed.
#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    int minutes = std::atoi(commandLine);
    if (minutes <= 0) minutes = 60;
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, L"vqKeepAliveStop");
    if (stop == nullptr) return 1;
    WaitForSingleObject(stop, static_cast<DWORD>(minutes) * 60000u);
    CloseHandle(stop);
    return 0;
}
