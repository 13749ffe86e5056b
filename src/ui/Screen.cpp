#include "Screen.h"

namespace vq::ui {

namespace {
struct PointerState {
    int16_t Pointer = MousePointers::Default;
    Signal<int16_t> Changed;
};

PointerState& ThisThreadPointer() {
    thread_local PointerState state;
    return state;
}
}  // namespace

int16_t Screen::MousePointer() {
    return ThisThreadPointer().Pointer;
}

void Screen::SetMousePointer(int16_t pointer) {
    PointerState& state = ThisThreadPointer();
    if (state.Pointer == pointer) return;
    state.Pointer = pointer;
    state.Changed.Raise(pointer);
}

Signal<int16_t>& Screen::OnMousePointerChanged() {
    return ThisThreadPointer().Changed;
}

}  // namespace vq::ui
