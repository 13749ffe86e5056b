#include "Controls.h"

#include <algorithm>

#include "support/Failure.h"

namespace vq::ui {

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

/// Number of code points in UTF-8 text.
int32_t CharCount(const std::string& text) {
    return static_cast<int32_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

/// Byte offset of the code point at a position; the text's size for positions at its end.
std::size_t ByteOffset(const std::string& text, int32_t position) {
    std::size_t offset = 0;
    for (int32_t i = 0; i < position && offset < text.size(); ++i) {
        ++offset;
        while (offset < text.size() && IsContinuationByte(text[offset])) ++offset;
    }
    return offset;
}

/// The UTF-8 form of a 16-bit key code.
std::string KeyText(int16_t keyAscii) {
    const auto c = static_cast<uint16_t>(keyAscii);
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

Failure InvalidPropertyValue(const Control& control, const std::string& what) {
    return Failure(kInvalidPropertyValue,
                   "Invalid property value: " + what + " for " + control.DisplayName());
}

}  // namespace

Label::Label(Form& form, std::string name, int16_t index, Frame* container, Bounds bounds,
             int16_t tabIndex)
    : CaptionedControl(form, ControlKind::Label, std::move(name), index, container, bounds,
                       tabIndex) {}

Frame::Frame(Form& form, std::string name, int16_t index, Frame* container, Bounds bounds,
             int16_t tabIndex)
    : CaptionedControl(form, ControlKind::Frame, std::move(name), index, container, bounds,
                       tabIndex) {}

// ---- TextBox

TextBox::TextBox(Form& form, std::string name, int16_t index, Frame* container, Bounds bounds,
                 int16_t tabIndex, TextBoxStyle style)
    : Control(form, ControlKind::TextBox, std::move(name), index, container, bounds, tabIndex),
      m_MultiLine(style.MultiLine),
      m_VerticalScrollBar(style.VerticalScrollBar),
      m_Locked(style.Locked),
      m_BackColor(style.BackColor) {}

void TextBox::SetText(const std::string& text) {
    AssignText(text, 0);
}

void TextBox::AssignText(const std::string& text, int32_t caret) {
    if (m_Text == text) return;
    m_Text = text;
    m_SelStart = caret;
    m_SelLength = 0;
    NotifyChanged();
    m_OnChange.Raise();
}

void TextBox::SetLocked(bool locked) {
    if (m_Locked == locked) return;
    m_Locked = locked;
    NotifyChanged();
}

void TextBox::SetBackColor(uint32_t color) {
    if (m_BackColor == color) return;
    m_BackColor = color;
    NotifyChanged();
}

void TextBox::SetSelStart(int32_t start) {
    if (start < 0) throw InvalidPropertyValue(*this, "a negative selection start");
    m_SelStart = std::min(start, CharCount(m_Text));
    m_SelLength = 0;
}

void TextBox::SetSelLength(int32_t length) {
    if (length < 0) throw InvalidPropertyValue(*this, "a negative selection length");
    m_SelLength = std::min(length, CharCount(m_Text) - m_SelStart);
}

std::string TextBox::SelText() const {
    const std::size_t from = ByteOffset(m_Text, m_SelStart);
    return m_Text.substr(from, ByteOffset(m_Text, m_SelStart + m_SelLength) - from);
}

void TextBox::TypeKey(int16_t keyAscii) {
    m_OnKeyPress.Raise(keyAscii);
    if (keyAscii == 0 || m_Locked) return;
    if (keyAscii == Keys::Backspace) {
        if (m_SelLength == 0 && m_SelStart > 0) {
            --m_SelStart;
            m_SelLength = 1;
        }
        ReplaceSelection("");
    } else if (keyAscii == Keys::Enter) {
        if (m_MultiLine) ReplaceSelection("\r\n");
    } else if (static_cast<uint16_t>(keyAscii) >= 0x20) {
        ReplaceSelection(KeyText(keyAscii));
    }
}

void TextBox::ReplaceSelection(const std::string& replacement) {
    const std::size_t from = ByteOffset(m_Text, m_SelStart);
    const std::size_t to = ByteOffset(m_Text, m_SelStart + m_SelLength);
    const int32_t caret = m_SelStart + CharCount(replacement);
    m_SelLength = 0;
    AssignText(m_Text.substr(0, from) + replacement + m_Text.substr(to), caret);
}

// ---- DropDownList

DropDownList::DropDownList(Form& form, std::string name, int16_t index, Frame* container,
                           Bounds bounds, int16_t tabIndex)
    : Control(form, ControlKind::DropDownList, std::move(name), index, container, bounds,
              tabIndex) {}

void DropDownList::AddItem(const std::string& text) {
    m_Items.push_back(text);
    NotifyChanged();
}

void DropDownList::Clear() {
    m_Items.clear();
    m_ListIndex = -1;
    NotifyChanged();
}

const std::string& DropDownList::List(int32_t index) const {
    if (index < 0 || index >= ListCount())
        throw InvalidPropertyValue(*this, "no entry at position " + std::to_string(index));
    return m_Items[static_cast<std::size_t>(index)];
}

void DropDownList::SetListIndex(int32_t index) {
    if (index < -1 || index >= ListCount())
        throw InvalidPropertyValue(*this, "list index " + std::to_string(index) + " of " +
                                              std::to_string(ListCount()) + " entries");
    if (index == m_ListIndex) return;
    m_ListIndex = index;
    NotifyChanged();
    m_OnClick.Raise();
}

std::string DropDownList::Text() const {
    return m_ListIndex < 0 ? std::string() : List(m_ListIndex);
}

// ---- CheckBox

CheckBox::CheckBox(Form& form, std::string name, int16_t index, Frame* container, Bounds bounds,
                   int16_t tabIndex)
    : CaptionedControl(form, ControlKind::CheckBox, std::move(name), index, container, bounds,
                       tabIndex) {}

void CheckBox::SetValue(int16_t value) {
    if (value < Unchecked || value > Grayed)
        throw InvalidPropertyValue(*this, "check box value " + std::to_string(value));
    if (value == m_Value) return;
    m_Value = value;
    NotifyChanged();
    m_OnClick.Raise();
}

void CheckBox::Click() {
    SetValue(m_Value == Unchecked ? Checked : Unchecked);
}

// ---- CommandButton

CommandButton::CommandButton(Form& form, std::string name, int16_t index, Frame* container,
                             Bounds bounds, int16_t tabIndex, ButtonStyle style)
    : CaptionedControl(form, ControlKind::CommandButton, std::move(name), index, container, bounds,
                       tabIndex),
      m_Default(style.Default),
      m_Cancel(style.Cancel) {}

}  // namespace vq::ui
