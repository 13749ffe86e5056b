// Drop-down lists (combo boxes the user picks from and cannot type into). The user's choice
// (CBN_SELCHANGE, and where the list closes on another entry than the model holds) becomes the
// model's selection, whose Click the model raises once; a handler that picks another entry
// shows at once. A selection made by code shows without notification, so it never comes back
// as a second Click.
#include <algorithm>

#include "ui/Controls.h"
#include "win32/com/Com.h"
#include "win32/windows/BinderRegistry.h"

namespace vq::win32::windows {

namespace {

class DropDownListBinding final : public ControlBinding {
  public:
    DropDownListBinding(FormWindow& form, ui::Control& model)
        : ControlBinding(form, model), m_List(static_cast<ui::DropDownList&>(model)) {}

    void OnNotify(WORD code) override {
        if (Pushing()) return;
        if (code == CBN_SELCHANGE || code == CBN_CLOSEUP) PullSelection();
    }

  private:
    static constexpr int kDroppedEntries = 8;

    Shape Describe() const override {
        return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST};
    }

    // The height given to a drop-down list is that of its open list.
    int WindowHeight(int modelHeight) const override {
        const int entries = std::clamp(m_List.ListCount(), 1, kDroppedEntries);
        const int entry = m_EntryHeight > 0 ? m_EntryHeight : modelHeight;
        return modelHeight + entries * entry + 2;
    }

    void PushState() override {
        if (m_Shown != m_List.Items()) {
            Send(WM_SETREDRAW, FALSE);
            Send(CB_RESETCONTENT);
            for (const std::string& entry : m_List.Items())
                Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry).c_str()));
            Send(WM_SETREDRAW, TRUE);
            InvalidateRect(Handle(), nullptr, TRUE);
            m_Shown = m_List.Items();
        }
        if (m_EntryHeight <= 0) m_EntryHeight = static_cast<int>(Send(CB_GETITEMHEIGHT, 0));
        if (Send(CB_GETCURSEL) != m_List.ListIndex())
            Send(CB_SETCURSEL, static_cast<WPARAM>(m_List.ListIndex()));
    }

    void PullSelection() {
        const auto chosen = static_cast<int32_t>(Send(CB_GETCURSEL));
        if (chosen != m_List.ListIndex() && chosen >= -1 && chosen < m_List.ListCount())
            m_List.SetListIndex(chosen);
        // A Click handler that refused the choice has selected another entry in the model.
        if (Send(CB_GETCURSEL) != m_List.ListIndex()) Push();
    }

    ui::DropDownList& m_List;
    std::vector<std::string> m_Shown;
    int m_EntryHeight = 0;
};

}  // namespace

std::unique_ptr<ControlBinding> BindDropDownList(FormWindow& form, ui::Control& model) {
    return std::make_unique<DropDownListBinding>(form, model);
}

}  // namespace vq::win32::windows
