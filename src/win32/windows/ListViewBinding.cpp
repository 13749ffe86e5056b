// List views in report view. The real list view holds no rows of its own: it is a virtual
// (owner-data) list that asks the model for the text of each cell it paints, so a refill of a
// thousand rows costs one LVM_SETITEMCOUNT. Columns (caption, width in twips) and the selected
// row follow the model; a width the user drags is written back into the model.
//
// The user's click on a row becomes the model's ItemClick exactly once: the selection it
// moves (LVN_ITEMCHANGED) clicks the row, and the click's own NM_CLICK then clicks only a row
// that did not just become selected by it (a second click on the selected row). A keyboard
// move of the selection is a click too, as with the mouse. A selection made by code shows
// without any click.
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <algorithm>

#include "support/Signal.h"
#include "ui/ListView.h"
#include "win32/com/Com.h"
#include "win32/windows/BinderRegistry.h"
#include "win32/windows/FormWindow.h"

namespace vq::win32::windows {

namespace {

/// Posted to the list view itself: the end of a burst of changes made by code.
constexpr UINT kRedrawAgain = WM_APP + 1;

class ListViewBinding final : public ControlBinding {
  public:
    ListViewBinding(FormWindow& form, ui::Control& model)
        : ControlBinding(form, model), m_List(static_cast<ui::ListView&>(model)) {
        m_Events.push_back(m_List.OnColumnChanged().Connect([this](int32_t) { PushColumns(); }));
        m_Events.push_back(m_List.OnItemAdded().Connect([this](int32_t) { CountLater(); }));
        m_Events.push_back(m_List.OnItemRemoved().Connect([this](int32_t) { CountLater(); }));
        m_Events.push_back(m_List.OnCleared().Connect([this] { CountLater(); }));
        m_Events.push_back(m_List.OnItemChanged().Connect([this](int32_t row) {
            if (!Handle()) return;
            Quiet();
            // Rows not counted yet are drawn when the count is given.
            if (!m_CountPending) Send(LVM_REDRAWITEMS, static_cast<WPARAM>(row - 1), row - 1);
        }));
        m_Events.push_back(
            m_List.OnSelectionChanged().Connect([this](int32_t) { PushSelection(); }));
    }

    bool OnNotifyMessage(NMHDR& header, LRESULT& result) override {
        switch (header.code) {
            case LVN_GETDISPINFOW:
                GiveText(reinterpret_cast<NMLVDISPINFOW&>(header).item);
                return true;
            case LVN_ITEMCHANGED:
                SelectionFromUser(reinterpret_cast<NMLISTVIEW&>(header));
                return true;
            case NM_CLICK:
                ClickFromUser(reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
                return true;
            default:
                result = 0;
                return false;
        }
    }

  private:
    Shape Describe() const override {
        return {
            WC_LISTVIEWW,
            WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
            0};
    }

    void PushState() override {
        if (!m_Styled) {
            Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
            m_Styled = true;
        }
        PushColumns();
        PushCount();
    }

    void PushColumns() {
        if (!Handle()) return;
        const auto fromCode = FromCode();
        for (int32_t column = 1; column <= m_List.ColumnCount(); ++column) {
            const ui::ColumnHeader& header = m_List.Column(column);
            std::wstring caption = Widen(header.Text);
            LVCOLUMNW shown{};
            shown.mask = LVCF_TEXT | LVCF_WIDTH;
            shown.pszText = caption.data();
            shown.cx = Form().Scale().Pixels(static_cast<int32_t>(header.Width + 0.5f));
            const auto index = static_cast<WPARAM>(column - 1);
            if (column > m_ShownColumns) {
                Send(LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&shown));
                m_ShownColumns = column;
                continue;
            }
            wchar_t now[260] = {};
            LVCOLUMNW current{};
            current.mask = LVCF_TEXT | LVCF_WIDTH;
            current.pszText = now;
            current.cchTextMax = 260;
            Send(LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&current));
            if (current.cx != shown.cx || caption != now)
                Send(LVM_SETCOLUMNW, index, reinterpret_cast<LPARAM>(&shown));
        }
    }

    /// A fill of many rows changes the count once a row: the list view stops drawing (and
    /// updating its scroll bars) until the thread's queue is reached again, where one redraw
    /// shows the rows as they then are.
    void Quiet() {
        if (m_Quiet) return;
        m_Quiet = true;
        Send(WM_SETREDRAW, FALSE);
        PostMessageW(Handle(), kRedrawAgain, 0, 0);
    }

    /// A fill adds rows one by one; the list view is given the new count once, before anything
    /// else reaches it (a message from outside, a selection, the end of the burst).
    void CountLater() {
        if (!Handle()) return;
        Quiet();
        m_CountPending = true;
    }

    void PushCount() {
        if (!Handle()) return;
        m_CountPending = false;
        const auto fromCode = FromCode();
        Quiet();
        if (static_cast<int32_t>(Send(LVM_GETITEMCOUNT)) != m_List.Count())
            Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(m_List.Count()), LVSICF_NOSCROLL);
        InvalidateRect(Handle(), nullptr, FALSE);
        PushSelection();
    }

    void PushSelection() {
        if (!Handle()) return;
        if (m_CountPending) PushCount();
        const auto fromCode = FromCode();
        const int32_t selected = m_List.SelectedIndex();
        const auto shown =
            static_cast<int32_t>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) + 1;
        if (shown == selected) return;
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        if (selected == 0) {
            state.stateMask = LVIS_SELECTED;
            Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
            return;
        }
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        Send(LVM_SETITEMSTATE, static_cast<WPARAM>(selected - 1), reinterpret_cast<LPARAM>(&state));
        Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(selected - 1), FALSE);
    }

    void GiveText(LVITEMW& item) {
        if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) return;
        const int32_t row = item.iItem + 1;
        std::string text;
        if (row >= 1 && row <= m_List.Count()) {
            const ui::ListItem& shown = m_List.Item(row);
            const auto sub = static_cast<std::size_t>(item.iSubItem);
            if (sub == 0)
                text = shown.Text;
            else if (sub <= shown.SubItems.size())
                text = shown.SubItems[sub - 1];
        }
        const std::wstring wide = Widen(text);
        const std::size_t length =
            std::min(wide.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::copy_n(wide.data(), length, item.pszText);
        item.pszText[length] = L'\0';
    }

    void SelectionFromUser(const NMLISTVIEW& change) {
        if (Pushing() || !(change.uChanged & LVIF_STATE)) return;
        const bool was = (change.uOldState & LVIS_SELECTED) != 0;
        const bool now = (change.uNewState & LVIS_SELECTED) != 0;
        if (was == now) return;
        const int32_t row = change.iItem + 1;
        if (now && row >= 1 && row <= m_List.Count()) {
            m_JustSelected = row;
            m_List.ClickItem(row);
        } else if (!now && (change.iItem == -1 || row == m_List.SelectedIndex())) {
            m_List.Select(0);
        }
        // A handler may have chosen another row: the control shows the model's.
        PushSelection();
    }

    void ClickFromUser(int item) {
        const int32_t row = item + 1;
        const bool selectedByThisClick = row == m_JustSelected;
        m_JustSelected = 0;
        if (Pushing() || selectedByThisClick || row < 1 || row > m_List.Count()) return;
        m_List.ClickItem(row);
        PushSelection();
    }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (m_CountPending) PushCount();
        if (msg == kRedrawAgain) {
            m_Quiet = false;
            CallDefault(WM_SETREDRAW, TRUE, 0);
            InvalidateRect(Handle(), nullptr, TRUE);
            result = 0;
            return true;
        }
        // A press of the button starts a new click: a row it selects is clicked once.
        if (msg == WM_LBUTTONDOWN || msg == WM_KEYDOWN) m_JustSelected = 0;
        return OnHeaderNotify(msg, wParam, lParam, result);
    }

    /// The header's drag of a column edge (HDN_ENDTRACK, HDN_ITEMCHANGED) reaches the list
    /// view itself; the new widths go into the model after the list view applied them.
    bool OnHeaderNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (msg != WM_NOTIFY) return false;
        const auto& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.code != HDN_ITEMCHANGEDW && header.code != HDN_ITEMCHANGEDA &&
            header.code != HDN_ENDTRACKW && header.code != HDN_ENDTRACKA)
            return false;
        result = CallDefault(msg, wParam, lParam);
        if (!Pushing()) PullWidths();
        return true;
    }

    void PullWidths() {
        for (int32_t column = 1; column <= m_ShownColumns && column <= m_List.ColumnCount();
             ++column) {
            const int pixels =
                static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column - 1)));
            const int32_t shown = static_cast<int32_t>(m_List.Column(column).Width + 0.5f);
            if (Form().Scale().Pixels(shown) != pixels)
                m_List.SetColumnWidth(column, static_cast<float>(Form().Scale().Twips(pixels)));
        }
    }

    ui::ListView& m_List;
    std::vector<Connection> m_Events;
    int32_t m_ShownColumns = 0;
    int32_t m_JustSelected = 0;
    bool m_Styled = false;
    bool m_Quiet = false;
    bool m_CountPending = false;
};

}  // namespace

std::unique_ptr<ControlBinding> BindListView(FormWindow& form, ui::Control& model) {
    return std::make_unique<ListViewBinding>(form, model);
}

}  // namespace vq::win32::windows
