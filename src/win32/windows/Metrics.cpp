#include "win32/windows/Metrics.h"

namespace vq::win32::windows {

namespace {

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

Metrics Metrics::OfScreen() {
    return Metrics(ScreenDpi());
}

DialogFont::DialogFont(const Metrics& metrics) : m_Font(nullptr), m_Owned(true) {
    NONCLIENTMETRICSW nonClient{};
    nonClient.cbSize = sizeof(nonClient);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, nonClient.cbSize, &nonClient, 0)) {
        LOGFONTW font = nonClient.lfMessageFont;
        // The system gives the font at the screen's DPI; the window may use another.
        font.lfHeight = MulDiv(font.lfHeight, metrics.Dpi(), ScreenDpi());
        m_Font = CreateFontIndirectW(&font);
    }
    if (m_Font == nullptr) {
        m_Font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        m_Owned = false;
    }
}

DialogFont::~DialogFont() {
    if (m_Owned && m_Font) DeleteObject(m_Font);
}

COLORREF ColorOf(uint32_t automationColor) {
    if (IsSystemColor(automationColor))
        return GetSysColor(static_cast<int>(automationColor & 0xFF));
    return static_cast<COLORREF>(automationColor & 0xFFFFFF);
}

HCURSOR CursorOf(int16_t mousePointer) {
    const wchar_t* shape = nullptr;
    switch (mousePointer) {
        case 0:
            return nullptr;
        case 2:
            shape = IDC_CROSS;
            break;
        case 3:
            shape = IDC_IBEAM;
            break;
        case 11:
            shape = IDC_WAIT;
            break;
        case 12:
            shape = IDC_NO;
            break;
        case 13:
            shape = IDC_APPSTARTING;
            break;
        case 15:
            shape = IDC_SIZEALL;
            break;
        case 16:
            shape = IDC_HELP;
            break;
        default:
            shape = IDC_ARROW;
            break;
    }
    return LoadCursorW(nullptr, shape);
}

}  // namespace vq::win32::windows
