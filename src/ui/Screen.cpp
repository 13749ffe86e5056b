#include "Screen.h"

#include "support/ThreadContext.h"

namespace vq::ui {

int16_t Screen::MousePointer() {
    return ThisThread().MousePointer.Pointer;
}

void Screen::SetMousePointer(int16_t pointer) {
    MousePointerState& state = ThisThread().MousePointer;
    if (state.Pointer == pointer) return;
    state.Pointer = pointer;
    state.Changed.Raise(pointer);
}

Signal<int16_t>& Screen::OnMousePointerChanged() {
    return ThisThread().MousePointer.Changed;
}

}  // namespace vq::ui
