// Text boxes, single-line or multi-line with a vertical scroll bar. Every typed character goes
// to the model's KeyPress handlers first, with its code; they may replace it or swallow it (0)
// before the edit control sees it. What the user changes (typing, pasting, deleting) becomes
// the model's text, raising its Change once; a text set by code shows at once, with the caret
// where the model puts it. A locked box is read-only; the back colour is the model's.
#include "ui/Controls.h"
#include "win32/com/Com.h"
#include "win32/windows/BinderRegistry.h"
#include "win32/windows/FormWindow.h"

namespace vq::win32::windows {

namespace {

class TextBoxBinding final : public ControlBinding {
  public:
    TextBoxBinding(FormWindow& form, ui::Control& model)
        : ControlBinding(form, model), m_Box(static_cast<ui::TextBox&>(model)) {}

    void OnNotify(WORD code) override {
        if (code == EN_CHANGE && !Pushing()) PullText();
    }

    HBRUSH OnColor(HDC dc) override {
        SetBkColor(dc, ColorOf(m_Box.BackColor()));
        if (IsWindowEnabled(Handle())) SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return Form().Brush(m_Box.BackColor());
    }

    // A GotFocus handler may select the text (so that typing replaces it).
    void AfterGotFocus() override { PushSelection(); }

  private:
    Shape Describe() const override {
        DWORD style = WS_TABSTOP | ES_LEFT;
        if (m_Box.MultiLine())
            style |= ES_MULTILINE | ES_AUTOVSCROLL | (m_Box.VerticalScrollBar() ? WS_VSCROLL : 0);
        else
            style |= ES_AUTOHSCROLL;
        if (m_Box.Locked()) style |= ES_READONLY;
        return {L"EDIT", style, WS_EX_CLIENTEDGE};
    }

    void PushState() override {
        if (ShowText(m_Box.Text())) PushSelection();
        const bool readOnly = (GetWindowLongPtrW(Handle(), GWL_STYLE) & ES_READONLY) != 0;
        if (readOnly != m_Box.Locked()) Send(EM_SETREADONLY, m_Box.Locked() ? TRUE : FALSE);
        if (m_Box.BackColor() != m_ShownColor) {
            m_ShownColor = m_Box.BackColor();
            InvalidateRect(Handle(), nullptr, TRUE);
        }
    }

    bool OnChar(WPARAM& ch) override {
        if (!ControlBinding::OnChar(ch)) return false;  // Enter or Esc pressed a button
        PullSelection();
        auto key = static_cast<int16_t>(ch);
        m_Box.OnKeyPress().Raise(key);
        if (key == 0) return false;
        ch = static_cast<uint16_t>(key);
        return true;
    }

    void PullText() {
        const std::string text = Narrow(WindowText());
        if (text == m_Box.Text()) return;
        m_Box.SetText(text);
        // A Change handler may have rewritten the text; otherwise the caret stays the user's.
        if (m_Box.Text() == text) PullSelection();
    }

    void PullSelection() {
        DWORD from = 0, to = 0;
        Send(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        const std::wstring text = WindowText();
        const int32_t start = CodePointsBefore(text, static_cast<int>(from));
        m_Box.SetSelStart(start);
        m_Box.SetSelLength(CodePointsBefore(text, static_cast<int>(to)) - start);
    }

    void PushSelection() {
        const std::wstring text = WindowText();
        const int from = Utf16Position(text, m_Box.SelStart());
        const int to = Utf16Position(text, m_Box.SelStart() + m_Box.SelLength());
        Send(EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
    }

    ui::TextBox& m_Box;
    uint32_t m_ShownColor = 0;
};

}  // namespace

std::unique_ptr<ControlBinding> BindTextBox(FormWindow& form, ui::Control& model) {
    return std::make_unique<TextBoxBinding>(form, model);
}

}  // namespace vq::win32::windows
