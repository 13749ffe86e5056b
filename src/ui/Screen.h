#pragma once
// The application's mouse pointer, one per thread like the windows that set it. A window host
// watches the change signal and shows the matching cursor.

#include <cstdint>

#include "support/Signal.h"

namespace vq::ui {

namespace MousePointers {
inline constexpr int16_t Default = 0;
/// The arrow with a small hourglass: the program is busy but still answers.
inline constexpr int16_t ArrowHourglass = 13;
}  // namespace MousePointers

class Screen {
  public:
    static int16_t MousePointer();
    /// Sets the pointer and raises the change signal when it differs.
    static void SetMousePointer(int16_t pointer);
    /// Raised on this thread with the new pointer.
    static Signal<int16_t>& OnMousePointerChanged();
};

}  // namespace vq::ui
