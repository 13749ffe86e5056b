// Not a test: opens the add/edit dialog the way a host does (Edit over COM on a transmitter of
// the simulated product), in the host language given as the first argument (1 English, 2
// Hungarian), and keeps it open for a screenshot. Once the dialog is shown and painted it
// writes the file "dialog-shot.ready" holding the window's place ("x y width height" in screen
// pixels) and closes the dialog when the file "dialog-shot.stop" appears (or after a minute).
// Run under Wine and Xvfb by scripts/dialog-shots.sh.
#include <cstdio>
#include <cstdlib>

#include "Host.h"
#include "WindowUser.h"

using namespace vqtest;

namespace {

int g_Ticks = 0;

void CALLBACK Watch(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND form = ShownForm(GetCurrentThreadId());
    if (form == nullptr) return;
    if (++g_Ticks == 5) {  // half a second after it appeared: painted
        RECT place{};
        GetWindowRect(form, &place);
        if (FILE* ready = std::fopen("dialog-shot.ready", "w")) {
            std::fprintf(ready, "%ld %ld %ld %ld\n", place.left, place.top,
                         place.right - place.left, place.bottom - place.top);
            std::fclose(ready);
        }
    }
    if (GetFileAttributesW(L"dialog-shot.stop") != INVALID_FILE_ATTRIBUTES || g_Ticks > 600) {
        KillTimer(nullptr, timer);
        PostMessageW(form, WM_CLOSE, 0, 0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int language = argc > 1 ? std::atoi(argv[1]) : 1;
    if (!StartHostProgram()) return 2;
    int status = 0;
    {
        const ComPtr<IDispatch> world = World();
        const ComPtr<IDispatch> txms = NewTxms();
        if (InitializeTxms(txms.Get(), world.Get()) != 3) return 3;
        PutByName(world.Get(), L"LanguageIndex", In(I4(language)));
        const ComPtr<IDispatch> txm = AddSilently(txms.Get(), "", 2, 12, "Boiler house 1", 2);
        if (!txm) return 4;
        SetTimer(nullptr, 0, 100, &Watch);
        Var edited = Var{Obj(txm.Get())};
        if (CallByName(txms.Get(), L"Edit", {edited.ByRef(false)}).Hr != S_OK) status = 5;
    }
    CoUninitialize();
    return status;
}
