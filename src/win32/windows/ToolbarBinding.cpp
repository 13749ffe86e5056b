// Toolbars: a ToolbarWindow32 of the common controls, its buttons stacked in one column of
// equal width when the model is docked vertically, filling the box that holds it. Each tool is a
// text button (its caption, with its access key underlined), a separator is a gap, a disabled tool
// is greyed, and the tool's description is its tip. A click reaches the toolbar's parent as
// WM_COMMAND with the button's id and becomes the model's ToolClick once. The width the real
// toolbar needs for its captions (TB_GETMAXSIZE, pixels) goes back into the model, whose
// window then sizes the box.
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <algorithm>

#include "support/Signal.h"
#include "ui/Toolbar.h"
#include "win32/com/Com.h"
#include "win32/windows/BinderRegistry.h"
#include "win32/windows/FormWindow.h"

namespace vq::win32::windows {

namespace {

/// The command id of the first tool; tool n (1-based) has kFirstCommand + n - 1.
constexpr int kFirstCommand = 100;
/// Room around a button's caption: the button's edges and the space beside the text.
constexpr int kTextPadding = 16;

class ToolbarBinding final : public ControlBinding {
  public:
    ToolbarBinding(FormWindow& form, ui::Control& model)
        : ControlBinding(form, model), m_Bar(static_cast<ui::Toolbar&>(model)) {
        m_Events.push_back(m_Bar.OnToolChanged().Connect([this](int32_t position) {
            if (!Handle()) return;
            PushTool(position);
            Measure();
        }));
    }

    void OnCommand(WORD id, WORD) override {
        const int position = id - kFirstCommand + 1;
        if (Pushing() || position < 1 || position > static_cast<int>(m_Bar.Tools().size())) return;
        const ui::Tool& tool = m_Bar.Tools()[static_cast<std::size_t>(position - 1)];
        if (!tool.Separator) m_Bar.ClickTool(tool.Id);
    }

    bool OnNotifyMessage(NMHDR& header, LRESULT& result) override {
        if (header.code != TBN_GETINFOTIPW) return false;
        auto& tip = reinterpret_cast<NMTBGETINFOTIPW&>(header);
        const int position = tip.iItem - kFirstCommand + 1;
        if (position >= 1 && position <= static_cast<int>(m_Bar.Tools().size()) &&
            tip.pszText != nullptr && tip.cchTextMax > 0) {
            const std::wstring text =
                Widen(m_Bar.Tools()[static_cast<std::size_t>(position - 1)].Description);
            lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
        }
        result = 0;
        return true;
    }

  private:
    Shape Describe() const override {
        return {TOOLBARCLASSNAMEW,
                TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NOPARENTALIGN |
                    CCS_NODIVIDER,
                0};
    }

    // The toolbar fills the box holding it.
    RECT Place() const override {
        if (m_Bar.Container() == nullptr) return ControlBinding::Place();
        const RECT box = Form().PixelRect(*m_Bar.Container());
        return RECT{0, 0, box.right - box.left, box.bottom - box.top};
    }

    void PushState() override {
        // Docked vertically, each button ends its row (TBSTATE_WRAP, set here rather than
        // by the toolbar's own wrapping) and separators are horizontal lines.
        const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
        const LONG_PTR docked =
            m_Bar.DockedVertically() ? (style | CCS_VERT) : (style & ~LONG_PTR{CCS_VERT});
        if (docked != style) SetWindowLongPtrW(Handle(), GWL_STYLE, docked);
        if (m_Shown == 0) {
            Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
            Send(TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));  // text only
            Send(TB_SETMAXTEXTROWS, 1);
        }
        for (int32_t position = 1; position <= static_cast<int32_t>(m_Bar.Tools().size());
             ++position)
            PushTool(position);
        Measure();
    }

    BYTE StateOf(const ui::Tool& tool) const {
        BYTE state = tool.Enabled ? TBSTATE_ENABLED : 0;
        if (m_Bar.DockedVertically()) state |= TBSTATE_WRAP;
        return state;
    }

    void PushTool(int32_t position) {
        const auto fromCode = FromCode();
        const ui::Tool& tool = m_Bar.Tools()[static_cast<std::size_t>(position - 1)];
        std::wstring caption = Widen(tool.Caption);
        const int command = kFirstCommand + position - 1;
        if (position > m_Shown) {
            TBBUTTON button{};
            button.iBitmap = I_IMAGENONE;
            button.idCommand = command;
            button.fsState = StateOf(tool);
            button.fsStyle = tool.Separator ? BTNS_SEP : BTNS_BUTTON;
            button.iString = tool.Separator ? -1 : reinterpret_cast<INT_PTR>(caption.c_str());
            Send(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
            m_Shown = position;
            m_Captions.push_back(caption);
            return;
        }
        TBBUTTONINFOW info{};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_STATE;
        if (!tool.Separator && caption != m_Captions[static_cast<std::size_t>(position - 1)]) {
            info.dwMask |= TBIF_TEXT;
            info.pszText = caption.data();
            m_Captions[static_cast<std::size_t>(position - 1)] = caption;
        }
        info.fsState = StateOf(tool);
        Send(TB_SETBUTTONINFOW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info));
    }

    /// The width of a button that shows the longest caption on one line.
    int ButtonWidth() const {
        HDC dc = GetDC(Handle());
        const auto font = reinterpret_cast<HFONT>(Send(WM_GETFONT));
        HGDIOBJ before =
            SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        int widest = 0;
        for (const std::wstring& caption : m_Captions) {
            RECT text{};
            DrawTextW(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
            widest = std::max<int>(widest, text.right - text.left);
        }
        SelectObject(dc, before);
        ReleaseDC(Handle(), dc);
        return widest + kTextPadding;
    }

    /// Lays the buttons out again and reports the width they need.
    void Measure() {
        // Every button as wide as the longest caption needs: a column of equal buttons.
        const int width = ButtonWidth();
        Send(TB_SETBUTTONWIDTH, 0, MAKELPARAM(width, width));
        Send(TB_AUTOSIZE);
        SIZE needed{};
        Send(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&needed));
        if (m_Bar.DockedVertically() && needed.cx > 0) m_Bar.SetMeasuredVerticalWidth(needed.cx);
    }

    ui::Toolbar& m_Bar;
    std::vector<Connection> m_Events;
    std::vector<std::wstring> m_Captions;
    int32_t m_Shown = 0;
};

}  // namespace

std::unique_ptr<ControlBinding> BindToolbar(FormWindow& form, ui::Control& model) {
    return std::make_unique<ToolbarBinding>(form, model);
}

}  // namespace vq::win32::windows
