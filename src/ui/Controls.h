#pragma once
// The control models the windows are built from: label, frame, text box, drop-down list,
// three-state check box and command button.
//
// Events are raised the same way whether a change comes from code or from the user: setting a
// text raises Change, selecting a list entry raises Click, setting a check box value raises
// Click, each exactly when the state really changes. What only a user can do (typing a key,
// clicking) has its own entry point, used by the window hosts.

#include <cstdint>
#include <string>
#include <vector>

#include "Control.h"

namespace vq::ui {

class Label : public CaptionedControl {
  public:
    Label(Form& form, std::string name, int16_t index, Frame* container, Bounds bounds,
          int16_t tabIndex = -1);
};

/// A frame: a captioned box that holds other controls; positions inside it are relative to it.
class Frame : public CaptionedControl {
  public:
    Frame(Form& form, std::string name, int16_t index, Frame* container, Bounds bounds,
          int16_t tabIndex = -1);
};

struct TextBoxStyle {
    bool MultiLine = false;
    bool VerticalScrollBar = false;
    bool Locked = false;
    uint32_t BackColor = SystemColor::WindowBackground;
};

/// A text box. Positions of the selection count characters (code points), not bytes.
class TextBox : public Control {
  public:
    TextBox(Form& form, std::string name, int16_t index, Frame* container, Bounds bounds,
            int16_t tabIndex = -1, TextBoxStyle style = {});

    const std::string& Text() const { return m_Text; }
    /// Replaces the text and raises Change when it differs; the caret then goes to the start.
    void SetText(const std::string& text);

    bool MultiLine() const { return m_MultiLine; }
    bool VerticalScrollBar() const { return m_VerticalScrollBar; }
    /// A locked box shows its text but the user cannot change it.
    bool Locked() const { return m_Locked; }
    void SetLocked(bool locked);
    uint32_t BackColor() const { return m_BackColor; }
    void SetBackColor(uint32_t color);

    int32_t SelStart() const { return m_SelStart; }
    int32_t SelLength() const { return m_SelLength; }
    /// Moves the caret; a start beyond the text is the end. The selection becomes empty.
    void SetSelStart(int32_t start);
    /// Selects from the caret on; a length beyond the text selects up to its end.
    void SetSelLength(int32_t length);
    std::string SelText() const;

    /// A key typed by the user: raises KeyPress, whose handlers may replace the key code (0
    /// swallows it). A key that stays replaces the selection with its character; Backspace
    /// deletes the selection or the character before the caret; Enter adds a line break only
    /// in a multi-line box. A locked box raises KeyPress but keeps its text.
    void TypeKey(int16_t keyAscii);

    Signal<>& OnChange() { return m_OnChange; }
    /// The handlers receive the key code by reference and may replace it.
    Signal<int16_t&>& OnKeyPress() { return m_OnKeyPress; }

  private:
    void ReplaceSelection(const std::string& replacement);
    void AssignText(const std::string& text, int32_t caret);

    std::string m_Text;
    bool m_MultiLine;
    bool m_VerticalScrollBar;
    bool m_Locked;
    uint32_t m_BackColor;
    int32_t m_SelStart = 0;
    int32_t m_SelLength = 0;
    Signal<> m_OnChange;
    Signal<int16_t&> m_OnKeyPress;
};

/// A drop-down list: the user picks one of its entries and cannot type. Index -1 = none.
class DropDownList : public Control {
  public:
    DropDownList(Form& form, std::string name, int16_t index, Frame* container, Bounds bounds,
                 int16_t tabIndex = -1);

    /// Appends an entry; the selection stays where it is.
    void AddItem(const std::string& text);
    /// Removes every entry and leaves no entry selected, without raising Click.
    void Clear();
    int32_t ListCount() const { return static_cast<int32_t>(m_Items.size()); }
    /// The entry at a 0-based position; throws Failure outside the list.
    const std::string& List(int32_t index) const;
    const std::vector<std::string>& Items() const { return m_Items; }

    int32_t ListIndex() const { return m_ListIndex; }
    /// Selects an entry (-1 selects none) and raises Click when the selection changes.
    /// Throws Failure (invalid property value) for an index outside -1 .. ListCount - 1.
    void SetListIndex(int32_t index);
    /// The selected entry's text, "" when none is selected.
    std::string Text() const;

    Signal<>& OnClick() { return m_OnClick; }

  private:
    std::vector<std::string> m_Items;
    int32_t m_ListIndex = -1;
    Signal<> m_OnClick;
};

/// A three-state check box: 0 clear, 1 ticked, 2 grey.
class CheckBox : public CaptionedControl {
  public:
    static constexpr int16_t Unchecked = 0;
    static constexpr int16_t Checked = 1;
    static constexpr int16_t Grayed = 2;

    CheckBox(Form& form, std::string name, int16_t index, Frame* container, Bounds bounds,
             int16_t tabIndex = -1);

    int16_t Value() const { return m_Value; }
    /// Raises Click when the value changes; throws Failure (invalid property value) for a
    /// value other than 0, 1 and 2, and keeps the old value then.
    void SetValue(int16_t value);
    /// The user's click: a clear box becomes ticked, a ticked or grey one clear.
    void Click();

    Signal<>& OnClick() { return m_OnClick; }

  private:
    int16_t m_Value = Unchecked;
    Signal<> m_OnClick;
};

struct ButtonStyle {
    /// Pressed by Enter anywhere in the window.
    bool Default = false;
    /// Pressed by Esc anywhere in the window.
    bool Cancel = false;
};

class CommandButton : public CaptionedControl {
  public:
    CommandButton(Form& form, std::string name, int16_t index, Frame* container, Bounds bounds,
                  int16_t tabIndex = -1, ButtonStyle style = {});

    bool IsDefault() const { return m_Default; }
    bool IsCancel() const { return m_Cancel; }
    /// Presses the button: raises Click.
    void Click() { m_OnClick.Raise(); }

    Signal<>& OnClick() { return m_OnClick; }

  private:
    bool m_Default;
    bool m_Cancel;
    Signal<> m_OnClick;
};

}  // namespace vq::ui
