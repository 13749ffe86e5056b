#include "ListView.h"

#include "support/Failure.h"

namespace vq::ui {

ListView::ListView(Form& form, std::string name, int16_t index, Control* container, Bounds bounds,
                   int16_t tabIndex, ListViewMode mode)
    : Control(form, ControlKind::ListView, std::move(name), index, container, bounds, tabIndex),
      m_Mode(mode) {}

void ListView::CheckRow(int32_t index, int32_t lowest) const {
    if (index < lowest || index > Count())
        throw Failure(kIndexOutOfBounds, "Index out of bounds: row " + std::to_string(index) +
                                             " of " + std::to_string(Count()) + " in " +
                                             DisplayName());
}

void ListView::CheckColumn(int32_t column) const {
    if (column < 1 || column > ColumnCount())
        throw Failure(kIndexOutOfBounds, "Index out of bounds: column " + std::to_string(column) +
                                             " of " + std::to_string(ColumnCount()) + " in " +
                                             DisplayName());
}

// ---- Columns

int32_t ListView::AddColumn(const std::string& text, float width) {
    m_Columns.push_back({text, width});
    for (ListItem& item : m_Items) item.SubItems.resize(m_Columns.size() - 1);
    m_OnColumnChanged.Raise(ColumnCount());
    return ColumnCount();
}

const ColumnHeader& ListView::Column(int32_t column) const {
    CheckColumn(column);
    return m_Columns[static_cast<std::size_t>(column - 1)];
}

void ListView::SetColumnText(int32_t column, const std::string& text) {
    CheckColumn(column);
    std::string& current = m_Columns[static_cast<std::size_t>(column - 1)].Text;
    if (current == text) return;
    current = text;
    m_OnColumnChanged.Raise(column);
}

void ListView::SetColumnWidth(int32_t column, float width) {
    CheckColumn(column);
    float& current = m_Columns[static_cast<std::size_t>(column - 1)].Width;
    if (current == width) return;
    current = width;
    m_OnColumnChanged.Raise(column);
}

// ---- Rows

int32_t ListView::AddItem(const std::string& text) {
    const std::size_t subItems = m_Columns.empty() ? 0 : m_Columns.size() - 1;
    m_Items.push_back({text, std::vector<std::string>(subItems)});
    m_OnItemAdded.Raise(Count());
    return Count();
}

const ListItem& ListView::Item(int32_t index) const {
    CheckRow(index, 1);
    return m_Items[static_cast<std::size_t>(index - 1)];
}

void ListView::SetSubItem(int32_t index, int32_t subItem, const std::string& text) {
    CheckRow(index, 1);
    if (subItem < 1 || subItem >= ColumnCount())
        throw Failure(kInvalidPropertyValue, "Invalid property value: sub-item " +
                                                 std::to_string(subItem) + " of " + DisplayName());
    std::string& current = m_Items[static_cast<std::size_t>(index - 1)]
                               .SubItems[static_cast<std::size_t>(subItem - 1)];
    if (current == text) return;
    current = text;
    m_OnItemChanged.Raise(index);
}

const std::string& ListView::SubItem(int32_t index, int32_t subItem) const {
    const ListItem& item = Item(index);
    if (subItem < 1 || subItem > static_cast<int32_t>(item.SubItems.size()))
        throw Failure(kInvalidPropertyValue, "Invalid property value: sub-item " +
                                                 std::to_string(subItem) + " of " + DisplayName());
    return item.SubItems[static_cast<std::size_t>(subItem - 1)];
}

void ListView::Remove(int32_t index) {
    CheckRow(index, 1);
    m_Items.erase(m_Items.begin() + (index - 1));
    const bool selectedGoes = m_Selected == index;
    if (m_Selected > index) --m_Selected;
    if (selectedGoes) m_Selected = 0;
    m_OnItemRemoved.Raise(index);
    if (selectedGoes) m_OnSelectionChanged.Raise(0);
}

void ListView::Clear() {
    m_Items.clear();
    m_Selected = 0;
    m_OnCleared.Raise();
}

// ---- Selection

void ListView::Select(int32_t index) {
    CheckRow(index, 0);
    ChangeSelection(index);
}

void ListView::ClickItem(int32_t index) {
    CheckRow(index, 1);
    ChangeSelection(index);
    m_OnItemClick.Raise(index);
}

void ListView::ChangeSelection(int32_t index) {
    if (m_Selected == index) return;
    m_Selected = index;
    m_OnSelectionChanged.Raise(index);
}

}  // namespace vq::ui
