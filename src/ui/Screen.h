#pragma once
// The application's mouse pointer as a window sees it. The pointer's state belongs to a thread
// (ThreadContext); a Screen is a small handle on such a state, handed to a presenter through
// its WindowContext. A window host watches the change signal and shows the matching cursor.

#include <cstdint>

#include "support/Signal.h"
#include "support/ThreadContext.h"

namespace vq::ui {

namespace MousePointers {
inline constexpr int16_t Default = 0;
/// The arrow with a small hourglass: the program is busy but still answers.
inline constexpr int16_t ArrowHourglass = 13;
}  // namespace MousePointers

class Screen {
  public:
    /// A screen over a pointer state, which must outlive it.
    explicit Screen(MousePointerState& state) : m_State(&state) {}
    /// The screen of this thread.
    static Screen OfThisThread() { return Screen(ThisThread().MousePointer); }

    int16_t MousePointer() const { return m_State->Pointer; }
    /// Sets the pointer and raises the change signal when it differs.
    void SetMousePointer(int16_t pointer) const {
        if (m_State->Pointer == pointer) return;
        m_State->Pointer = pointer;
        m_State->Changed.Raise(pointer);
    }
    /// Raised with the new pointer.
    Signal<int16_t>& OnMousePointerChanged() const { return m_State->Changed; }

  private:
    MousePointerState* m_State;
};

}  // namespace vq::ui
