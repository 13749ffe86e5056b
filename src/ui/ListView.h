#pragma once
// A list view in report view: column headers with a caption and a width in twips, rows made of
// a text (column 1) and sub-item texts (columns 2 on), and at most one selected row.
//
// Rows and columns are numbered from 1, as the list view's collections are; 0 means none.
// Every change raises the signal a binder of a real list view needs to repeat it: a column
// added or changed, a row added, changed or removed, all rows cleared, the selection moved.
// A selection made by code raises no item click; only the user's click does (ClickItem).

#include <cstdint>
#include <string>
#include <vector>

#include "Control.h"

namespace vq::ui {

/// HRESULT-compatible code of an index outside a list view's rows or columns (35600).
inline constexpr int32_t kIndexOutOfBounds = static_cast<int32_t>(0x800A8B10);

struct ColumnHeader {
    std::string Text;
    /// Twips; a fraction appears when a binder converts a user's resize from pixels.
    float Width = 0;
};

struct ListItem {
    std::string Text;
    /// The texts of columns 2, 3, ...: SubItems[k - 1] is sub-item k.
    std::vector<std::string> SubItems;
};

enum class ListViewMode { Icon, SmallIcon, List, Report };

class ListView : public Control {
  public:
    ListView(Form& form, std::string name, int16_t index, Control* container, Bounds bounds,
             int16_t tabIndex = -1, ListViewMode mode = ListViewMode::Report);

    ListViewMode Mode() const { return m_Mode; }

    // Columns.
    /// Appends a column; its 1-based number.
    int32_t AddColumn(const std::string& text, float width);
    int32_t ColumnCount() const { return static_cast<int32_t>(m_Columns.size()); }
    /// Throws Failure (index out of bounds) outside 1 .. ColumnCount.
    const ColumnHeader& Column(int32_t column) const;
    void SetColumnText(int32_t column, const std::string& text);
    /// Also what a binder calls when the user drags a column's edge.
    void SetColumnWidth(int32_t column, float width);

    // Rows.
    int32_t Count() const { return static_cast<int32_t>(m_Items.size()); }
    /// Appends a row with its text and empty sub-items; its 1-based number.
    int32_t AddItem(const std::string& text);
    /// Throws Failure (index out of bounds) outside 1 .. Count.
    const ListItem& Item(int32_t index) const;
    /// Sub-item k (1 .. ColumnCount - 1) is the text of column k + 1.
    void SetSubItem(int32_t index, int32_t subItem, const std::string& text);
    const std::string& SubItem(int32_t index, int32_t subItem) const;
    /// Removes a row; the rows after it move up one. A selected row that goes leaves no row
    /// selected; a selected row after it keeps its selection under its new number.
    void Remove(int32_t index);
    /// Removes every row; no row is selected afterwards.
    void Clear();

    // Selection.
    /// The selected row, 0 when none.
    int32_t SelectedIndex() const { return m_Selected; }
    /// Selects a row (0 selects none) without raising ItemClick. Throws Failure (index out of
    /// bounds) outside 0 .. Count.
    void Select(int32_t index);
    /// The user's click on a row: selects it, then raises ItemClick (also for the row already
    /// selected).
    void ClickItem(int32_t index);

    /// Raised with the number of a column added or whose caption or width changed.
    Signal<int32_t>& OnColumnChanged() { return m_OnColumnChanged; }
    Signal<int32_t>& OnItemAdded() { return m_OnItemAdded; }
    /// Raised with the number of a row whose text or a sub-item changed.
    Signal<int32_t>& OnItemChanged() { return m_OnItemChanged; }
    /// Raised with the number the row had.
    Signal<int32_t>& OnItemRemoved() { return m_OnItemRemoved; }
    Signal<>& OnCleared() { return m_OnCleared; }
    /// Raised with the newly selected row (0 for none) when another row, or none, is selected;
    /// not when a removal only renumbers the selected row.
    Signal<int32_t>& OnSelectionChanged() { return m_OnSelectionChanged; }
    /// The user clicked a row: raised with its number.
    Signal<int32_t>& OnItemClick() { return m_OnItemClick; }

  private:
    void CheckRow(int32_t index, int32_t lowest) const;
    void CheckColumn(int32_t column) const;
    void ChangeSelection(int32_t index);

    ListViewMode m_Mode;
    std::vector<ColumnHeader> m_Columns;
    std::vector<ListItem> m_Items;
    int32_t m_Selected = 0;
    Signal<int32_t> m_OnColumnChanged;
    Signal<int32_t> m_OnItemAdded;
    Signal<int32_t> m_OnItemChanged;
    Signal<int32_t> m_OnItemRemoved;
    Signal<> m_OnCleared;
    Signal<int32_t> m_OnSelectionChanged;
    Signal<int32_t> m_OnItemClick;
};

}  // namespace vq::ui
