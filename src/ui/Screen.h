#pragma once
// The application's mouse pointer and the display's resolution as a window sees them. The
// pointer's state belongs to a thread (ThreadContext); a Screen is a small handle on such a
// state, handed to a presenter through its WindowContext. A window host watches the change
// signal and shows the matching cursor.

#include <cstdint>

#include "support/Signal.h"
#include "support/ThreadContext.h"

namespace vq::ui {

namespace MousePointers {
inline constexpr int16_t Default = 0;
/// The hourglass: the window is busy and does not answer until the work is done.
inline constexpr int16_t Hourglass = 11;
/// The arrow with a small hourglass: the program is busy but still answers.
inline constexpr int16_t ArrowHourglass = 13;
}  // namespace MousePointers

/// Twips in one pixel on a display of 96 pixels per inch (1440 twips per inch).
inline constexpr int32_t kTwipsPerPixelAt96Dpi = 15;

class Screen {
  public:
    /// A screen over a pointer state, which must outlive it, on a display with the given
    /// horizontal resolution.
    explicit Screen(MousePointerState& state, int32_t twipsPerPixelX = kTwipsPerPixelAt96Dpi)
        : m_State(&state), m_TwipsPerPixelX(twipsPerPixelX) {}
    /// The screen of this thread, at 96 pixels per inch.
    static Screen OfThisThread() { return Screen(ThisThread().MousePointer); }

    /// Twips in one pixel across: converts what controls report in pixels.
    int32_t TwipsPerPixelX() const { return m_TwipsPerPixelX; }

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
    int32_t m_TwipsPerPixelX;
};

}  // namespace vq::ui
