#pragma once
// What the real windows need to turn the control models into pixels and paint: twips converted
// at a screen's DPI, the one dialog font of a window, the models' colours and mouse pointers.

#include <windows.h>

#include <cstdint>

namespace vq::win32::windows {

/// Converts the models' twips (1/1440 inch) to pixels of a screen with a given DPI and back.
class Metrics {
  public:
    explicit Metrics(int dpi) : m_Dpi(dpi > 0 ? dpi : 96) {}
    /// The metrics of the screen the windows appear on (its logical DPI).
    static Metrics OfScreen();

    int Dpi() const { return m_Dpi; }
    /// Twips to pixels, rounded to the nearest pixel.
    int Pixels(int32_t twips) const { return MulDiv(twips, m_Dpi, 1440); }
    /// Pixels to twips.
    int32_t Twips(int pixels) const { return MulDiv(pixels, 1440, m_Dpi); }

  private:
    int m_Dpi;
};

/// Owns the dialog font of one window: the system's message font, scaled from the screen's DPI
/// to the window's, or the default GUI font when the system gives none.
class DialogFont {
  public:
    explicit DialogFont(const Metrics& metrics);
    ~DialogFont();
    DialogFont(const DialogFont&) = delete;
    DialogFont& operator=(const DialogFont&) = delete;
    HFONT Handle() const { return m_Font; }

  private:
    HFONT m_Font;
    bool m_Owned;
};

/// The COLORREF of an automation colour: 0x80000000 + n is system colour n, anything else is
/// a BGR value as COLORREF stores it.
COLORREF ColorOf(uint32_t automationColor);
/// True for automation colours that name a system colour.
inline bool IsSystemColor(uint32_t automationColor) {
    return (automationColor & 0x80000000u) != 0;
}

/// The cursor that shows a mouse-pointer number of the models (13 arrow and hourglass, 11
/// hourglass, ...); null for 0, the default, when the window under the mouse decides.
HCURSOR CursorOf(int16_t mousePointer);

}  // namespace vq::win32::windows
